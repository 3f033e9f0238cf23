// The request spine with handlers of the test's own: what reaches a handler,
// how its outcome becomes the envelope, and that every request is answered
// exactly once whatever goes wrong.

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "bridge/bridge.h"
#include "bridgehost_control.h"
#include "pocketjson/json.h"

using pocketjson::Value;

namespace {

// Answers GET with what it received, so tests can see the parsed arguments.
class EchoHandler : public kelto::Bridge {
public:
    BridgeResult onGet(const RequestArgs& args) override {
        Value seen;
        seen["options"] = args.options();
        seen["params"] = args.params();
        seen["query"] = args.query();
        seen["body"] = args.body();
        return BridgeResult(seen);
    }
};

// Each method fails in a different way.
class FailingHandler : public kelto::Bridge {
public:
    BridgeResult onGet(const RequestArgs&) override { throw std::runtime_error("secret library text"); }
    BridgeResult onPut(const RequestArgs&) override {
        requireBadRequest(false, "index is invalid.");
        return BridgeResult();
    }
    BridgeResult onPost(const RequestArgs&) override {
        BridgeResultError error(500, "InternalError", "Failed to open event log.");
        error.error["code"] = 255;
        error.error["detail"] = "kept";
        throw error;
    }
    BridgeResult onDelete(const RequestArgs&) override {
        Value broken;
        broken["x"] = std::numeric_limits<double>::quiet_NaN();
        return BridgeResult(broken);
    }
};

// Fails before the method operation, outside the guarded region.
class ExhaustedHandler : public kelto::Bridge {
public:
    void prepareRequest(const RequestArgs&) override { throw std::bad_alloc(); }
};

struct Answer {
    std::uint32_t promise;
    std::int32_t status;
    std::int32_t count;
    std::string text;
    Value value() const {
        Value envelope;
        pocketjson::parseJson(envelope, text);
        return envelope.get("value");
    }
};

Answer dispatch(BridgeTemplate& handler, const char* options, const char* params = "", const char* query = "",
                const char* body = "") {
    const std::uint32_t promise = dispatchRequest(handler, options, params, query, body);
    const char* text = BridgeHostResponseText(promise);
    return {promise, BridgeHostResponseStatus(promise), BridgeHostResponseCount(promise), text ? text : ""};
}

Value echoed(const char* options, const char* body, const char* key = "body") {
    EchoHandler handler;
    return dispatch(handler, options, "", "", body).value().get(key);
}

}  // namespace

TEST(MethodSelection, IgnoresCaseAndFallsBackToGet) {
    auto method = [](const char* options) {
        Value v;
        pocketjson::parseJson(v, std::string(options));
        return selectMethod(v);
    };
    EXPECT_EQ(method(R"({"method":"Post"})"), MethodKind::Post);
    EXPECT_EQ(method(R"({"method":"pUt"})"), MethodKind::Put);
    EXPECT_EQ(method(R"({"method":"DELETE"})"), MethodKind::Delete);
    EXPECT_EQ(method(R"({"method":"PATCH"})"), MethodKind::Get);
    EXPECT_EQ(method(R"({"verb":"POST"})"), MethodKind::Get);
    EXPECT_EQ(method(R"(["POST"])"), MethodKind::Get);
    EXPECT_EQ(method(""), MethodKind::Get);
    // An options text cut off after a complete member still selects it.
    EXPECT_EQ(method(R"({"method":"delete")"), MethodKind::Delete);
    // Non-string methods go through the value's text form.
    EXPECT_EQ(method(R"({"method":true})"), MethodKind::Get);
}

TEST(RequestArguments, BodyThatIsNotJsonArrivesAsString) {
    EXPECT_EQ(echoed("{}", "plain words"), Value("plain words"));
    EXPECT_EQ(echoed("{}", "null"), Value("null"));
    EXPECT_TRUE(echoed("{}", "").isNull());
    EXPECT_EQ(echoed("{}", R"({"a":1})").get("a"), Value(1));
}

TEST(RequestArguments, TextAfterAValueKeepsWhatWasParsed) {
    EXPECT_EQ(echoed("{}", "12abc"), Value(12));
    const Value partial = echoed("{}", "[1,2,x]");
    ASSERT_TRUE(partial.isArray());
    EXPECT_EQ(partial.size(), 2u);
    // Only the body falls back to text; other arguments stay what the parser left.
    EXPECT_TRUE(echoed("not json", "", "options").isNull());
}

TEST(RequestArguments, NullPointersCountAsEmptyTexts) {
    EchoHandler handler;
    const Answer answer = dispatch(handler, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.count, 1);
}

