// The browser bridge's reading of requests: routes, escapes, heads and the
// checks that keep other pages out.

#include <gtest/gtest.h>

#include <string>

#include "web_request.h"

namespace {

using mavel::web::HeadState;

struct RouteCase {
    const char* route;
    const char* query;
    int status;
    const char* exportName;
    const char* params;
    const char* queryText;
};

// An index is only ever digits, a point only after /point/, and an escaped
// slash stays inside its parameter.
const RouteCase kRoutes[] = {
    {"Screens", "", 200, "Screens", "", ""},
    {"Screens/index/1", "", 200, "ScreenAtIndex", R"({"index":1})", ""},
    {"Screens/index/0", "graphicsCard", 200, "ScreenAtIndex", R"({"index":0})", R"({"graphicsCard":true})"},
    {"Screens/index/3000x500", "", 404, "", "", ""},
    {"Screens/index/-1", "", 404, "", "", ""},
    {"Screens/index/1234567890", "", 404, "", "", ""},
    {"Screens/point/3000x500", "gamma=1", 200, "ScreensForPoint", R"({"point":"3000x500"})", R"({"gamma":"1"})"},
    {"Screens/point/1", "", 200, "ScreensForPoint", R"({"point":"1"})", ""},
    {"Screens/monitor/45012345/CS2740", "", 200, "ScreensForMonitor", R"({"product":"CS2740","serial":"45012345"})",
     ""},
    {"Screens/monitor/A%2FB/C%20D", "", 200, "ScreensForMonitor", R"({"product":"C D","serial":"A/B"})", ""},
    {"Screens/monitor/45012345", "", 404, "", "", ""},
    {"Screens/monitor//CS2740", "", 404, "", "", ""},
    {"Screens/", "", 404, "", "", ""},
    {"screens", "", 404, "", "", ""},
    {"System/Processes", "", 200, "SystemProcesses", "", ""},
    {"System/Processes/explorer.exe", "", 200, "SystemProcesses", R"({"process":"explorer.exe"})", ""},
    {"System/Processes/a+b%2Bc", "", 200, "SystemProcesses", R"({"process":"a+b+c"})", ""},
    {"System/EventLog/Backup", "", 200, "SystemEventLogBackup", "", ""},
    {"System/PreferredLanguage", "resources=ja-JP%2Cen-US&fallback=en+GB", 200, "SystemPreferredLanguage", "",
     R"({"fallback":"en GB","resources":"ja-JP,en-US"})"},
    {"System/Information", "os&&memory=", 200, "SystemInformation", "", R"({"memory":"","os":true})"},
    {"System/Information", "os&os", 400, "", "", ""},
    {"System/Information", "=1", 400, "", "", ""},
    {"System/Information", "os=%zz", 400, "", "", ""},
    {"System/Processes/%C3%28", "", 400, "", "", ""},
    {"System/Processes/a%00b", "", 400, "", "", ""},
    {"System/Processes/%E2%82%AC", "", 200, "SystemProcesses", "{\"process\":\"\xE2\x82\xAC\"}", ""},
};

TEST(WebRoutes, MapPathsToExportsAndTexts) {
    for (const RouteCase& c : kRoutes) {
        SCOPED_TRACE(std::string(c.route) + "?" + c.query);
        const mavel::web::RouteOutcome outcome = mavel::web::mapRoute(c.route, c.query);
        EXPECT_EQ(outcome.status, c.status);
        ASSERT_EQ(outcome.call.has_value(), c.status == 200) << outcome.error;
        if (!outcome.call) continue;
        EXPECT_EQ(outcome.call->exportName, c.exportName);
        EXPECT_EQ(outcome.call->params, c.params);
        EXPECT_EQ(outcome.call->query, c.queryText);
    }
}

struct HeadCase {
    const char* text;
    HeadState state;
    const char* path;
    std::size_t contentLength;
};

const HeadCase kHeads[] = {
    {"GET /a?b=1 HTTP/1.1\r\nHost: x\r\n\r\n", HeadState::Complete, "/a", 0},
    {"PUT /a HTTP/1.0\r\nContent-Length: 12\r\ncontent-length: 12\r\n\r\nbody", HeadState::Complete, "/a", 12},
    {"GET /a HTTP/1.1\r\nHost: x\r\n", HeadState::Incomplete, "", 0},
    {"GET /a HTTP/1.1\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\n", HeadState::Malformed, "", 0},
    {"GET /a HTTP/1.1\r\nContent-Length: -1\r\n\r\n", HeadState::Malformed, "", 0},
    {"POST /a HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n", HeadState::Malformed, "", 0},
    {"GET /a HTTP/1.1\r\n Folded: x\r\n\r\n", HeadState::Malformed, "", 0},
    {"GET /a HTTP/1.1\r\nNoColon\r\n\r\n", HeadState::Malformed, "", 0},
    {"GET a HTTP/1.1\r\n\r\n", HeadState::Malformed, "", 0},
    {"GET /a HTTP/2\r\n\r\n", HeadState::Malformed, "", 0},
    {"GET  /a HTTP/1.1\r\n\r\n", HeadState::Malformed, "", 0},
    {"\r\n\r\n", HeadState::Malformed, "", 0},
};

TEST(WebHeads, ParseStrictly) {
    for (const HeadCase& c : kHeads) {
        SCOPED_TRACE(c.text);
        const mavel::web::HeadParse parse = mavel::web::parseHead(c.text);
        EXPECT_EQ(parse.state, c.state);
        if (parse.state != HeadState::Complete) continue;
        EXPECT_EQ(parse.request.path, c.path);
        EXPECT_EQ(parse.request.contentLength, c.contentLength);
    }
}

TEST(WebHeads, RefuseHeadsBeyondTheCaps) {
    const std::string longHead = "GET / HTTP/1.1\r\nX: " + std::string(mavel::web::kMaxHeadBytes, 'a');
    EXPECT_EQ(mavel::web::parseHead(longHead).state, HeadState::TooLarge);
    std::string manyHeaders = "GET / HTTP/1.1\r\n";
    for (std::size_t i = 0; i <= mavel::web::kMaxHeaderCount; ++i) manyHeaders += "X: 1\r\n";
    EXPECT_EQ(mavel::web::parseHead(manyHeaders + "\r\n").state, HeadState::TooLarge);
}

TEST(WebChecks, TokenCookieAndOrigin) {
    EXPECT_TRUE(mavel::web::sameSecret("abc", "abc"));
    for (const char* other : {"abd", "ab", "abcd", "", "ABC"})
        EXPECT_FALSE(mavel::web::sameSecret("abc", other)) << other;
    EXPECT_EQ(mavel::web::cookieValue("a=1; mavel_token=xyz; b=2", "mavel_token"), "xyz");
    EXPECT_EQ(mavel::web::cookieValue("xmavel_token=xyz", "mavel_token"), std::nullopt);
    for (const char* own : {"http://127.0.0.1:8640", "http://[::1]:8640", "http://localhost:8640"}) {
        EXPECT_TRUE(mavel::web::isOwnOrigin(own, 8640)) << own;
    }
    for (const char* foreign : {"http://127.0.0.1:8641", "https://127.0.0.1:8640", "http://evil.example:8640",
                                "http://127.0.0.1:8640.evil.example", "null", ""}) {
        EXPECT_FALSE(mavel::web::isOwnOrigin(foreign, 8640)) << foreign;
    }
}

}  // namespace
