#pragma once
// The order of object members: bytes compared as unsigned, a prefix first,
// which is the order of std::string's compare. Compared eight bytes at a
// time inline: an object's map compares keys at every insert and look-up,
// and most keys are short, where a call into the C runtime's memcmp costs
// more than the comparison itself.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace pocketjson {

// Negative, zero or positive as left sorts before, with or after right.
inline int compareKeys(std::string_view left, std::string_view right) noexcept {
    const std::size_t common = std::min(left.size(), right.size());
    std::size_t at = 0;
    for (; at + sizeof(std::uint64_t) <= common; at += sizeof(std::uint64_t)) {
        std::uint64_t a = 0;
        std::uint64_t b = 0;
        std::memcpy(&a, left.data() + at, sizeof a);
        std::memcpy(&b, right.data() + at, sizeof b);
        if (a != b) {
            // The first differing byte is the lowest one; big-endian makes it the highest.
            return __builtin_bswap64(a) < __builtin_bswap64(b) ? -1 : 1;
        }
    }
    for (; at < common; ++at) {
        const auto a = static_cast<unsigned char>(left[at]);
        const auto b = static_cast<unsigned char>(right[at]);
        if (a != b) {
            return a < b ? -1 : 1;
        }
    }
    return left.size() < right.size() ? -1 : (left.size() > right.size() ? 1 : 0);
}

// Transparent, so that a look-up by a text view makes no std::string.
struct KeyOrder {
    using is_transparent = void;
    bool operator()(std::string_view left, std::string_view right) const noexcept {
        return compareKeys(left, right) < 0;
    }
};

}  // namespace pocketjson
