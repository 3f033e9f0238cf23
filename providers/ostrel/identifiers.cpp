#include "identifiers.h"

#include <algorithm>
#include <vector>

namespace provider {
namespace {

// The header GetSystemFirmwareTable puts before the structures.
constexpr std::size_t kRawHeader = 8;
constexpr std::uint8_t kSystemType = 1, kEndType = 127;

// The strings after a structure's formatted part: numbered from 1, each
// ended by NUL, the set ended by one more NUL.
std::vector<std::string> structureStrings(std::span<const std::uint8_t> area, std::size_t& used) {
    std::vector<std::string> strings;
    std::size_t at = 0;
    while (at < area.size() && area[at] != 0) {
        std::string text;
        while (at < area.size() && area[at] != 0) text += static_cast<char>(area[at++]);
        strings.push_back(std::move(text));
        ++at;
    }
    // An empty set is still ended by two NULs.
    used = strings.empty() ? std::min<std::size_t>(2, area.size()) : std::min(area.size(), at + 1);
    return strings;
}

std::string stringAt(const std::vector<std::string>& strings, std::uint8_t number) {
    return number >= 1 && number <= strings.size() ? strings[number - 1] : std::string();
}

std::optional<unsigned> hexAfter(std::wstring_view id, std::wstring_view key) {
    const std::size_t at = id.find(key);
    if (at == std::wstring_view::npos) return std::nullopt;
    unsigned value = 0;
    std::size_t digits = 0;
    for (std::size_t i = at + key.size(); i < id.size() && digits < 4; ++i, ++digits) {
        const wchar_t c = id[i];
        const int digit = c >= L'0' && c <= L'9'   ? c - L'0'
                          : c >= L'A' && c <= L'F' ? c - L'A' + 10
                          : c >= L'a' && c <= L'f' ? c - L'a' + 10
                                                   : -1;
        if (digit < 0) break;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    if (digits == 0) return std::nullopt;
    return value;
}

}  // namespace

std::optional<SystemRecord> parseSystemRecord(std::span<const std::uint8_t> rawTable) {
    if (rawTable.size() < kRawHeader) return std::nullopt;
    std::span<const std::uint8_t> rest = rawTable.subspan(kRawHeader);
    while (rest.size() >= 4) {
        const std::uint8_t type = rest[0], length = rest[1];
        if (length < 4 || length > rest.size() || type == kEndType) break;
        std::size_t used = 0;
        const std::vector<std::string> strings = structureStrings(rest.subspan(length), used);
        if (type == kSystemType && length >= 8) {
            return SystemRecord{stringAt(strings, rest[4]), stringAt(strings, rest[5]), stringAt(strings, rest[7])};
        }
        rest = rest.subspan(length + used);
    }
    return std::nullopt;
}

std::optional<UsbIds> parseUsbHardwareId(std::wstring_view id) {
    const auto vendor = hexAfter(id, L"VID_"), product = hexAfter(id, L"PID_");
    if (!vendor || !product) return std::nullopt;
    return UsbIds{static_cast<std::int32_t>(*vendor), static_cast<std::int32_t>(*product),
                  static_cast<std::int32_t>(hexAfter(id, L"REV_").value_or(0))};
}

}  // namespace provider
