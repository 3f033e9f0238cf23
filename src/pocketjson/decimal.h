#pragma once
// Decimal to binary for numbers whose significant digits fit one 64-bit
// integer: the parser reads the digits itself and comes here for the double.

#include <cstdint>

namespace pocketjson {

// The double nearest to digits * 10^exponent (ties to even), signed by
// negative; digits holds at most 19 significant decimal digits, read exactly.
// False in the rare case the 128-bit product cannot decide the rounding: the
// caller then converts the text the slow way.
bool decimalToDouble(std::uint64_t digits, std::int64_t exponent, bool negative, double& out) noexcept;

}  // namespace pocketjson
