#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "pocketjson/json.h"

namespace pocketjson {
namespace {

// Parse result with the message, for compact assertions.
struct Parsed {
    bool ok = false;
    Value value;
    std::string error;
};

Parsed parse(const std::string& text, ParseOptions options = 0) {
    Parsed result;
    result.ok = parseJson(result.value, text, options, &result.error);
    return result;
}

// The message of a text that must fail.
std::string failure(const std::string& text, ParseOptions options = 0) {
    const Parsed result = parse(text, options);
    EXPECT_FALSE(result.ok) << "text: " << text;
    return result.error;
}

constexpr const char* kUnexpectedCharacter = "Unexpected character exists while parsing.";
constexpr const char* kArrayText = "Unexpected string exists while parsing array.";
constexpr const char* kObjectText = "Unexpected string exists while parsing object.";
constexpr const char* kSurrogate = "Invalid unicode surrogate pair is found while parsing string.";

TEST(ParseScalars, Literals) {
    EXPECT_EQ(parse("true").value, Value(true));
    EXPECT_EQ(parse("false").value, Value(false));
    EXPECT_TRUE(parse("null").ok);
    EXPECT_TRUE(parse(" \t\r\nnull \n").value.isNull());
    EXPECT_EQ(failure("tru"), "Invalid boolean type string exists.");
    EXPECT_EQ(failure("trUe"), "Invalid boolean type string exists.");
    EXPECT_EQ(failure("fals"), "Invalid boolean type string exists.");
    EXPECT_EQ(failure("nul"), "Invalid null type string exists.");
    EXPECT_EQ(failure("nil"), "Invalid null type string exists.");
}

TEST(ParseScalars, EmptyAndWhiteSpaceTextsFailAndLeaveNull) {
    for (const std::string text : {"", " ", " \t\r\n ", "\v1", "\f1"}) {
        const Parsed result = parse(text);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.error, kUnexpectedCharacter);
        EXPECT_TRUE(result.value.isNull());
    }
    Value out;
    EXPECT_FALSE(parseJson(out, nullptr, nullptr, 0));
}

TEST(ParseScalars, SuccessClearsAnEarlierMessage) {
    std::string error = "stale";
    Value out;
    EXPECT_TRUE(parseJson(out, "1", 0, &error));
    EXPECT_EQ(error, "");
}

TEST(ParseDocument, TrailingTextFailsAfterStoringTheValue) {
    const Parsed result = parse("12abc");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "Gabage string exists after json string.");
    EXPECT_EQ(result.value, Value(12));
    EXPECT_TRUE(parse("12abc", kAllowTrailingText).ok);
    EXPECT_TRUE(parse("[1] ]", kAllowTrailingText).ok);
    EXPECT_EQ(failure("{} {}"), "Gabage string exists after json string.");
    EXPECT_TRUE(parse("[1] \r\n\t ").ok);
}

TEST(ParseDocument, ZeroByteEndsTheText) {
    const Parsed result = parse(std::string("[1]\0garbage", 11));
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.value.size(), 1u);
    EXPECT_TRUE(parse(std::string("7 \0x", 4)).ok);
}

TEST(ParseDocument, ParsesOnlyTheGivenRange) {
    const std::string text = "[1,2]";
    Value out;
    EXPECT_TRUE(parseJson(out, text.data(), text.data() + 3, 0));  // "[1,"
    EXPECT_EQ(toJson(out), "[1]");
    Value other;
    EXPECT_FALSE(parseJson(other, text.data(), text.data() + 2, 0));  // "[1"
    Value single;
    EXPECT_TRUE(parseJson(single, text.data() + 1, text.data() + 2, 0));  // "1"
    EXPECT_EQ(single, Value(1));
}

