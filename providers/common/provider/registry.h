#pragma once
// Reading the registry: the facts Windows keeps there about itself, its
// applications and its devices.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/handle_owner.h"

namespace provider {

class RegistryKey {
public:
    // view is 0, KEY_WOW64_64KEY or KEY_WOW64_32KEY. A key that cannot be
    // opened reads as empty.
    RegistryKey(HKEY root, const std::wstring& path, REGSAM view = 0) noexcept;
    // Opens a subkey of an open key in the same view.
    RegistryKey(const RegistryKey& parent, const std::wstring& path) noexcept;

    explicit operator bool() const noexcept { return static_cast<bool>(key_); }

    // REG_SZ and REG_EXPAND_SZ (unexpanded), without the terminating NULs;
    // a REG_MULTI_SZ gives its first entry.
    std::optional<std::wstring> text(const wchar_t* name) const;
    std::vector<std::wstring> texts(const wchar_t* name) const;  // REG_MULTI_SZ, or one REG_SZ
    // REG_DWORD and REG_QWORD, and REG_BINARY of 4 or 8 bytes, little-endian.
    std::optional<std::uint64_t> number(const wchar_t* name) const;
    std::vector<std::uint8_t> bytes(const wchar_t* name) const;
    std::vector<std::wstring> subkeys() const;

private:
    bool read(const wchar_t* name, DWORD& type, std::vector<std::uint8_t>& data) const;

    kelto::UniqueRegistryKey key_;
    REGSAM view_ = 0;
};

// The words of a REG_MULTI_SZ: NUL-separated, ending at an empty word.
std::vector<std::wstring> splitMultiText(std::wstring_view data);

}  // namespace provider
