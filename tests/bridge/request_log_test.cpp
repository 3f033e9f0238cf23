// The log line written after every request, byte for byte, as the logging
// library receives it, and the answers that must not depend on that library.

#include <gtest/gtest.h>

#include <windows.h>

#include "bridge/bridge.h"
#include "bridgehost_control.h"
#include "library_harness.h"
#include "pocketjson/json.h"

using pocketjson::Value;

namespace {

class ScreensLike : public kelto::Bridge {
public:
    BridgeResult onGet(const RequestArgs&) override {
        uri += "Screens";
        return BridgeResult(Value(pocketjson::ValueType::Array));
    }
    BridgeResult onPost(const RequestArgs&) override {
        uri += "System/EventLog/Backup";
        BridgeResultError error(500, "InternalError", "Failed to backup event log.");
        error.error["code"] = 255;
        throw error;
    }
};

BridgeResult succeeded(std::int32_t status) {
    BridgeResult result(Value(1));
    result.statusCode = status;
    return result;
}

BridgeResult failed(std::int32_t status, const char* name, const char* message, const Value& code = Value()) {
    BridgeResult result = BridgeResultError(status, name, message);
    if (!code.isNull()) result.error["code"] = code;
    return result;
}

// A success and a failure, each through a handler of its own as an export does.
std::vector<std::string> exchange() {
    std::vector<std::string> answers;
    for (const char* options : {R"({"method":"GET"})", R"({"method":"POST"})"}) {
        ScreensLike handler;
        answers.emplace_back(BridgeHostResponseText(dispatchRequest(handler, options, "", "", "")));
    }
    return answers;
}

const std::vector<std::string> kAnswers = {
    R"({"error":null,"value":[]})",
    R"({"error":{"code":255,"message":"Failed to backup event log.","name":"InternalError"},"value":null})"};

}  // namespace

TEST(RequestLogLine, FieldsFollowTheOutcome) {
    const struct {
        const char* options;
        BridgeResult result;
        const char* line;
        std::uint32_t level;
    } cases[] = {
        {R"({"method":"GET"})", succeeded(200), "statusCode:200\tmethod:GET\turi:u\tmsg:Success", 2},
        {R"({"method":"post"})", succeeded(299), "statusCode:299\tmethod:POST\turi:u\tmsg:Success", 2},
        // Any status outside 2xx is a failure; the method names the operation selected.
        {R"({"method":"patch"})", succeeded(199), "statusCode:199\tmethod:GET\turi:u\terr:\tmsg:", 5},
        {R"({"method":["PUT"]})", succeeded(300), "statusCode:300\tmethod:GET\turi:u\terr:\tmsg:", 5},
        {R"({"method":"delete"})", failed(405, "MethodError", "DELETE method is not allowed."),
         "statusCode:405\tmethod:DELETE\turi:u\terr:MethodError\tmsg:DELETE method is not allowed.", 5},
        {"{}", failed(500, "InternalError", "Set login item.", Value(255)),
         "statusCode:500\tmethod:GET\turi:u\terr:InternalError\tmsg:Set login item.\tcode:0x000000ff", 5},
        // Rounded half away from zero.
        {"", failed(500, "E", "m", Value(2.5)), "statusCode:500\tmethod:GET\turi:u\terr:E\tmsg:m\tcode:0x00000003", 5},
        // Only numbers make a code part.
        {"", failed(500, "E", "m", Value("255")), "statusCode:500\tmethod:GET\turi:u\terr:E\tmsg:m", 5},
    };
    for (const auto& c : cases) {
        RequestArgs args;
        pocketjson::parseJson(args.values[0], std::string(c.options));
        EXPECT_EQ(kelto::requestLogLine("u", args, c.result), c.line) << c.options;
        EXPECT_EQ(kelto::requestLogLevel(c.result), c.level) << c.line;
    }
}

TEST(RequestLog, EveryRequestReachesTheLoggingLibrary) {
    mavel::test::clearLog();
    EXPECT_EQ(exchange(), kAnswers);
    EXPECT_EQ(mavel::test::logLines(),
              (std::vector<std::string>{"2|statusCode:200\tmethod:GET\turi:/mavel.internal/Screens\tmsg:Success",
                                        "5|statusCode:500\tmethod:POST\turi:/mavel.internal/System/EventLog/Backup"
                                        "\terr:InternalError\tmsg:Failed to backup event log.\tcode:0x000000ff"}));
}

TEST(RequestLog, WithoutTheLoggingLibraryOnlyTheLogIsMissing) {
    // Before the first message: the logger looks for its library only once.
    mavel::test::loadWorld(R"({"harbor":{"exportsPath":"C:\\no-logging-library-here"}})");
    EXPECT_EQ(exchange(), kAnswers);
    EXPECT_EQ(GetModuleHandleW(L"libquillon2_x64.dll"), nullptr);
}