TEST(ParseDocument, ByteOrderMarkIsSkippedByteByByte) {
    EXPECT_EQ(parse("\xEF\xBB\xBF[1]").value.size(), 1u);
    EXPECT_TRUE(parse("\xEF\xBB\xBF"
                      " 5")
                    .ok);
    EXPECT_TRUE(parse("\xEF"
                      "5")
                    .ok);
    EXPECT_TRUE(parse("\xEF\xBB"
                      "5")
                    .ok);
    EXPECT_EQ(failure("\xBB\xBF"
                      "5"),
              kUnexpectedCharacter);  // no 0xEF in front
    EXPECT_EQ(failure("\xEF\xBF"
                      "5"),
              kUnexpectedCharacter);  // 0xBF only after 0xBB
    EXPECT_EQ(failure("\xEF\xBB\xBF\xEF\xBB\xBF"
                      "5"),
              kUnexpectedCharacter);
    EXPECT_EQ(failure("\xEF\xBB\xBF"), kUnexpectedCharacter);
}

TEST(ParseDocument, ScalarReplacesWhatTheTargetHeld) {
    Value out;
    out["old"] = 1;
    ASSERT_TRUE(parseJson(out, "\"text\""));
    EXPECT_EQ(out, Value("text"));
}

TEST(ParseDocument, ContainerTargetOfTheSameTypeKeepsItsContent) {
    // The bracket only sets the type, and setting the type it already has
    // keeps the content.
    Value array;
    array.append(1);
    ASSERT_TRUE(parseJson(array, "[2]"));
    EXPECT_EQ(toJson(array), "[1,2]");

    Value object;
    object["a"] = "old";
    ASSERT_TRUE(parseJson(object, "{\"a\":\"new\",\"b\":1}"));
    EXPECT_EQ(toJson(object), "{\"a\":\"old\",\"b\":1}");
}

TEST(ParseDocument, ObjectTargetSharedWithAnotherValueIsDetached) {
    Value object;
    object["a"] = 1;
    const Value copy = object;
    ASSERT_TRUE(parseJson(object, "{\"b\":2}"));
    EXPECT_EQ(copy.size(), 1u);
    EXPECT_EQ(object.size(), 2u);
}

TEST(ParseNumbers, IntegersAndTheirBoundaries) {
    EXPECT_EQ(parse("0").value, Value(0));
    EXPECT_EQ(parse("-0").value, Value(0));
    EXPECT_EQ(parse("-17").value, Value(-17));
    EXPECT_EQ(parse("9223372036854775807").value, Value(std::numeric_limits<std::int64_t>::max()));
    EXPECT_EQ(parse("-9223372036854775807").value, Value(-std::numeric_limits<std::int64_t>::max()));
    // The limit test looks at the positive magnitude, so the most negative
    // integer is read as a Double.
    EXPECT_EQ(parse("-9223372036854775808").value, Value(-9223372036854775808.0));
    EXPECT_EQ(parse("9223372036854775808").value, Value(9223372036854775808.0));
    EXPECT_EQ(parse("9223372036854775810").value, Value(9223372036854775810.0));
    EXPECT_EQ(parse("9300000000000000000").value, Value(9.3e18));
    EXPECT_EQ(parse("92233720368547758070").value, Value(92233720368547758070.0));
}

TEST(ParseNumbers, ZeroExponentKeepsAnInteger) {
    EXPECT_EQ(parse("1e0").value, Value(1));
    EXPECT_EQ(parse("1E+0").value, Value(1));
    EXPECT_EQ(parse("-3e-00").value, Value(-3));
    EXPECT_EQ(parse("1.0").value, Value(1.0));
    EXPECT_EQ(parse("1.5e0").value, Value(1.5));
    EXPECT_EQ(parse("5e2").value, Value(500.0));
    EXPECT_EQ(parse("0e5").value, Value(0.0));
    EXPECT_EQ(parse("25E-1").value, Value(2.5));
}

TEST(ParseNumbers, DoublesAreCorrectlyRounded) {
    EXPECT_EQ(parse("0.1").value, Value(0.1));
    EXPECT_EQ(parse("-123.456e-7").value, Value(-123.456e-7));
    EXPECT_EQ(parse("2.2250738585072011e-308").value, Value(2.2250738585072011e-308));
    EXPECT_EQ(parse("1.7976931348623157e308").value, Value(1.7976931348623157e308));
    EXPECT_EQ(parse("4.9e-324").value, Value(4.9406564584124654e-324));
    EXPECT_TRUE(std::signbit(parse("-0.0").value.doubleValue()));
}

