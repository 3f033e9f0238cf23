#include "platform/path.h"

#include <windows.h>
#include <icm.h>
#include <shlobj.h>

#include <array>
#include <functional>
#include <vector>

namespace fs {

std::wstring toUtf16(const std::string& utf8) {
    if (utf8.empty()) return std::wstring();
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
    return wide;
}

std::string toUtf8(const std::wstring& utf16) {
    if (utf16.empty()) return std::string();
    const int size = static_cast<int>(utf16.size());
    const int length = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0) WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

Path::Path(const std::string& utf8) : text_(utf8) {
    if (!text_.empty() && (text_.back() == '/' || text_.back() == '\\')) text_.pop_back();
    for (char& c : text_) {
        if (c == '/') c = '\\';
    }
}

Path Path::append(const std::string& segment) const {
    if (segment.empty()) return *this;
    const bool leadingSeparator = segment.front() == '/' || segment.front() == '\\';
    return Path(text_ + '\\' + (leadingSeparator ? segment.substr(1) : segment));
}

namespace {

// Calls read(buffer, size) with 260, 520 and 1040 zeroed UTF-16 units until
// it reports success; the text is whatever the last buffer holds.
Path readFolder(const std::function<bool(wchar_t*, DWORD)>& read) {
    std::vector<wchar_t> buffer;
    DWORD size = MAX_PATH;
    for (int attempt = 0; attempt < 3; ++attempt, size *= 2) {
        buffer.assign(size + 1, L'\0');
        if (read(buffer.data(), size)) break;
    }
    buffer.back() = L'\0';
    return Path(toUtf8(std::wstring(buffer.data())));
}

}  // namespace

Path Path::executableFile() {
    return readFolder([](wchar_t* buffer, DWORD size) { return GetModuleFileNameW(nullptr, buffer, size) != size; });
}

Path Path::executableDirectory() {
    const std::string file = executableFile().text();
    const std::size_t slash = file.rfind('\\');
    Path directory;
    directory.text_ = (slash != std::string::npos && slash > 0) ? file.substr(0, slash) : file;
    return directory;
}

Path Path::temporaryDirectory() {
    return readFolder([](wchar_t* buffer, DWORD size) { return GetTempPathW(size, buffer) <= size; });
}

Path Path::shellFolder(int csidl) {
    return readFolder([csidl](wchar_t* buffer, DWORD) {
        return SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer) == S_OK;
    });
}

Path Path::colorDirectory() {
    DWORD bytes = 0;
    GetColorDirectoryW(nullptr, nullptr, &bytes);
    std::vector<wchar_t> buffer(bytes + 1, L'\0');
    DWORD capacity = bytes;
    GetColorDirectoryW(nullptr, buffer.data(), &capacity);
    buffer.back() = L'\0';
    return Path(toUtf8(std::wstring(buffer.data())));
}

namespace {

struct FolderToken {
    const char* token;
    Path (*folder)();
};

const std::array<FolderToken, 10>& folderTokens() {
    static const std::array<FolderToken, 10> tokens{{
        {":executable", &Path::executableDirectory},
        {":bundle", &Path::executableDirectory},
        {":temporary", &Path::temporaryDirectory},
        {":common_application_data", [] { return Path::shellFolder(CSIDL_COMMON_APPDATA); }},
        {":user_application_data", [] { return Path::shellFolder(CSIDL_APPDATA); }},
        {":common_color_profile", &Path::colorDirectory},
        {":user_color_profile", &Path::colorDirectory},
        {":home", [] { return Path::shellFolder(CSIDL_PROFILE); }},
        {":desktop", [] { return Path::shellFolder(CSIDL_DESKTOP); }},
        {":system_root", [] { return Path::shellFolder(CSIDL_WINDOWS); }},
    }};
    return tokens;
}

void replaceAll(std::string& text, const std::string& token, const std::string& replacement) {
    for (std::size_t at = text.find(token); at != std::string::npos; at = text.find(token, at + replacement.size())) {
        text.replace(at, token.size(), replacement);
    }
}

}  // namespace

Path Path::resolve(const std::string& utf8) {
    std::string text = utf8;
    for (const FolderToken& entry : folderTokens()) {
        if (text.find(entry.token) == std::string::npos) continue;
        const std::string folder = entry.folder().text();
        // A folder text equal to its token would be replaced forever.
        if (folder != entry.token) replaceAll(text, entry.token, folder);
    }
    return Path(text);
}

}  // namespace fs
