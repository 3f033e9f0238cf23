#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "pocketjson/json.h"

namespace pocketjson {
namespace {

std::string doubleText(double d) {
    std::string text;
    EXPECT_TRUE(formatDouble(d, text)) << d;
    return text;
}

TEST(WriteNumbers, DoublesUseSeventeenSignificantDigits) {
    EXPECT_EQ(doubleText(0.5), "0.5");
    EXPECT_EQ(doubleText(1.0), "1");
    EXPECT_EQ(doubleText(-1.5), "-1.5");
    EXPECT_EQ(doubleText(0.1), "0.10000000000000001");
    EXPECT_EQ(doubleText(1e300), "1.0000000000000001e+300");
    EXPECT_EQ(doubleText(1e20), "1e+20");
    EXPECT_EQ(doubleText(1e-7), "9.9999999999999995e-08");
    EXPECT_EQ(doubleText(1e16), "10000000000000000");
    EXPECT_EQ(doubleText(1e17), "1e+17");
    EXPECT_EQ(doubleText(123456789.125), "123456789.125");
    EXPECT_EQ(doubleText(0.0001), "0.0001");
    EXPECT_EQ(doubleText(0.00001), "1.0000000000000001e-05");
    EXPECT_EQ(doubleText(std::numeric_limits<double>::max()), "1.7976931348623157e+308");
    EXPECT_EQ(doubleText(-std::numeric_limits<double>::denorm_min()), "-4.9406564584124654e-324");
}

// The writer has its own 17-digit formatter; std::to_chars with precision 17
// prints what "%.17g" prints (the C++ standard defines it so) and serves as
// the reference.
std::string reference(double d) {
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, d, std::chars_format::general, 17).ptr;
    return std::string(text, end);
}

TEST(WriteNumbers, SeventeenDigitsAgreeWithTheStandardConversion) {
    std::mt19937_64 random(20240611);
    int mismatches = 0;
    const auto check = [&mismatches](double d) {
        if (!std::isfinite(d) || d == 0.0) {
            return;
        }
        std::string text;
        formatDouble(d, text);
        if (text != reference(d) && ++mismatches <= 5) {
            ADD_FAILURE() << "wrote " << text << ", expected " << reference(d);
        }
    };
    for (int i = 0; i < 200000; ++i) {
        const std::uint64_t bits = random();
        double d;
        std::memcpy(&d, &bits, sizeof d);
        check(d);
    }
    for (int i = 0; i < 50000; ++i) {
        check(static_cast<double>(static_cast<std::int64_t>(random())));  // integers beyond 2^53
        check(static_cast<double>(random() % 100000000) / 1000.0);        // short decimals
        check(static_cast<double>(random() % 1000000) + 0.5);             // exact halves
    }
    for (int e = -325; e <= 308; ++e) {
        check(std::pow(10.0, e));
        check(std::strtod(("5e" + std::to_string(e)).c_str(), nullptr));
        check(std::nextafter(std::pow(10.0, e), 0.0));
    }
    for (std::uint64_t bits = 1; bits < 2000; ++bits) {  // the smallest subnormals
        double d;
        std::memcpy(&d, &bits, sizeof d);
        check(d);
        check(-d);
    }
    check(std::numeric_limits<double>::min());
    check(std::nextafter(std::numeric_limits<double>::min(), 0.0));
    check(std::numeric_limits<double>::max());
    check(std::numeric_limits<double>::epsilon());
    EXPECT_EQ(mismatches, 0);
}

TEST(WriteNumbers, BothZerosAreWrittenAsZeroPointZero) {
    EXPECT_EQ(doubleText(0.0), "0.0");
    EXPECT_EQ(doubleText(-0.0), "0.0");
    EXPECT_EQ(toJson(Value(-0.0)), "0.0");
}

TEST(WriteNumbers, NonFiniteDoublesAreNamedButFail) {
    std::string text = "x";
    EXPECT_FALSE(formatDouble(std::numeric_limits<double>::infinity(), text));
    EXPECT_FALSE(formatDouble(-std::numeric_limits<double>::infinity(), text));
    EXPECT_FALSE(formatDouble(std::nan(""), text));
    EXPECT_EQ(text, "xinf-infnan");
}

TEST(WriteNumbers, Integers) {
    EXPECT_EQ(toJson(Value(0)), "0");
    EXPECT_EQ(toJson(Value(-42)), "-42");
    EXPECT_EQ(toJson(Value(std::numeric_limits<std::int64_t>::max())), "9223372036854775807");
    EXPECT_EQ(toJson(Value(std::numeric_limits<std::int64_t>::min())), "-9223372036854775808");
}

TEST(WriteScalars, LiteralsAndUnknownTags) {
    EXPECT_EQ(toJson(Value()), "null");
    EXPECT_EQ(toJson(Value(true)), "true");
    EXPECT_EQ(toJson(Value(false)), "false");
    EXPECT_EQ(toJson(Value(ValueType::String)), "\"\"");
}

std::string escaped(const std::string& text) {
    std::string out;
    escapeString(out, text);
    return out;
}

TEST(WriteStrings, EscapeTable) {
    EXPECT_EQ(escaped("\b\t\n\f\r"), R"("\b\t\n\f\r")");
    EXPECT_EQ(escaped("\"\\/"), R"("\"\\/")");
    EXPECT_EQ(escaped(std::string(1, '\0')), R"("\u0000")");
    EXPECT_EQ(escaped("\x01\x0B\x0E\x1A\x1F"), R"("\u0001\u000b\u000e\u001a\u001f")");
    EXPECT_EQ(escaped("\x7F"), R"("\u007f")");
    EXPECT_EQ(escaped("\x80\xC3\xA9\xFF"), "\"\x80\xC3\xA9\xFF\"");
    EXPECT_EQ(escaped(""), "\"\"");
    EXPECT_EQ(escaped("tab\there\x01/"), R"("tab\there\u0001/")");
}

TEST(WriteStrings, EveryByteSurvivesARoundTrip) {
    std::string all;
    for (int byte = 0; byte < 256; ++byte) {
        all.push_back(static_cast<char>(byte));
    }
    const std::string text = escaped(all);
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        EXPECT_TRUE(byte >= 0x20 && byte != 0x7F) << "raw control byte " << int{byte};
    }
    Value back;
    ASSERT_TRUE(parseJson(back, text));
    EXPECT_EQ(back.stringValue(), all);
}

