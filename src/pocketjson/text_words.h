#pragma once
// Text read eight bytes at a time: the parser and the writer look for the
// bytes that end a plain run in one word instead of byte by byte.

#include <bit>
#include <cstdint>

namespace pocketjson {

// Words of eight text bytes are read with the first byte lowest.
static_assert(std::endian::native == std::endian::little, "text words are read little-endian");

inline constexpr std::uint64_t kByteOnes = 0x0101010101010101ull;
inline constexpr std::uint64_t kByteHighs = 0x8080808080808080ull;

// The high bit of each byte of word that is zero, and of no other byte (no
// carry crosses a byte), so that the lowest one marks the first such byte.
constexpr std::uint64_t zeroBytes(std::uint64_t word) noexcept {
    constexpr std::uint64_t kLows = ~kByteHighs;
    return ~(((word & kLows) + kLows) | word | kLows);
}

// The high bit of each byte of word that equals byte.
constexpr std::uint64_t bytesEqualTo(std::uint64_t word, unsigned char byte) noexcept {
    return zeroBytes(word ^ (kByteOnes * byte));
}

}  // namespace pocketjson
