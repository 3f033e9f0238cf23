#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <thread>
#include <vector>

#include "pocketjson/json.h"
#include "pocketjson/value.h"

namespace pocketjson {
namespace {

TEST(ValueConstruction, TypeTagsStartEmpty) {
    EXPECT_TRUE(Value().isNull());
    EXPECT_FALSE(Value(ValueType::Boolean).boolValue());
    EXPECT_EQ(Value(ValueType::Integer).intValue(), 0);
    EXPECT_EQ(Value(ValueType::Double).doubleValue(), 0.0);
    EXPECT_EQ(Value(ValueType::String).stringValue(), "");
    EXPECT_EQ(Value(ValueType::Object).size(), 0u);
    EXPECT_TRUE(Value(ValueType::Array).isArray());

    // A tag without a JSON kind is kept, with nothing behind it.
    Value odd(static_cast<ValueType>(3));
    EXPECT_EQ(static_cast<std::uint32_t>(odd.type()), 3u);
    Value copy = odd;
    EXPECT_EQ(copy, odd);
    EXPECT_EQ(odd.size(), 0u);
}

TEST(ValueConstruction, ScalarsAndTexts) {
    EXPECT_EQ(Value(true).type(), ValueType::Boolean);
    EXPECT_EQ(Value(42).intValue(), 42);
    EXPECT_EQ(Value(std::uint32_t{4000000000u}).intValue(), 4000000000);
    EXPECT_EQ(Value(std::int64_t{-5}).intValue(), -5);
    EXPECT_EQ(Value(1.5).doubleValue(), 1.5);
    EXPECT_EQ(Value("text").stringValue(), "text");
    EXPECT_EQ(Value(std::string("a\0b", 3)).size(), 3u);
    EXPECT_EQ(Value(std::string_view("view")).stringValue(), "view");
}

TEST(ValueConstruction, ReadersAnswerNeutralValuesForOtherTypes) {
    const Value text("1");
    EXPECT_FALSE(text.boolValue());
    EXPECT_EQ(text.intValue(), 0);
    EXPECT_EQ(text.doubleValue(), 0.0);
    EXPECT_EQ(Value(1).stringValue(), "");
    EXPECT_TRUE(text.members().empty());
    EXPECT_TRUE(text.elements().empty());
}

TEST(ValueSharing, CopiesShareOneBoxAndReleaseIt) {
    Value original(ValueType::Array);
    original.append(1);
    EXPECT_EQ(original.shareCount(), 1);
    {
        Value copy = original;
        Value another;
        another = copy;
        EXPECT_EQ(original.shareCount(), 3);
    }
    EXPECT_EQ(original.shareCount(), 1);
    EXPECT_EQ(Value(7).shareCount(), 1);
}

TEST(ValueSharing, CopyingAnObjectThenSettingAMemberDetaches) {
    Value first;
    first["a"] = 1;
    Value second = first;
    second["b"] = 2;
    EXPECT_EQ(first.size(), 1u);
    EXPECT_FALSE(first.hasKey("b"));
    EXPECT_EQ(second.size(), 2u);
    EXPECT_EQ(first.shareCount(), 1);
    EXPECT_EQ(second.shareCount(), 1);
    // Even reading through operator[] detaches: it is the mutable access.
    Value third = first;
    (void)third["a"];
    EXPECT_EQ(first.shareCount(), 1);
}

TEST(ValueSharing, DetachSharesMemberBoxesInsteadOfCopyingThem) {
    Value first;
    first["list"].append(1);
    Value second = first;
    second["other"] = true;
    // The detached map holds a second reference to the same array box.
    EXPECT_EQ(first.get("list").shareCount(), 2);
    Value list = second.get("list");
    list.append(2);
    EXPECT_EQ(first.get("list").size(), 2u);
}

TEST(ValueSharing, AppendingToACopyOfAnArrayChangesTheOriginal) {
    Value first;
    first.append("x");
    Value second = first;
    second.append("y");
    EXPECT_EQ(first.size(), 2u);
    EXPECT_EQ(first.at(1).stringValue(), "y");
    EXPECT_EQ(first.shareCount(), 2);
}

TEST(ValueSharing, TextAssignmentNeverWritesIntoASharedString) {
    Value first("one");
    Value second = first;
    second = "two";
    EXPECT_EQ(first.stringValue(), "one");
    EXPECT_EQ(second.stringValue(), "two");
    EXPECT_EQ(first.shareCount(), 1);

    // An unshared string box is reused in place.
    const std::string* box = &first.stringValue();
    first = std::string("three");
    EXPECT_EQ(&first.stringValue(), box);
    EXPECT_EQ(first.stringValue(), "three");
}

TEST(ValueSharing, SelfAssignmentKeepsTheValue) {
    Value value;
    value["k"] = "v";
    Value& alias = value;
    value = alias;
    EXPECT_EQ(value.get("k").stringValue(), "v");
    EXPECT_EQ(value.shareCount(), 1);
    value = std::move(alias);
    EXPECT_EQ(value.get("k").stringValue(), "v");

    Value text("abc");
    text = text.stringValue();
    EXPECT_EQ(text.stringValue(), "abc");
}

TEST(ValueSharing, MoveLeavesTheSourceNull) {
    Value source(ValueType::Array);
    source.append(1);
    Value target(std::move(source));
    EXPECT_TRUE(source.isNull());  // NOLINT: a moved-from value is Null by design
    EXPECT_EQ(target.size(), 1u);
    Value other("x");
    other = std::move(target);
    EXPECT_TRUE(target.isNull());  // NOLINT
    EXPECT_EQ(other.shareCount(), 1);
}

TEST(ValueSharing, ScalarAssignmentReleasesTheBox) {
    Value shared;
    shared["a"] = 1;
    Value copy = shared;
    copy = 5;
    EXPECT_EQ(shared.shareCount(), 1);
    copy = shared;
    copy = 2.5;
    copy = false;
    EXPECT_EQ(shared.shareCount(), 1);
    EXPECT_EQ(copy.type(), ValueType::Boolean);
}

TEST(ValueObjects, MemberAccessTurnsAnyValueIntoAnObject) {
    Value text("hello");
    Value& member = text["k"];
    EXPECT_TRUE(member.isNull());
    EXPECT_TRUE(text.isObject());
    EXPECT_EQ(text.size(), 1u);

    Value list;
    list.append(1);
    list["k"] = 2;
    EXPECT_TRUE(list.isObject());
    EXPECT_EQ(list.size(), 1u);
}

TEST(ValueObjects, KeyTakenFromTheDiscardedContentStaysValid) {
    Value value("key");
    value[value.stringValue()] = 1;
    EXPECT_EQ(value.get("key").intValue(), 1);
}

TEST(ValueObjects, MembersComeOutInByteOrder) {
    Value object;
    // Keys of eight bytes and more are compared a word at a time.
    for (const char* key : {"b", "a", "ab", "B", "\xC3\xA9", "", "a\x7F", "abcdefgh", "abcdefgh1", "abcdefgh\xC3\xA9",
                            "abcdefghabcdefgh", "abcdffga", "\xC3\xA9zzzzzzzz"}) {
        object[key] = key;
    }
    std::vector<std::string> keys;
    for (const auto& member : object.members()) {
        keys.emplace_back(member.first);
    }
    const std::vector<std::string> expected = {
        "",         "B",     "a", "ab",       "abcdefgh",        "abcdefgh1", "abcdefghabcdefgh", "abcdefgh\xC3\xA9",
        "abcdffga", "a\x7F", "b", "\xC3\xA9", "\xC3\xA9zzzzzzzz"};
    EXPECT_EQ(keys, expected);
}

TEST(ValueObjects, GetAnswersTheOneSharedNullWhenNothingIsThere) {
    Value object;
    object["present"] = 1;
    const Value& missing = object.get("absent");
    EXPECT_TRUE(missing.isNull());
    EXPECT_EQ(&missing, &Value::null());
    EXPECT_EQ(&Value(5).get("x"), &Value::null());
    EXPECT_EQ(&Value().get("present"), &Value::null());
    EXPECT_EQ(&object.get("absent"), &object.get("other"));
    EXPECT_EQ(object.get("present").intValue(), 1);
    EXPECT_FALSE(object.hasKey("absent"));  // get() does not insert
    EXPECT_EQ(object.size(), 1u);
}

TEST(ValueObjects, SharedNullIsCreatedOnceUnderConcurrentFirstUse) {
    constexpr int kThreads = 8;
    std::vector<const Value*> seen(kThreads, nullptr);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&seen, i] { seen[i] = &Value().get("x"); });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    for (const Value* address : seen) {
        EXPECT_EQ(address, &Value::null());
    }
    EXPECT_TRUE(Value::null().isNull());
}