TEST(WriteStrings, EscapesAtEveryOffsetOfALongRun) {
    const struct {
        char byte;
        const char* form;
    } escapes[] = {
        {'"', R"(\")"}, {'\\', R"(\\)"}, {'\x01', R"(\u0001)"}, {'\x1F', R"(\u001f)"}, {'\x7F', R"(\u007f)"}};
    // Short texts are copied and checked in one pass, longer ones searched first.
    for (const std::size_t length : {17u, 24u, 25u, 40u}) {
        for (const auto& e : escapes) {
            for (std::size_t offset = 0; offset < length; ++offset) {
                std::string text(length, '\xE9');
                text[offset] = e.byte;
                std::string expected = "\"";
                expected.append(offset, '\xE9').append(e.form).append(length - 1 - offset, '\xE9').append("\"");
                EXPECT_EQ(escaped(text), expected) << int{e.byte} << " at " << offset << " of " << length;
            }
        }
    }
}

TEST(WriteStrings, EscapeAppendsToWhatIsThere) {
    std::string out = "key=";
    escapeString(out, "v");
    EXPECT_EQ(out, "key=\"v\"");
}

Value sample() {
    Value root;
    root["b"] = 1;
    root["a"]["list"].append(1);
    root["a"]["list"].append("x");
    root["a"]["empty"] = Value(ValueType::Object);
    root["a"]["none"] = Value(ValueType::Array);
    return root;
}

