#include "provider/registry.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "provider/text.h"

namespace provider {
namespace {

HKEY openKey(HKEY root, const std::wstring& path, REGSAM view) noexcept {
    HKEY key = nullptr;
    if (root == nullptr || RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
        return nullptr;
    }
    return key;
}

std::wstring wideText(const std::vector<std::uint8_t>& data) {
    std::wstring text(data.size() / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
    return text;
}

}  // namespace

RegistryKey::RegistryKey(HKEY root, const std::wstring& path, REGSAM view) noexcept
    : key_(openKey(root, path, view)), view_(view) {}

RegistryKey::RegistryKey(const RegistryKey& parent, const std::wstring& path) noexcept
    : key_(openKey(parent.key_.get(), path, parent.view_)), view_(parent.view_) {}

bool RegistryKey::read(const wchar_t* name, DWORD& type, std::vector<std::uint8_t>& data) const {
    if (!key_) return false;
    // A value may grow between the two calls; a few rounds settle it.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = static_cast<DWORD>(data.size());
        const LSTATUS status = RegQueryValueExW(key_.get(), name, nullptr, &type, data.data(), &size);
        if (status == ERROR_SUCCESS && data.size() >= size && !data.empty()) {
            data.resize(size);
            return true;
        }
        if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA) return false;
        if (size == 0) {
            data.clear();
            return true;
        }
        data.resize(size);
    }
    return false;
}

std::optional<std::wstring> RegistryKey::text(const wchar_t* name) const {
    const std::vector<std::wstring> words = texts(name);
    if (words.empty()) return std::nullopt;
    return words.front();
}

std::vector<std::wstring> RegistryKey::texts(const wchar_t* name) const {
    DWORD type = REG_NONE;
    std::vector<std::uint8_t> data(256);
    if (!read(name, type, data)) return {};
    const std::wstring wide = wideText(data);
    if (type == REG_MULTI_SZ) return splitMultiText(wide);
    if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
    return {std::wstring(untilNul(wide))};
}

std::optional<std::uint64_t> RegistryKey::number(const wchar_t* name) const {
    DWORD type = REG_NONE;
    std::vector<std::uint8_t> data(8);
    if (!read(name, type, data)) return std::nullopt;
    const bool numeric = type == REG_DWORD || type == REG_QWORD || type == REG_BINARY;
    if (!numeric || (data.size() != 4 && data.size() != 8)) return std::nullopt;
    std::uint64_t value = 0;
    for (std::size_t i = data.size(); i-- > 0;) value = (value << 8) | data[i];
    return value;
}

std::vector<std::uint8_t> RegistryKey::bytes(const wchar_t* name) const {
    DWORD type = REG_NONE;
    std::vector<std::uint8_t> data(256);
    if (!read(name, type, data)) return {};
    return data;
}

std::vector<std::wstring> RegistryKey::subkeys() const {
    std::vector<std::wstring> names;
    if (!key_) return names;
    wchar_t name[256];  // the longest key name Windows allows is 255 characters
    for (DWORD index = 0;; ++index) {
        DWORD length = static_cast<DWORD>(std::size(name));
        const LSTATUS status = RegEnumKeyExW(key_.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status == ERROR_SUCCESS) names.emplace_back(name, length);
        if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA) break;
    }
    return names;
}

std::vector<std::wstring> splitMultiText(std::wstring_view data) {
    std::vector<std::wstring> words;
    while (!data.empty()) {
        const std::wstring_view word = untilNul(data);
        if (word.empty()) break;
        words.emplace_back(word);
        data.remove_prefix(std::min(data.size(), word.size() + 1));
    }
    return words;
}

}  // namespace provider