TEST(ValueObjects, HasKeyOnlyForObjects) {
    Value object;
    object["k"];
    EXPECT_TRUE(object.hasKey("k"));
    EXPECT_FALSE(Value("k").hasKey("k"));
}

TEST(ValueArrays, AppendTurnsAnyValueIntoAnArray) {
    Value value(3);
    value.append("a");
    value.append(Value());
    EXPECT_TRUE(value.isArray());
    ASSERT_EQ(value.size(), 2u);
    EXPECT_EQ(value.at(0).stringValue(), "a");
    EXPECT_TRUE(value.at(1).isNull());
    EXPECT_EQ(&value.at(2), &Value::null());
}

TEST(ValueArrays, AppendOfAMemberOfTheDiscardedObjectIsSafe) {
    Value value;
    value["k"] = "text";
    value.append(value.get("k"));
    ASSERT_TRUE(value.isArray());
    EXPECT_EQ(value.at(0).stringValue(), "text");

    // Appending an element of the same array survives reallocation.
    for (int i = 0; i < 20; ++i) {
        value.append(value.at(0));
    }
    EXPECT_EQ(value.at(20).stringValue(), "text");
}

TEST(ValueArrays, AppendedContainersAreShared) {
    Value inner;
    inner["x"] = 1;
    Value outer;
    outer.append(inner);
    EXPECT_EQ(inner.shareCount(), 2);
    EXPECT_EQ(&outer.at(0).members(), &inner.members());
}

