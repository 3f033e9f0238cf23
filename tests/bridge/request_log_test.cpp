// The log line written after every request, byte for byte, as the logging
// library receives it.

#include <gtest/gtest.h>

#include "bridge/bridge.h"
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

RequestArgs argsWithOptions(const std::string& options) {
    RequestArgs args;
    pocketjson::parseJson(args.values[0], options);
    return args;
}

BridgeResult failure(std::int32_t status, const char* name, const char* message) {
    return BridgeResultError(status, name, message);
}

const std::string kBase = kelto::kRouteBase;

}  // namespace

TEST(RequestLogLine, Success) {
    BridgeResult ok(Value(1));
    EXPECT_EQ(kelto::requestLogLine(kBase + "Screens", argsWithOptions(R"({"method":"GET"})"), ok),
              "statusCode:200\tmethod:GET\turi:" + kBase + "Screens\tmsg:Success");
    EXPECT_EQ(kelto::requestLogLevel(ok), 2u);
}

TEST(RequestLogLine, FailureWithoutCode) {
    const BridgeResult result = failure(405, "MethodError", "DELETE method is not allowed.");
    EXPECT_EQ(kelto::requestLogLine(kBase + "System/Information", argsWithOptions(R"({"method":"delete"})"), result),
              "statusCode:405\tmethod:DELETE\turi:" + kBase +
                  "System/Information\terr:MethodError\tmsg:DELETE method is not allowed.");
    EXPECT_EQ(kelto::requestLogLevel(result), 5u);
}

TEST(RequestLogLine, NumericCodeIsZeroPaddedHex) {
    BridgeResult result = failure(500, "InternalError", "Set login item.");
    result.error["code"] = 255;
    EXPECT_EQ(kelto::requestLogLine("u", argsWithOptions("{}"), result),
              "statusCode:500\tmethod:GET\turi:u\terr:InternalError\tmsg:Set login item.\tcode:0x000000ff");
    result.error["code"] = 2.5;  // rounded half away from zero
    EXPECT_NE(kelto::requestLogLine("u", argsWithOptions("{}"), result).find("\tcode:0x00000003"), std::string::npos);
    result.error["code"] = "255";  // only numbers make a code part
    EXPECT_EQ(kelto::requestLogLine("u", argsWithOptions("{}"), result).find("code:"), std::string::npos);
}

TEST(RequestLogLine, MethodTextNamesTheSelectedOperation) {
    const BridgeResult ok(Value(1));
    auto methodOf = [&](const char* options) {
        const std::string line = kelto::requestLogLine("u", argsWithOptions(options), ok);
        const auto start = line.find("method:") + 7;
        return line.substr(start, line.find('\t', start) - start);
    };
    EXPECT_EQ(methodOf(R"({"method":"patch"})"), "GET");
    EXPECT_EQ(methodOf(R"({"method":"post"})"), "POST");
    EXPECT_EQ(methodOf(R"({"method":["PUT"]})"), "GET");
    EXPECT_EQ(methodOf("{}"), "GET");
}

TEST(RequestLogLine, StatusOutside2xxIsAFailure) {
    for (std::int32_t status : {199, 300}) {
        BridgeResult result(Value(1));
        result.statusCode = status;
        EXPECT_EQ(kelto::requestLogLevel(result), 5u) << status;
        EXPECT_NE(kelto::requestLogLine("u", argsWithOptions("{}"), result).find("\terr:"), std::string::npos);
    }
}

TEST(RequestLogLine, EveryRequestReachesTheLoggingLibrary) {
    mavel::test::clearLog();
    ScreensLike handler;
    dispatchRequest(handler, R"({"method":"GET"})", "", "", "");
    ScreensLike failing;
    dispatchRequest(failing, R"({"method":"POST"})", "", "", "");
    const std::vector<std::string> lines = mavel::test::logLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "2|statusCode:200\tmethod:GET\turi:" + kBase + "Screens\tmsg:Success");
    EXPECT_EQ(lines[1], "5|statusCode:500\tmethod:POST\turi:" + kBase +
                            "System/EventLog/Backup\terr:InternalError\tmsg:Failed to backup event log.\tcode:0x000000ff");
}
