// Login, lock and screen-saver state through the shipped DLL, checked against
// what Windows itself reports to the test.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "library_harness.h"

using mavel::test::MavelLibrary;
using mavel::test::Response;
using pocketjson::Value;

namespace {

Response loginState(const MavelLibrary& library, const std::string& query = "") {
    return library.call("SystemLoginState", "GET", "", query);
}

// A pid with a session is this process's; a made-up pid has none and counts
// as session 0.
std::string explorerIn(DWORD pid) {
    return R"({"name": "explorer.exe", "pid": )" + std::to_string(pid) + "}";
}

constexpr DWORD kPidWithoutSession = 0x7FFFFFF0;

DWORD sessionOfThisProcess() {
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    return session;
}

POINT cursorPosition() {
    POINT point{};
    GetCursorPos(&point);
    return point;
}

// Puts the cursor somewhere known. The desktop window must exist first: until
// it does, Wine clips the cursor to an empty screen and every position reads 0,0.
::testing::AssertionResult placeCursor(int x, int y) {
    if (GetDesktopWindow() == nullptr) return ::testing::AssertionFailure() << "no desktop window";
    if (!SetCursorPos(x, y)) return ::testing::AssertionFailure() << "SetCursorPos failed";
    const POINT placed = cursorPosition();
    if (placed.x != x || placed.y != y) {
        return ::testing::AssertionFailure() << "cursor at " << placed.x << "," << placed.y;
    }
    return ::testing::AssertionSuccess();
}

bool canOpenScreenSaverDesktop() {
    return static_cast<bool>(
        kelto::UniqueDesktop(OpenDesktopA("Screen-Saver", 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_WRITEOBJECTS)));
}

Response stopScreenSaver(const MavelLibrary& library, const std::string& kernelVersion) {
    mavel::test::loadOstrelWorld(R"({"os": {"kernelVersion": ")" + kernelVersion + R"("}})");
    return library.call("SystemScreenSaver", "DELETE");
}

}  // namespace

TEST(SystemLoginState, CountsSessionsRunningTheShell) {
    MavelLibrary library;
    const DWORD self = GetCurrentProcessId();
    ASSERT_NE(sessionOfThisProcess(), 0u) << "the count below needs a non-zero session";
    mavel::test::loadOstrelWorld(R"({"userName": "designer", "domainName": "NORTHWIND", "processes": [)" +
                                 explorerIn(self) + "," + explorerIn(self) + R"(, {"name": "other.exe"}]})");
    EXPECT_EQ(loginState(library).text,
              R"({"error":null,"value":{"currentUser":"designer","domainName":"NORTHWIND",)"
              R"("state":"singleUser","userCount":1}})");

    mavel::test::loadOstrelWorld(R"({"processes": [)" + explorerIn(self) + "," + explorerIn(kPidWithoutSession) +
                                 "]}");
    const Value two = loginState(library).value();
    EXPECT_EQ(two.get("userCount").intValue(), 2);
    EXPECT_EQ(two.get("state").asString(), "multipleUsers");
}

TEST(SystemLoginState, ShellNameMustMatchExactly) {
    MavelLibrary library;
    mavel::test::loadOstrelWorld(R"({"processes": [{"name": "Explorer.exe"}, {"name": "explorer.exe "},
                                                   {"name": "explorer"}]})");
    const Value answer = loginState(library).value();
    EXPECT_EQ(answer.get("userCount").intValue(), 0);
    EXPECT_EQ(answer.get("state").asString(), "off");
}

TEST(SystemLoginState, FilterNarrowsTheAnswer) {
    MavelLibrary library;
    mavel::test::loadOstrelWorld(R"({"userName": "José", "domainName": "DOMAIN", "processes": [)" +
                                 explorerIn(GetCurrentProcessId()) + "]}");
    EXPECT_EQ(loginState(library, R"({"filter": "state"})").value().members().size(), 2u);
    EXPECT_TRUE(loginState(library, R"({"filter": "state"})").value().hasKey("userCount"));
    EXPECT_EQ(loginState(library, R"({"filter": "currentUser"})").text,
              "{\"error\":null,\"value\":{\"currentUser\":\"Jos\xC3\xA9\"}}");
    EXPECT_EQ(loginState(library, R"({"filter": "domainName"})").text,
              R"({"error":null,"value":{"domainName":"DOMAIN"}})");
    for (const char* other : {R"({"filter": "State"})", R"({"filter": "users"})", R"({"filter": "CURRENTUSER"})"}) {
        const Response response = loginState(library, other);
        EXPECT_EQ(response.status, 200) << other;
        EXPECT_TRUE(response.value().isNull()) << other;
    }
}

TEST(SystemLoginState, EmptyNamesAreLeftOut) {
    MavelLibrary library;
    mavel::test::loadOstrelWorld(R"({"userName": "", "domainName": ""})");
    EXPECT_EQ(loginState(library).text, R"({"error":null,"value":{"state":"off","userCount":0}})");
}

TEST(SystemLoginState, LibraryWithoutNameFunctions) {
    MavelLibrary library(mavel::test::minimalFolder());
    EXPECT_TRUE(loginState(library, R"({"filter": "currentUser"})").value().isNull());
    const Value all = loginState(library).value();
    EXPECT_TRUE(all.hasKey("state"));
    EXPECT_FALSE(all.hasKey("currentUser"));
    EXPECT_FALSE(all.hasKey("domainName"));
}

TEST(SystemLockState, MatchesWhetherTheInputDesktopOpens) {
    MavelLibrary library;
    const kelto::UniqueDesktop input(OpenInputDesktop(0, FALSE, GENERIC_ALL));
    const std::string expected = input ? "unlocked" : "locked";
    const Response response = library.call("SystemLockState");
    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.text, R"({"error":null,"value":{"state":")" + expected + R"("}})");
}

TEST(SystemScreenSaver, ReportsWhetherTheScreenSaverRuns) {
    MavelLibrary library;
    BOOL running = TRUE;
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETSCREENSAVERRUNNING, 0, &running, 0));
    const Response response = library.call("SystemScreenSaver");
    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.value().get("isRunning").boolValue(), running != FALSE);
    EXPECT_TRUE(response.value().get("isRunning").isBoolean());
}

TEST(SystemScreenSaver, OlderSystemsNudgeTheCursor) {
    MavelLibrary library;
    for (const char* version : {"6.1.7601", "", "5.1", "6"}) {
        ASSERT_TRUE(placeCursor(200, 100));
        const Response response = stopScreenSaver(library, version);
        EXPECT_EQ(response.status, 200) << version;
        EXPECT_TRUE(response.value().isNull()) << version;
        const POINT after = cursorPosition();
        EXPECT_EQ(after.x, 201) << version;
        EXPECT_EQ(after.y, 101) << version;
    }
}

TEST(SystemScreenSaver, NewerSystemsUseTheScreenSaverDesktop) {
    MavelLibrary library;
    const bool desktopOpens = canOpenScreenSaverDesktop();
    for (const char* version : {"10.0.19045", "6.2.9200", "6.3", "7"}) {
        ASSERT_TRUE(placeCursor(50, 60));
        const Response response = stopScreenSaver(library, version);
        if (desktopOpens) {
            EXPECT_EQ(response.status, 200) << version;
        } else {
            EXPECT_EQ(response.status, 500) << version;
            EXPECT_EQ(response.errorName(), "InternalError") << version;
            EXPECT_EQ(response.errorMessage(), "Failed to open desktop.") << version;
        }
        const POINT after = cursorPosition();
        EXPECT_EQ(after.x, 50) << version;
        EXPECT_EQ(after.y, 60) << version;
    }
}