TEST(ParseNumbers, OutOfRangeGivesInfinityOrZero) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(parse("1e400").value, Value(inf));
    EXPECT_EQ(parse("-1e400").value, Value(-inf));
    EXPECT_EQ(parse("1.8e308").value, Value(inf));
    EXPECT_EQ(parse("1e99999999999999999999").value, Value(inf));
    EXPECT_EQ(parse("1" + std::string(400, '0') + "e-10").value, Value(inf));

    const Value tiny = parse("1e-400").value;
    EXPECT_EQ(tiny, Value(0.0));
    EXPECT_FALSE(std::signbit(tiny.doubleValue()));
    EXPECT_TRUE(std::signbit(parse("-1e-400").value.doubleValue()));
    EXPECT_EQ(parse("2e-324").value, Value(0.0));
    EXPECT_EQ(parse("0." + std::string(400, '0') + "1e10").value, Value(0.0));
    EXPECT_EQ(parse("1e-99999999999999999999").value, Value(0.0));
}

TEST(ParseNumbers, MalformedNumbers) {
    EXPECT_EQ(failure("-"), "Digit is not found while parsing number.");
    EXPECT_EQ(failure("-a"), "Digit is not found while parsing number.");
    EXPECT_EQ(failure("01"), "Unexpected '0' character is found while parsing number.");
    EXPECT_EQ(failure("-007"), "Unexpected '0' character is found while parsing number.");
    EXPECT_EQ(failure("1."), "Digit is not found after the decimal point while parsing number.");
    EXPECT_EQ(failure("1.e5"), "Digit is not found after the decimal point while parsing number.");
    EXPECT_EQ(failure("1e"), "Digit is not found after exponent keyword while parsing number.");
    EXPECT_EQ(failure("1e+"), "Digit is not found after exponent keyword while parsing number.");
    EXPECT_EQ(failure("1E-x"), "Digit is not found after exponent keyword while parsing number.");
    EXPECT_EQ(failure("+1"), kUnexpectedCharacter);
    EXPECT_EQ(failure(".5"), kUnexpectedCharacter);
    EXPECT_EQ(failure("0x10"), "Gabage string exists after json string.");
    EXPECT_EQ(failure("1.5.2"), "Gabage string exists after json string.");
}

TEST(ParseStrings, PlainBytesAreCopiedUnchanged) {
    const std::string raw = std::string("\"a\x01\x1F\x7F\xC3\xA9\xFF\t/") + '\0' + "z\"";
    const Parsed result = parse(raw);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.value.stringValue(), std::string("a\x01\x1F\x7F\xC3\xA9\xFF\t/") + '\0' + "z");
    EXPECT_EQ(parse("\"\"").value, Value(""));
}

TEST(ParseStrings, Escapes) {
    EXPECT_EQ(parse(R"("\"\\\/\b\f\n\r\t")").value.stringValue(), "\"\\/\b\f\n\r\t");
    EXPECT_EQ(parse(R"("x\u00e9y")").value.stringValue(), "x\xC3\xA9y");
    EXPECT_EQ(parse(R"("\u00E9")").value.stringValue(), "\xC3\xA9");
    EXPECT_EQ(parse(R"("\u0041\u007f")").value.stringValue(), "A\x7F");
    EXPECT_EQ(parse(R"("\u20AC")").value.stringValue(), "\xE2\x82\xAC");
    EXPECT_EQ(parse(R"("\u07FF\u0800\uFFFF")").value.stringValue(), "\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF");
    EXPECT_EQ(parse(R"("\u0000")").value.stringValue(), std::string(1, '\0'));
    // Long plain runs on both sides of an escape.
    const std::string run(40, 'r');
    EXPECT_EQ(parse("\"" + run + "\\n" + run + "\"").value.stringValue(), run + "\n" + run);
}

