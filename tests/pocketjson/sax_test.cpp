#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pocketjson/json.h"

namespace pocketjson {
namespace {

// Records every event as a short token; cancels at the event numbered
// cancelAt (counting from 0), if any.
class Recorder : public SaxHandler {
public:
    std::vector<std::string> events;
    int cancelAt = -1;

    bool null() override { return record("null"); }
    bool boolean(bool b) override { return record(b ? "true" : "false"); }
    bool integer(std::int64_t n) override { return record("int:" + std::to_string(n)); }
    bool number(double d) override {
        std::string text;
        formatDouble(d, text);
        return record("double:" + text);
    }
    bool string(const std::string& s) override { return record("string:" + s); }
    bool startArray() override { return record("["); }
    bool endArray(std::size_t count) override { return record(std::string("]").append(std::to_string(count))); }
    bool startObject() override { return record("{"); }
    bool key(const std::string& k) override { return record("key:" + k); }
    bool endObject(std::size_t count) override { return record(std::string("}").append(std::to_string(count))); }

private:
    bool record(const std::string& event) {
        events.push_back(event);
        return static_cast<int>(events.size()) - 1 != cancelAt;
    }
};

bool parseSax(Recorder& recorder, const std::string& text, ParseOptions options = 0, std::string* error = nullptr) {
    return parseJson(recorder, text.data(), text.data() + text.size(), options, error);
}

TEST(SaxParse, EventsInDocumentOrder) {
    Recorder recorder;
    ASSERT_TRUE(parseSax(recorder, R"({"b":[1,2.5,"s\n"],"a":{"x":null,"y":true},"c":false,"d":-0})"));
    const std::vector<std::string> expected = {"{",     "key:b", "[",     "int:1", "double:2.5", "string:s\n", "]3",
                                               "key:a", "{",     "key:x", "null",  "key:y",      "true",       "}2",
                                               "key:c", "false", "key:d", "int:0", "}4"};
    EXPECT_EQ(recorder.events, expected);
}

TEST(SaxParse, RepeatedKeysAreAllReported) {
    Recorder recorder;
    ASSERT_TRUE(parseSax(recorder, R"({"k":1,"k":2})"));
    const std::vector<std::string> expected = {"{", "key:k", "int:1", "key:k", "int:2", "}2"};
    EXPECT_EQ(recorder.events, expected);
}

TEST(SaxParse, LenientEndingsCloseTheContainer) {
    Recorder array;
    ASSERT_TRUE(parseSax(array, "[1,"));
    EXPECT_EQ(array.events, (std::vector<std::string>{"[", "int:1", "]1"}));
    Recorder object;
    ASSERT_TRUE(parseSax(object, "{\"a\":[],"));
    EXPECT_EQ(object.events, (std::vector<std::string>{"{", "key:a", "[", "]0", "}1"}));
    Recorder trailing;
    ASSERT_TRUE(parseSax(trailing, "[1,]", kAllowTrailingComma));
    EXPECT_EQ(trailing.events.back(), "]1");
}

TEST(SaxParse, EveryEventCanCancel) {
    const std::string text = R"({"a":[null,true,1,2.5,"s",{}]})";
    Recorder full;
    ASSERT_TRUE(parseSax(full, text));
    for (int cancelAt = 0; cancelAt < static_cast<int>(full.events.size()); ++cancelAt) {
        Recorder recorder;
        recorder.cancelAt = cancelAt;
        std::string error;
        EXPECT_FALSE(parseSax(recorder, text, 0, &error)) << "cancel at " << full.events[cancelAt];
        EXPECT_EQ(error, "SAX handler cancels parsing.");
        EXPECT_EQ(recorder.events.size(), static_cast<std::size_t>(cancelAt) + 1);
    }
}

TEST(SaxParse, SameMessagesAsTheValuePath) {
    for (const std::string text : {"", "[1,]", "{\"a\":1,}", "12abc", "\"\\uDE00\"", "01", "[1"}) {
        Recorder recorder;
        std::string saxError;
        Value value;
        std::string valueError;
        EXPECT_EQ(parseSax(recorder, text, 0, &saxError), parseJson(value, text, 0, &valueError));
        EXPECT_EQ(saxError, valueError) << text;
        EXPECT_FALSE(saxError.empty()) << text;
    }
}

TEST(SaxParse, DepthIsBounded) {
    Recorder recorder;
    std::string error;
    EXPECT_FALSE(parseSax(recorder, std::string(1000000, '['), 0, &error));
    EXPECT_EQ(error, kDepthLimitMessage);
    EXPECT_EQ(recorder.events.size(), static_cast<std::size_t>(kMaxNestingDepth));
}

}  // namespace
}  // namespace pocketjson
