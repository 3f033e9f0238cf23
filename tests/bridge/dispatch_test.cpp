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
class EchoHandler : public BridgeTemplate {
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
class FailingHandler : public BridgeTemplate {
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
class ExhaustedHandler : public BridgeTemplate {
public:
    void prepareRequest(const RequestArgs&) override { throw std::bad_alloc(); }
};

struct Answer {
    std::uint32_t promise;
    std::int32_t status;
    std::int32_t count;
    std::string text;
};

Answer dispatch(BridgeTemplate& handler, const char* options, const char* params = "", const char* body = "") {
    const std::uint32_t promise = dispatchRequest(handler, options, params, "", body);
    const char* text = BridgeHostResponseText(promise);
    return {promise, BridgeHostResponseStatus(promise), BridgeHostResponseCount(promise), text ? text : ""};
}

constexpr const char* kUnknownError =
    R"({"error":{"message":"Unknown error occurred.","name":"UnknownError"},"value":null})";

std::string written(const BridgeResult& result) {
    std::string text;
    EXPECT_TRUE(writeEnvelope(result, text));
    return text;
}

}  // namespace

TEST(MethodSelection, IgnoresCaseAndFallsBackToGet) {
    const struct {
        const char* options;
        MethodKind method;
    } cases[] = {
        {R"({"method":"Post"})", MethodKind::Post},
        {R"({"method":"pUt"})", MethodKind::Put},
        {R"({"method":"DELETE"})", MethodKind::Delete},
        {R"({"method":"PATCH"})", MethodKind::Get},
        {R"({"verb":"POST"})", MethodKind::Get},
        {R"(["POST"])", MethodKind::Get},
        {"", MethodKind::Get},
        // An options text cut off after a complete member still selects it.
        {R"({"method":"delete")", MethodKind::Delete},
        // Non-string methods go through the value's text form.
        {R"({"method":true})", MethodKind::Get},
    };
    for (const auto& c : cases) {
        Value options;
        pocketjson::parseJson(options, std::string(c.options));
        EXPECT_EQ(selectMethod(options), c.method) << c.options;
    }
}

TEST(RequestArguments, OnlyTheBodyFallsBackToTextOthersKeepWhatWasParsed) {
    const struct {
        const char* options;
        const char* body;
        const char* seen;
    } cases[] = {
        {"{}", "plain words", R"({"body":"plain words","options":{},"params":null,"query":null})"},
        {"{}", "null", R"({"body":"null","options":{},"params":null,"query":null})"},
        {"{}", "", R"({"body":null,"options":{},"params":null,"query":null})"},
        {"{}", R"({"a":1})", R"({"body":{"a":1},"options":{},"params":null,"query":null})"},
        {"{}", "12abc", R"({"body":12,"options":{},"params":null,"query":null})"},
        {"{}", "[1,2,x]", R"({"body":[1,2],"options":{},"params":null,"query":null})"},
        {"not json", "", R"({"body":null,"options":null,"params":null,"query":null})"},
    };
    EchoHandler handler;
    for (const auto& c : cases) {
        EXPECT_EQ(dispatch(handler, c.options, "", c.body).text,
                  std::string(R"({"error":null,"value":)") + c.seen + "}")
            << c.body;
    }
}

TEST(Envelope, EveryOutcomeIsAnsweredOnceByteForByte) {
    EchoHandler echo;
    FailingHandler failing;
    ExhaustedHandler exhausted;
    const struct {
        BridgeTemplate* handler;
        const char* options;
        std::int32_t status;
        const char* text;
    } cases[] = {
        {&echo, R"({"method":"get"})", 200,
         R"({"error":null,"value":{"body":null,"options":{"method":"get"},"params":{"index":1},"query":null}})"},
        {&failing, R"({"method":"PUT"})", 400,
         R"({"error":{"message":"index is invalid.","name":"BadRequestError"},"value":null})"},
        // Members of the error value join the error object.
        {&failing, R"({"method":"POST"})", 500,
         R"({"error":{"code":255,"detail":"kept","message":"Failed to open event log.","name":"InternalError"},)"
         R"("value":null})"},
        // The texts of foreign exceptions are never sent.
        {&failing, R"({"method":"GET"})", 500, kUnknownError},
        // A value that cannot be written.
        {&failing, R"({"method":"DELETE"})", 500, kUnknownError},
        // An exception outside the method operation.
        {&exhausted, "{}", 500, kUnknownError},
    };
    for (const auto& c : cases) {
        const Answer answer = dispatch(*c.handler, c.options, R"({"index":1})");
        EXPECT_EQ(answer.status, c.status) << c.options;
        EXPECT_EQ(answer.count, 1) << c.options;
        EXPECT_EQ(answer.text, c.text) << c.options;
    }
    // Null pointers count as empty texts.
    const std::uint32_t promise = dispatchRequest(echo, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(BridgeHostResponseStatus(promise), 200);
    EXPECT_EQ(BridgeHostResponseCount(promise), 1);
}

TEST(Envelope, EmptinessOfTheErrorPart) {
    // A numeric error value with no name or message still counts as empty.
    BridgeResult numericError(Value(1));
    numericError.error = 7;
    EXPECT_EQ(written(numericError), R"({"error":null,"value":1})");

    // A non-empty string error value makes an error object of its own.
    BridgeResult stringError;
    stringError.error = "x";
    EXPECT_EQ(written(stringError), R"({"error":{"message":"","name":""},"value":null})");

    // Error texts are escaped as the writer escapes every string.
    BridgeResultError quoted(400, "Bad\"Name", "line\nbreak");
    quoted.value = 5;
    EXPECT_EQ(written(quoted), R"({"error":{"message":"line\nbreak","name":"Bad\"Name"},"value":5})");

    // Writing leaves the result's own error value as it was.
    BridgeResultError error(400, "BadRequestError", "name is empty.");
    error.error["code"] = 1;
    written(error);
    EXPECT_EQ(toJson(error.error), R"({"code":1})");
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