TEST(ParseStrings, SurrogatePairs) {
    EXPECT_EQ(parse(R"("\uD83D\uDE00")").value.stringValue(), "\xF0\x9F\x98\x80");
    EXPECT_EQ(parse(R"("\ud800\udc00")").value.stringValue(), "\xF0\x90\x80\x80");
    EXPECT_EQ(parse(R"("\uDBFF\uDFFF")").value.stringValue(), "\xF4\x8F\xBF\xBF");
    EXPECT_EQ(failure(R"("\uD83D")"), kSurrogate);
    EXPECT_EQ(failure(R"("\uD83Dx")"), kSurrogate);
    EXPECT_EQ(failure(R"("\uD83D\n")"), kSurrogate);
    EXPECT_EQ(failure(R"("\uD83D\u0041")"), kSurrogate);
    EXPECT_EQ(failure(R"("\uD83D\uD83D")"), kSurrogate);
    // A low surrogate with no high one before it.
    EXPECT_EQ(failure(R"("\uDE00")"), kSurrogate);
    EXPECT_EQ(failure(R"("\uDFFF\uD800")"), kSurrogate);
}

TEST(ParseStrings, MalformedStrings) {
    EXPECT_EQ(failure(R"("\x")"), "Unexpected escape character is found while parsing string.");
    EXPECT_EQ(failure("\"\\"), "Unexpected escape character is found while parsing string.");
    EXPECT_EQ(failure(R"("\u12G4")"), "Invalid unicode hex string is found while parsing string.");
    EXPECT_EQ(failure(R"("\u12")"), "Invalid unicode hex string is found while parsing string.");
    EXPECT_EQ(failure("\"\\u"), "Invalid unicode hex string is found while parsing string.");
    EXPECT_EQ(failure("\"abc"), "Expected string ending character '\"' is not found.");
    EXPECT_EQ(failure("\"abc\\n"), "Expected string ending character '\"' is not found.");
    EXPECT_EQ(failure("\""), "Expected string ending character '\"' is not found.");
}

TEST(ParseArrays, UnterminatedAtTheEndOfTheText) {
    EXPECT_TRUE(parse("[").value.isArray());
    EXPECT_EQ(parse("[").value.size(), 0u);
    EXPECT_EQ(parse("[1,").value.size(), 1u);
    // Only the innermost container may stop at the end of the text: the one
    // around it then finds no comma or bracket.
    const Parsed nestedOpen = parse("[[1,[2,");
    EXPECT_EQ(nestedOpen.error, kArrayText);
    EXPECT_EQ(toJson(nestedOpen.value), "[]");
    EXPECT_EQ(failure("[1"), kArrayText);
    EXPECT_EQ(failure("[1 2]"), kArrayText);
    // White space is not the end of the text.
    EXPECT_EQ(failure("[ "), kUnexpectedCharacter);
    EXPECT_EQ(failure("[1, "), kUnexpectedCharacter);
}

TEST(ParseArrays, Commas) {
    EXPECT_EQ(failure("[1,]"), "Unexpected comma exists while parsing array.");
    EXPECT_EQ(parse("[1,]", kAllowTrailingComma).value.size(), 1u);
    EXPECT_EQ(failure("[,1]"), kUnexpectedCharacter);
    EXPECT_EQ(failure("[,1]", kAllowTrailingComma), kUnexpectedCharacter);
    EXPECT_EQ(failure("[1,,2]"), kUnexpectedCharacter);
    EXPECT_TRUE(parse("[ ]").ok);
    EXPECT_EQ(parse(" [ 1 , \"a\" , [ ] , { } ] ").value.size(), 4u);
}

TEST(ParseArrays, FailureKeepsTheElementsReadBefore) {
    const Parsed result = parse("[1,2,x]");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, kUnexpectedCharacter);
    EXPECT_EQ(toJson(result.value), "[1,2]");
    // An element is added only once it is complete.
    EXPECT_EQ(toJson(parse("[1,[2,x]]").value), "[1]");
    EXPECT_EQ(toJson(parse("[\"ab").value), "[]");
}