TEST(ValueSetType, SameTypeKeepsContentOtherTypeEmpties) {
    Value object;
    object["a"] = 1;
    object.setType(ValueType::Object);
    EXPECT_EQ(object.size(), 1u);
    object.setType(ValueType::Array);
    EXPECT_TRUE(object.isArray());
    EXPECT_EQ(object.size(), 0u);

    Value number(12);
    number.setType(ValueType::Integer);
    EXPECT_EQ(number.intValue(), 12);
    number.setType(ValueType::Double);
    EXPECT_EQ(number.doubleValue(), 0.0);
    number.setType(ValueType::String);
    EXPECT_EQ(number.stringValue(), "");
}

TEST(ValueSetType, ChangingTypeOfASharedBoxLeavesTheOtherHolder) {
    Value first;
    first.append(1);
    Value second = first;
    second.setType(ValueType::Null);
    EXPECT_EQ(first.size(), 1u);
    EXPECT_EQ(first.shareCount(), 1);
}

TEST(ValueQueries, SizeCountsBytesMembersAndElements) {
    EXPECT_EQ(Value("\xC3\xA9\xE2\x82\xAC").size(), 5u);  // two characters, five bytes
    Value object;
    object["a"];
    object["b"];
    EXPECT_EQ(object.size(), 2u);
    EXPECT_EQ(Value(123456).size(), 0u);
    EXPECT_EQ(Value(true).size(), 0u);
    EXPECT_EQ(Value().size(), 0u);
}

TEST(ValueQueries, AsStringOfEachType) {
    EXPECT_EQ(Value(-42).asString(), "-42");
    EXPECT_EQ(Value(std::numeric_limits<std::int64_t>::min()).asString(), "-9223372036854775808");
    EXPECT_EQ(Value(true).asString(), "true");
    EXPECT_EQ(Value(false).asString("x"), "false");
    EXPECT_EQ(Value(0.5).asString(), "0.5");
    EXPECT_EQ(Value(1.0).asString(), "1");
    EXPECT_EQ(Value(-0.0).asString(), "0.0");
    EXPECT_EQ(Value(std::numeric_limits<double>::infinity()).asString(), "inf");
    EXPECT_EQ(Value("text").asString("fallback"), "text");
    EXPECT_EQ(Value().asString("fallback"), "fallback");
    EXPECT_EQ(Value(ValueType::Object).asString("fallback"), "fallback");
    EXPECT_EQ(Value(ValueType::Array).asString(), "");
}