TEST(WriteCompact, SortedMembersAndNoWhiteSpace) {
    Value object;
    object["b"] = 2;
    object["a"] = 1;
    EXPECT_EQ(toJson(object), R"({"a":1,"b":2})");
    EXPECT_EQ(toJson(sample()), R"({"a":{"empty":{},"list":[1,"x"],"none":[]},"b":1})");
    // Without the pretty bit every other bit is ignored.
    EXPECT_EQ(toJson(sample(), 0x7F), toJson(sample()));
}

// Keys are written like strings, escapes included, and the separator follows
// them whichever way the key was written.
TEST(WriteCompact, KeysWithAndWithoutEscapes) {
    const struct {
        const char* key;
        const char* compact;
        const char* pretty;
    } cases[] = {
        {"plain", R"({"plain":0})", "{\n  \"plain\": 0\n}"},
        {"q\"t", R"({"q\"t":0})", "{\n  \"q\\\"t\": 0\n}"},
        {"line\nbreak", R"({"line\nbreak":0})", "{\n  \"line\\nbreak\": 0\n}"},
    };
    for (const auto& c : cases) {
        Value object;
        object[c.key] = 0;
        EXPECT_EQ(toJson(object), c.compact) << c.key;
        EXPECT_EQ(toJson(object, kPretty), c.pretty) << c.key;
    }
}

TEST(WritePretty, NestedLayout) {
    const std::string expected =
        "{\n"
        "  \"a\": {\n"
        "    \"empty\": {},\n"
        "    \"list\": [\n"
        "      1,\n"
        "      \"x\"\n"
        "    ],\n"
        "    \"none\": []\n"
        "  },\n"
        "  \"b\": 1\n"
        "}";
    EXPECT_EQ(toJson(sample(), kPretty), expected);
    EXPECT_EQ(toJson(sample(), kPretty | 0x3), expected);  // field value 3 also means two spaces
}

TEST(WritePretty, IndentUnitsAndLineBreaks) {
    Value array;
    array.append(Value(ValueType::Array));
    Value inner;
    inner.append(true);
    array.append(inner);
    EXPECT_EQ(toJson(array, kPretty | kIndentFourSpaces), "[\n    [],\n    [\n        true\n    ]\n]");
    EXPECT_EQ(toJson(array, kPretty | kIndentTab), "[\n\t[],\n\t[\n\t\ttrue\n\t]\n]");
    EXPECT_EQ(toJson(array, kPretty | kCrLf), "[\r\n  [],\r\n  [\r\n    true\r\n  ]\r\n]");
    EXPECT_EQ(toJson(array, kPretty | kIndentTab | kCrLf), "[\r\n\t[],\r\n\t[\r\n\t\ttrue\r\n\t]\r\n]");
}

TEST(WritePretty, ScalarsAndEmptyContainersHaveNoBreaks) {
    EXPECT_EQ(toJson(Value(3), kPretty), "3");
    EXPECT_EQ(toJson(Value(ValueType::Object), kPretty), "{}");
    EXPECT_EQ(toJson(Value(ValueType::Array), kPretty), "[]");
}

TEST(WriteFailure, NonFiniteDoubleStopsTheWriteAtIt) {
    Value object;
    object["a"] = 1;
    object["b"] = std::nan("");
    object["c"] = 3;
    std::string out;
    EXPECT_FALSE(writeJson(object, out));
    EXPECT_EQ(out, R"({"a":1,"b":)");

    std::string pretty;
    EXPECT_FALSE(writeJson(object, pretty, kPretty));
    EXPECT_EQ(pretty, "{\n  \"a\": 1,\n  \"b\": ");

    Value array;
    array.append(1);
    array.append(Value());
    Value nested;
    nested.append(-std::numeric_limits<double>::infinity());
    array.append(nested);
    std::string partial = ">";
    EXPECT_FALSE(writeJson(array, partial));
    EXPECT_EQ(partial, ">[1,null,[");
    EXPECT_EQ(toJson(array), "[1,null,[");
}

TEST(WriteFailure, SuccessAppendsToTheCallersText) {
    std::string out = "prefix:";
    EXPECT_TRUE(writeJson(Value("v"), out));
    EXPECT_EQ(out, "prefix:\"v\"");
}

}  // namespace
}  // namespace pocketjson