TEST(ParseObjects, UnterminatedAtTheEndOfTheText) {
    EXPECT_TRUE(parse("{").value.isObject());
    EXPECT_TRUE(parse("{  ").ok);
    EXPECT_EQ(toJson(parse("{\"a\":1,").value), "{\"a\":1}");
    const Parsed nestedOpen = parse("{\"a\":{\"b\":[");
    EXPECT_EQ(nestedOpen.error, kObjectText);
    EXPECT_EQ(toJson(nestedOpen.value), "{}");
    EXPECT_EQ(failure("{\"a\":1"), kObjectText);
    EXPECT_EQ(failure("{\"a\""), kObjectText);
    EXPECT_EQ(failure("{\"a\" 1}"), kObjectText);
    EXPECT_EQ(failure("{\"a\":1 \"b\":2}"), kObjectText);
    EXPECT_EQ(failure("{\"a\":"), kUnexpectedCharacter);
    EXPECT_EQ(failure("{\"a"), "Expected string ending character '\"' is not found.");
}

TEST(ParseObjects, StrayBytesBetweenMembersAreSkipped) {
    EXPECT_EQ(toJson(parse("{x\"a\":1}").value), "{\"a\":1}");
    EXPECT_EQ(toJson(parse("{,\"a\":1,;:\"b\":2}").value), "{\"a\":1,\"b\":2}");
    EXPECT_EQ(toJson(parse("{x}").value), "{}");
    EXPECT_EQ(toJson(parse("{x").value), "{}");
    // A stray byte after a comma hides the comma, which then still counts.
    EXPECT_EQ(failure("{\"a\":1,x}"), "Unexpected comma exists while parsing object.");
}

TEST(ParseObjects, Commas) {
    EXPECT_EQ(failure("{\"a\":1,}"), "Unexpected comma exists while parsing object.");
    EXPECT_EQ(toJson(parse("{\"a\":1,}", kAllowTrailingComma).value), "{\"a\":1}");
    EXPECT_TRUE(parse("{ }").ok);
}

TEST(ParseObjects, FirstOfDuplicateKeysWins) {
    const Parsed result = parse(R"({"k":1,"k":{"deep":[1,2]},"j":2,"k":"x"})");
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(toJson(result.value), R"({"j":2,"k":1})");
    // Objects of one size in turn, their keys in different orders.
    EXPECT_EQ(toJson(parse(R"([{"b":1,"a":2,"a":3},{"a":4,"b":5,"a":6},{"b":7,"a":8,"a":9}])").value),
              R"([{"a":2,"b":1},{"a":4,"b":5},{"a":8,"b":7}])");
}

TEST(ParseObjects, ManyKeysInAnyOrderWithRepeats) {
    // Keys that share long prefixes, differ only in length or in bytes above
    // 0x7F, come in scrambled order and repeat; each keeps its first value.
    std::vector<std::string> keys;
    for (int i = 0; i < 120; ++i) {
        keys.push_back("shared_prefix_" + std::to_string((i * 37) % 100));
    }
    for (const char* key : {"a", "ab", R"(a\u0000)", "", R"(\u00e9)", R"(\u00e9\u00e9)", "zzzzzzzzz", "zzzzzzzz"}) {
        keys.push_back(key);
    }
    std::string text = "{";
    Value expected;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        text.append(i > 0 ? ",\"" : "\"").append(keys[i]).append("\":").append(std::to_string(i));
        Value decodedKey;
        ASSERT_TRUE(parseJson(decodedKey, "\"" + keys[i] + "\""));
        if (!expected.hasKey(decodedKey.stringValue())) {
            expected[decodedKey.stringValue()] = static_cast<int>(i);
        }
    }
    text += "}";
    const Parsed result = parse(text);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.value, expected);
    EXPECT_EQ(result.value.size(), 108u);
    EXPECT_EQ(result.value.get(std::string(1, 'a') + '\0').intValue(), 122);
}

