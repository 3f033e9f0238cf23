// Doubles read by the parser against the compiler's own (correctly rounded)
// literals and against std::from_chars over many generated texts: the
// parser's quick conversion must give the same bits as the slow one.

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <system_error>

#include "pocketjson/json.h"

namespace pocketjson {
namespace {

// The bits the parser reads for text (NaN bits when it does not read a Double).
std::uint64_t parsedBits(const std::string& text) {
    Value value;
    if (!parseJson(value, text) || !value.isDouble()) {
        return std::bit_cast<std::uint64_t>(std::nan(""));
    }
    return std::bit_cast<std::uint64_t>(value.doubleValue());
}

TEST(ParseDoubles, HardCasesAreCorrectlyRounded) {
    const struct {
        const char* text;
        double expected;
    } cases[] = {
        {"-65.613616999999977", -65.613616999999977},
        {"43.420273000000009", 43.420273000000009},
        {"0.1", 0.1},
        {"0.3", 0.3},
        {"1e23", 1e23},
        {"3e23", 3e23},  // 10^23 is not a double: the exact quick path must not take it
        {"1e-23", 1e-23},
        {"90071992547409.93", 90071992547409.93},  // 2^53 + 1 digits: not a double either
        {"8.589973e9", 8.589973e9},
        {"9007199254740993.0", 9007199254740992.0},  // a tie: to even, down
        {"9007199254740995.0", 9007199254740996.0},  // a tie: to even, up
        {"9007199254740993.0000001", 9007199254740994.0},
        {"18014398509481986.0", 18014398509481984.0},
        {"18014398509481990.0", 18014398509481992.0},
        {"9223372036854775807.5", 9223372036854775808.0},
        {"7.2057594037927933e16", 7.2057594037927933e16},
        {"4503599627370496.5", 4503599627370496.0},
        {"4503599627370497.5", 4503599627370498.0},
        {"2.2250738585072011e-308", 0x0.fffffffffffffp-1022},
        {"2.2250738585072012e-308", 0x1p-1022},
        {"2.2250738585072014e-308", 0x1p-1022},
        {"4.9406564584124654e-324", 0x1p-1074},
        {"2.4703282292062328e-324", 0x1p-1074},
        {"2.4703282292062327e-324", 0.0},
        {"7.4109846876186982e-323", 0x0.000000000000fp-1022},
        {"1.7976931348623157e308", 0x1.fffffffffffffp1023},
        {"1.7976931348623158e308", 0x1.fffffffffffffp1023},
        {"1.7976931348623159e308", HUGE_VAL},
        {"1e-342", 0.0},
        {"9999999999999999999e-343", 0.0},
        {"1e308", 1e308},
        {"1e309", HUGE_VAL},
        {"0.0000000000000000000000000000000000000001", 1e-40},
        {"1.00000000000000011102230246251565404236316680908203125", 1.0},  // a tie, past 19 digits
        {"1.00000000000000011102230246251565404236316680908203126", 1.0000000000000002},
        {"1.00000000000000011102230246251565404236316680908203124", 1.0},
        {"-0.0", -0.0},
        {"123456789012345678901234567890", 123456789012345678901234567890.0},
        {"14489974452386990e-1", 1448997445238699.0},
        {"1.448997445238699", 1.448997445238699},
        {"3.0540412e5", 3.0540412e5},
        {"9.5367431640625e-7", 0x1p-20},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parsedBits(c.text), std::bit_cast<std::uint64_t>(c.expected)) << c.text;
    }
}

// The bits std::from_chars reads; false when it reports the text out of range.
bool referenceBits(const std::string& text, std::uint64_t& bits) {
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    bits = std::bit_cast<std::uint64_t>(value);
    return ec == std::errc() && ptr == text.data() + text.size();
}

// Decimal digits with a point somewhere and an exponent over the whole
// double range (and a little beyond), up to 19 significant digits and now
// and then more.
TEST(ParseDoubles, AgreeWithFromCharsOnRandomTexts) {
    std::mt19937_64 random(20261206);
    int compared = 0;
    for (int i = 0; i < 200000; ++i) {
        const int digitCount = 1 + static_cast<int>(random() % (i % 16 == 0 ? 24 : 19));
        std::string digits;
        for (int d = 0; d < digitCount; ++d) {
            digits.push_back(static_cast<char>('0' + (d == 0 ? 1 + random() % 9 : random() % 10)));
        }
        const int point = static_cast<int>(random() % static_cast<unsigned>(digitCount));
        const int exponent = static_cast<int>(random() % 680) - 350;
        std::string text = (random() & 1) ? "-" : "";
        text += digits.substr(0, point + 1) + "." + digits.substr(point + 1) + "0e" + std::to_string(exponent);
        std::uint64_t expected = 0;
        if (referenceBits(text, expected)) {
            ASSERT_EQ(parsedBits(text), expected) << text;
            ++compared;
        }
    }
    EXPECT_GT(compared, 150000);
}

// Exactly halfway between two neighbouring doubles, and one unit either side
// in the last digit: the cases the rounding must decide right. Midpoints of
// doubles from 2^50 to 2^64 take at most 19 digits and three decimals.
TEST(ParseDoubles, AgreeWithFromCharsAroundMidpoints) {
    std::mt19937_64 random(61220262);
    for (int i = 0; i < 50000; ++i) {
        const int binaryExponent = 50 + static_cast<int>(random() % 14);  // of the double's top bit
        const std::uint64_t mantissa = (std::uint64_t{1} << 52) | (random() >> 12);
        // The midpoint is (2 mantissa + 1) * 2^(binaryExponent - 53).
        const int scale = binaryExponent - 53;
        std::uint64_t odd = 2 * mantissa + 1;
        int decimals = 0;
        if (scale >= 0) {
            odd <<= scale;
        } else {
            for (decimals = 0; decimals < -scale; ++decimals) odd *= 5;  // 2^-k = 5^k / 10^k
        }
        for (int delta = -1; delta <= 1; ++delta) {
            const std::string digits = std::to_string(odd + static_cast<std::uint64_t>(delta));
            const std::size_t point = digits.size() - static_cast<std::size_t>(decimals);
            std::string text = digits.substr(0, point) + "." + digits.substr(point);
            if (decimals == 0) text += "0";
            std::uint64_t expected = 0;
            ASSERT_TRUE(referenceBits(text, expected)) << text;
            ASSERT_EQ(parsedBits(text), expected) << text;
        }
    }
}

}  // namespace
}  // namespace pocketjson
