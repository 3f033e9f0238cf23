#include "standin_test_support.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace standin_test {

std::wstring binFolder() {
    std::wstring path(MAX_PATH * 4, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(length);
    return path.substr(0, path.find_last_of(L"\\/"));
}

std::wstring minimalFolder() { return binFolder() + L"\\minimal"; }

Module::Module(const std::wstring& path) : module_(LoadLibraryW(path.c_str())) {
    if (module_ == nullptr) throw std::runtime_error("cannot load " + utf8(path));
}

Module::~Module() {
    if (module_ != nullptr) FreeLibrary(module_);
}

std::vector<std::string> Module::exportNames() const {
    const auto* base = reinterpret_cast<const BYTE*>(module_);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    std::vector<std::string> names;
    if (directory.VirtualAddress == 0) return names;
    const auto* table = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + directory.VirtualAddress);
    const auto* nameOffsets = reinterpret_cast<const DWORD*>(base + table->AddressOfNames);
    for (DWORD i = 0; i < table->NumberOfNames; ++i) {
        names.emplace_back(reinterpret_cast<const char*>(base + nameOffsets[i]));
    }
    return names;
}

bool Module::loadWorld(const char* document) const {
    return function<std::int32_t(const char*)>("StandinLoadWorld")(document) != 0;
}

Json Module::callLog() const { return Json::parse(function<const char*()>("StandinCallLog")()); }

int Module::callCount(const char* name) const {
    return function<std::int32_t(const char*)>("StandinCallCount")(name);
}

void Module::resetCallLog() const { function<void()>("StandinResetCallLog")(); }

TemporaryFile::TemporaryFile() {
    wchar_t folder[MAX_PATH + 1] = {};
    wchar_t file[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, folder);
    if (GetTempFileNameW(folder, L"stn", 0, file) == 0) throw std::runtime_error("no temporary file");
    path_ = file;
}

TemporaryFile::~TemporaryFile() { DeleteFileW(path_.c_str()); }

void TemporaryFile::write(const std::string& bytes) const {
    std::ofstream(std::filesystem::path(path_), std::ios::binary) << bytes;
}

std::string TemporaryFile::read() const {
    std::ifstream file(std::filesystem::path(path_), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void setEnvironment(const wchar_t* name, const std::wstring& value) { SetEnvironmentVariableW(name, value.c_str()); }

std::string utf8(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length, nullptr,
                        nullptr);
    return text;
}

}  // namespace standin_test