TEST(Envelope, SuccessCarriesNullErrorFirst) {
    EchoHandler handler;
    const Answer answer = dispatch(handler, R"({"method":"get"})", R"({"index":1})");
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.text,
              R"({"error":null,"value":{"body":null,"options":{"method":"get"},"params":{"index":1},"query":null}})");
}

TEST(Envelope, MethodErrorIsByteForByte) {
    EchoHandler handler;
    const Answer answer = dispatch(handler, R"({"method":"DELETE"})");
    EXPECT_EQ(answer.status, 405);
    EXPECT_EQ(answer.text, R"({"error":{"message":"DELETE method is not allowed.","name":"MethodError"},"value":null})");
}

TEST(Envelope, GuardFailureAnswersItsStatusAndMessage) {
    FailingHandler handler;
    const Answer answer = dispatch(handler, R"({"method":"PUT"})");
    EXPECT_EQ(answer.status, 400);
    EXPECT_EQ(answer.text, R"({"error":{"message":"index is invalid.","name":"BadRequestError"},"value":null})");
}

TEST(Envelope, ErrorValueMembersJoinTheErrorObject) {
    FailingHandler handler;
    const Answer answer = dispatch(handler, R"({"method":"POST"})");
    EXPECT_EQ(answer.status, 500);
    EXPECT_EQ(answer.text,
              R"({"error":{"code":255,"detail":"kept","message":"Failed to open event log.","name":"InternalError"},)"
              R"("value":null})");
}

TEST(Envelope, ForeignExceptionTextIsNeverSent) {
    FailingHandler handler;
    const Answer answer = dispatch(handler, R"({"method":"GET"})");
    EXPECT_EQ(answer.status, 500);
    EXPECT_EQ(answer.text, R"({"error":{"message":"Unknown error occurred.","name":"UnknownError"},"value":null})");
}

TEST(Envelope, EmptinessOfTheErrorPart) {
    // A numeric error value with no name or message still counts as empty.
    BridgeResult numericError(Value(1));
    numericError.error = 7;
    std::string text;
    ASSERT_TRUE(writeEnvelope(numericError, text));
    EXPECT_EQ(text, R"({"error":null,"value":1})");

    // A non-empty string error value makes an error object of its own.
    BridgeResult stringError;
    stringError.error = "x";
    text.clear();
    ASSERT_TRUE(writeEnvelope(stringError, text));
    EXPECT_EQ(text, R"({"error":{"message":"","name":""},"value":null})");
}

TEST(Envelope, ResultErrorValueIsNotChangedByTheEnvelope) {
    BridgeResultError error(400, "BadRequestError", "name is empty.");
    error.error["code"] = 1;
    std::string text;
    ASSERT_TRUE(writeEnvelope(error, text));
    EXPECT_FALSE(error.error.hasKey("name"));
    EXPECT_EQ(error.error.size(), 1u);
}

TEST(ExactlyOnce, PromiseReturnedIsThePromiseAnswered) {
    EchoHandler handler;
    const Answer first = dispatch(handler, "{}");
    const Answer second = dispatch(handler, "{}");
    EXPECT_NE(first.promise, second.promise);
    EXPECT_EQ(first.count, 1);
    EXPECT_EQ(second.count, 1);
    EXPECT_EQ(BridgeHostLastPromise(), second.promise);
}

TEST(ExactlyOnce, ValueThatCannotBeWrittenAnswersUnknownError) {
    FailingHandler handler;
    const Answer answer = dispatch(handler, R"({"method":"DELETE"})");
    EXPECT_EQ(answer.status, 500);
    EXPECT_EQ(answer.count, 1);
    EXPECT_EQ(answer.text, R"({"error":{"message":"Unknown error occurred.","name":"UnknownError"},"value":null})");
}

TEST(ExactlyOnce, ExceptionOutsideTheMethodAnswersUnknownError) {
    ExhaustedHandler handler;
    const Answer answer = dispatch(handler, "{}");
    EXPECT_EQ(answer.status, 500);
    EXPECT_EQ(answer.count, 1);
    EXPECT_EQ(answer.text, R"({"error":{"message":"Unknown error occurred.","name":"UnknownError"},"value":null})");
}

TEST(ExactlyOnce, DeepNestingIsAnsweredNotOverflowed) {
    const std::string deep(1'000'000, '[');
    EchoHandler handler;
    const Answer answer = dispatch(handler, "{}", deep.c_str(), deep.c_str(), deep.c_str());
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.count, 1);
}