TEST(ParseObjects, FailureKeepsTheMembersReadBefore) {
    EXPECT_EQ(toJson(parse(R"({"a":1,"b":[1,x]})").value), R"({"a":1})");
    // A failing repeat of a key leaves the first value alone.
    EXPECT_EQ(toJson(parse(R"({"a":1,"a":[x]})").value), R"({"a":1})");
    // Members of the enclosing objects are kept at every level.
    EXPECT_EQ(toJson(parse(R"({"z":1,"m":{"b":2,"a":[3,{"q":4,"p":x}]}})").value), R"({"z":1})");
    EXPECT_EQ(toJson(parse(R"({"z":1,"m":{"b":2,"a":[3,{"q":4,"p":5}],"c":x}})").value), R"({"z":1})");
}

TEST(ParseObjects, KeysWithEscapesAndOrder) {
    const Parsed result = parse(R"({"b":1,"a":2,"\u00e9":3,"\n":4,"a\"b":5})");
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.value.get("\xC3\xA9").intValue(), 3);
    EXPECT_EQ(result.value.get("a\"b").intValue(), 5);
    EXPECT_EQ(result.value.members().begin()->first, "\n");
}

std::string nested(const std::string& open, int levels) {
    std::string text;
    for (int i = 0; i < levels; ++i) {
        text += open;
    }
    return text;
}

TEST(ParseDepth, BoundedAtTheLimit) {
    EXPECT_TRUE(parse(nested("[", kMaxNestingDepth) + nested("]", kMaxNestingDepth)).ok);
    // Within the bound the usual rules apply: only the innermost may stay open.
    EXPECT_EQ(failure(nested("[", kMaxNestingDepth)), kArrayText);
    EXPECT_EQ(failure(nested("[", kMaxNestingDepth + 1) + nested("]", kMaxNestingDepth + 1)), kDepthLimitMessage);
    EXPECT_TRUE(parse(nested("{\"k\":", kMaxNestingDepth - 1) + "{}" + nested("}", kMaxNestingDepth - 1)).ok);
    EXPECT_EQ(failure(nested("{\"k\":", kMaxNestingDepth) + "{}" + nested("}", kMaxNestingDepth)), kDepthLimitMessage);
    EXPECT_EQ(failure(nested("[{\"k\":", kMaxNestingDepth / 2) + "[]"), kDepthLimitMessage);
    EXPECT_EQ(std::string(kDepthLimitMessage), "Nesting depth exceeds the limit of 512 levels.");

    // Closed levels do not count: depth, not the number of containers.
    std::string wide;
    for (int i = 0; i < 2000; ++i) {
        wide += "[[]],";
    }
    EXPECT_TRUE(parse("[" + wide + "1]").ok);
}

TEST(ParseDepth, AMillionOpeningBracketsFailCleanly) {
    const std::string text(1000000, '[');
    const Parsed result = parse(text);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, kDepthLimitMessage);
    EXPECT_TRUE(result.value.isArray());
    EXPECT_EQ(result.value.size(), 0u);
    EXPECT_EQ(failure(nested("{\"\":", 1000000)), kDepthLimitMessage);
}

TEST(ParseRoundTrip, WrittenTextParsesToAnEqualValue) {
    const std::string text =
        R"({"array":[1,-2,3.5,"four",true,false,null,{},[]],"nested":{"a":{"b":{"c":[[[]]]}}},)"
        R"("text":"tab\t quote\" slash/ bs\\ \u0001 \u00e9 \ud83d\ude00","big":1e300,"neg":-0.25})";
    const Parsed first = parse(text);
    ASSERT_TRUE(first.ok) << first.error;
    for (WriteOptions flags : {0x00u, 0x80u, 0x81u, 0x82u, 0x86u}) {
        std::string written;
        ASSERT_TRUE(writeJson(first.value, written, flags));
        const Parsed second = parse(written);
        ASSERT_TRUE(second.ok) << second.error;
        EXPECT_EQ(second.value, first.value) << written;
    }
}

}  // namespace
}  // namespace pocketjson
