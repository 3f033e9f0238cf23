#include "pocketjson/text.h"

#ifdef _WIN32
#include <windows.h>

#include <climits>
#endif

namespace pocketjson {

std::vector<std::string> splitString(const std::string& text, const std::string& delimiter) {
    std::vector<std::string> pieces;
    if (delimiter.empty()) {
        // Nothing to cut at: the whole text is the one piece.
        if (!text.empty()) {
            pieces.push_back(text);
        }
        return pieces;
    }
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t found = text.find(delimiter, start);
        if (found == std::string::npos) {
            found = text.size();
        }
        if (found > start) {
            pieces.emplace_back(text, start, found - start);
        }
        start = found + delimiter.size();
    }
    return pieces;
}

#ifdef _WIN32

namespace {

// Every ANSI code page, UTF-8 included, reads the bytes below 0x80 as ASCII,
// so such a text is the same in both encodings. Most library texts are.
bool isAscii(const std::string& text) noexcept {
    unsigned char any = 0;
    for (const char c : text) {
        any |= static_cast<unsigned char>(c);
    }
    return any < 0x80;
}

// Both directions go through UTF-16 (four kernel calls), unless the text is
// plain ASCII. Lengths are passed explicitly so that zero bytes inside the
// text survive; a text the API cannot take (too long, or rejected) is left as
// it was.
std::string& convert(std::string& text, UINT fromCodePage, UINT toCodePage) {
    if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX) || isAscii(text)) {
        return text;
    }
    const int sourceSize = static_cast<int>(text.size());
    const int wideSize = MultiByteToWideChar(fromCodePage, 0, text.data(), sourceSize, nullptr, 0);
    if (wideSize <= 0) {
        return text;
    }
    std::wstring wide(static_cast<std::size_t>(wideSize), L'\0');
    MultiByteToWideChar(fromCodePage, 0, text.data(), sourceSize, wide.data(), wideSize);
    const int narrowSize = WideCharToMultiByte(toCodePage, 0, wide.data(), wideSize, nullptr, 0, nullptr, nullptr);
    if (narrowSize <= 0) {
        return text;
    }
    std::string converted(static_cast<std::size_t>(narrowSize), '\0');
    WideCharToMultiByte(toCodePage, 0, wide.data(), wideSize, converted.data(), narrowSize, nullptr, nullptr);
    text.swap(converted);
    return text;
}

}  // namespace

std::string& toUtf8FromAnsi(std::string& text) { return convert(text, CP_ACP, CP_UTF8); }

std::string& toAnsiFromUtf8(std::string& text) { return convert(text, CP_UTF8, CP_ACP); }

#endif

}  // namespace pocketjson
