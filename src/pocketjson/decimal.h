#pragma once
// Decimal to binary for numbers whose significant digits fit one 64-bit
// integer: the parser reads the digits itself and comes here for the double.
// The table of powers of ten behind it also scales the writer's doubles.

#include <cstdint>

namespace pocketjson {

inline constexpr int kSmallestTenPower = -342;
inline constexpr int kLargestTenPower = 345;

// 10^q = (high * 2^64 + low) * 2^exponent for q in [kSmallestTenPower,
// kLargestTenPower], the 128 bits normalised to a set top bit: the top bits
// of 5^q truncated, or for q < 0 those of its reciprocal plus one, so that a
// product with them is never too small.
struct PowerOfTen {
    std::uint64_t high;
    std::uint64_t low;
    int exponent;
};

// floor(q * log2(10)), exact over the table's range.
constexpr int floorLog2OfTen(int q) noexcept { return (152170 + 65536) * q >> 16; }

namespace detail {
// The top 128 bits (high word, low word) of 5^q, from 5^kSmallestTenPower on.
extern const std::uint64_t kPowersOfFive[kLargestTenPower - kSmallestTenPower + 1][2];
}  // namespace detail

// Inline: the writer scales every double it writes by one of them.
inline PowerOfTen powerOfTen(int q) noexcept {
    const std::uint64_t* const power = detail::kPowersOfFive[q - kSmallestTenPower];
    return {power[0], power[1], floorLog2OfTen(q) - 127};
}

// The double nearest to digits * 10^exponent (ties to even), signed by
// negative; digits holds at most 19 significant decimal digits, read exactly.
// False in the rare case the 128-bit product cannot decide the rounding: the
// caller then converts the text the slow way.
bool decimalToDouble(std::uint64_t digits, std::int64_t exponent, bool negative, double& out) noexcept;

}  // namespace pocketjson