TEST(ValueQueries, ToUInt32OfScalars) {
    EXPECT_EQ(Value(true).toUInt32(9), 1u);
    EXPECT_EQ(Value(false).toUInt32(9), 0u);
    EXPECT_EQ(Value(0).toUInt32(9), 0u);
    EXPECT_EQ(Value(std::int64_t{4294967295}).toUInt32(9), 4294967295u);
    EXPECT_EQ(Value(std::int64_t{4294967296}).toUInt32(9), 9u);
    EXPECT_EQ(Value(-1).toUInt32(9), 9u);
    EXPECT_EQ(Value().toUInt32(9), 9u);
    EXPECT_EQ(Value(ValueType::Object).toUInt32(9), 9u);
    EXPECT_EQ(Value(ValueType::Array).toUInt32(9), 9u);
}

TEST(ValueQueries, ToUInt32OfDoublesRoundsHalvesAwayFromZero) {
    EXPECT_EQ(Value(2.5).toUInt32(9), 3u);
    EXPECT_EQ(Value(2.4999).toUInt32(9), 2u);
    EXPECT_EQ(Value(-0.4).toUInt32(9), 0u);
    EXPECT_EQ(Value(-0.5).toUInt32(9), 9u);
    EXPECT_EQ(Value(-0.6).toUInt32(9), 9u);
    EXPECT_EQ(Value(4294967295.4).toUInt32(9), 4294967295u);
    EXPECT_EQ(Value(4294967295.5).toUInt32(9), 9u);
    EXPECT_EQ(Value(std::nan("")).toUInt32(9), 9u);
    EXPECT_EQ(Value(std::numeric_limits<double>::infinity()).toUInt32(9), 9u);
}

TEST(ValueQueries, ToUInt32OfStringsReadsTheWholeTextWithAutomaticBase) {
    EXPECT_EQ(Value("0x10").toUInt32(9), 16u);
    EXPECT_EQ(Value("0XfF").toUInt32(9), 255u);
    EXPECT_EQ(Value("010").toUInt32(9), 8u);
    EXPECT_EQ(Value("0").toUInt32(9), 0u);
    EXPECT_EQ(Value("123").toUInt32(9), 123u);
    EXPECT_EQ(Value("4294967295").toUInt32(9), 4294967295u);
    EXPECT_EQ(Value("4294967296").toUInt32(9), 9u);
    EXPECT_EQ(Value("99999999999999999999999").toUInt32(9), 9u);
    EXPECT_EQ(Value("12ab").toUInt32(9), 9u);
    EXPECT_EQ(Value("08").toUInt32(9), 9u);  // octal stops at 8
    EXPECT_EQ(Value("0x").toUInt32(9), 9u);  // only the 0 is a number
    EXPECT_EQ(Value("1.5").toUInt32(9), 9u);
    EXPECT_EQ(Value("12 ").toUInt32(9), 9u);
    EXPECT_EQ(Value("-1").toUInt32(9), 9u);  // wraps to a huge unsigned number
    EXPECT_EQ(Value(" \t+7").toUInt32(9), 7u);
    EXPECT_EQ(Value("-").toUInt32(9), 9u);
    EXPECT_EQ(Value("  ").toUInt32(9), 9u);
    EXPECT_EQ(Value(std::string("1\0002", 3)).toUInt32(9), 9u);
}

TEST(ValueEquality, ComparesDeeply) {
    Value a;
    a["x"].append(1);
    a["x"].append("s");
    Value b;
    b["x"].append(1);
    b["x"].append("s");
    EXPECT_EQ(a, b);
    b["x"].append(Value());
    EXPECT_NE(a, b);
    EXPECT_NE(Value(1), Value(1.0));
    EXPECT_NE(Value(std::nan("")), Value(std::nan("")));
    EXPECT_EQ(Value(0.0), Value(-0.0));
}

}  // namespace
}  // namespace pocketjson
