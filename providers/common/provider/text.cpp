#include "provider/text.h"

#include <windows.h>

#include <climits>
#include <mutex>
#include <set>

#include "platform/locks.h"

namespace provider {

std::string toAnsi(std::wstring_view wide) {
    if (wide.empty() || wide.size() > INT_MAX) return std::string();
    const int length = static_cast<int>(wide.size());
    const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return std::string();
    std::string ansi(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), length, ansi.data(), size, nullptr, nullptr);
    return ansi;
}

std::wstring fromAnsi(std::string_view ansi) {
    if (ansi.empty() || ansi.size() > INT_MAX) return std::wstring();
    const int length = static_cast<int>(ansi.size());
    const int size = MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, nullptr, 0);
    if (size <= 0) return std::wstring();
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, wide.data(), size);
    return wide;
}

const char* intern(std::string_view text) {
    // Nodes of a set never move, so a pointer handed out once stays good.
    static kelto::SlimLock textsLock;
    static std::set<std::string, std::less<>> texts;
    const std::lock_guard lock(textsLock);
    auto found = texts.find(text);
    if (found == texts.end()) found = texts.emplace(text).first;
    return found->c_str();
}

std::wstring_view untilNul(std::wstring_view text) noexcept { return text.substr(0, text.find(L'\0')); }

}  // namespace provider
