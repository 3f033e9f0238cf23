// Login, lock and screen-saver state through the shipped DLL, checked against
// what Windows itself reports to the test.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "library_harness.h"

using mavel::test::MavelLibrary;
using mavel::test::Response;

namespace {

// A pid with a session is this process's; a made-up pid has none and counts
// as session 0.
std::string explorerIn(DWORD pid) { return R"({"name": "explorer.exe", "pid": )" + std::to_string(pid) + "}"; }

constexpr DWORD kPidWithoutSession = 0x7FFFFFF0;

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

}  // namespace

TEST(SystemLoginState, UsersAreSessionsRunningTheShellNarrowedByTheFilter) {
    MavelLibrary library;
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    ASSERT_NE(session, 0u) << "telling two users apart needs a non-zero session";
    const std::string self = explorerIn(GetCurrentProcessId());
    const std::string names = R"("userName": "José", "domainName": "NORTHWIND", )";
    const std::string oneUser = "{" + names + R"("processes": [)" + self + "," + self + R"(, {"name": "other.exe"}]})";
    const struct {
        std::string world;
        const char* query;
        const char* value;
    } cases[] = {
        {oneUser, "", R"({"currentUser":"José","domainName":"NORTHWIND","state":"singleUser","userCount":1})"},
        {R"({"processes": [)" + self + "," + explorerIn(kPidWithoutSession) + "]}", "",
         R"({"state":"multipleUsers","userCount":2})"},
        // The shell's name must match exactly.
        {R"({"processes": [{"name": "Explorer.exe"}, {"name": "explorer.exe "}, {"name": "explorer"}]})", "",
         R"({"state":"off","userCount":0})"},
        {oneUser, R"({"filter": "state"})", R"({"state":"singleUser","userCount":1})"},
        {oneUser, R"({"filter": "currentUser"})", R"({"currentUser":"José"})"},
        {oneUser, R"({"filter": "domainName"})", R"({"domainName":"NORTHWIND"})"},
        {oneUser, R"({"filter": "State"})", "null"},
        {oneUser, R"({"filter": "users"})", "null"},
        {oneUser, R"({"filter": "CURRENTUSER"})", "null"},
    };
    for (const auto& c : cases) {
        mavel::test::loadOstrelWorld(c.world);
        EXPECT_EQ(library.call("SystemLoginState", "GET", "", c.query).text,
                  std::string(R"({"error":null,"value":)") + c.value + "}")
            << c.world << " " << c.query;
    }
}

TEST(SystemLoginState, LibraryWithoutNameFunctionsAnswersTheStateOnly) {
    MavelLibrary library(mavel::test::minimalFolder());
    EXPECT_EQ(library.call("SystemLoginState", "GET", "", R"({"filter": "currentUser"})").text,
              R"({"error":null,"value":null})");
    const pocketjson::Value all = library.call("SystemLoginState").value();
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
    EXPECT_EQ(library.call("SystemScreenSaver").text,
              std::string(R"({"error":null,"value":{"isRunning":)") + (running ? "true" : "false") + "}}");
}

// Before kernel version 6.2 the saver windows are closed and the cursor is
// nudged; from 6.2 on the saver has a desktop of its own, which Wine lacks.
TEST(SystemScreenSaver, StoppingDependsOnTheKernelVersion) {
    MavelLibrary library;
    const kelto::UniqueDesktop saverDesktop(
        OpenDesktopA("Screen-Saver", 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_WRITEOBJECTS));
    const std::string stopped = R"({"error":null,"value":null})";
    const std::string newer = saverDesktop ? stopped
                                           : R"({"error":{"message":"Failed to open desktop.","name":"InternalError"},)"
                                             R"("value":null})";
    const struct {
        const char* kernelVersion;
        bool nudges;
    } cases[] = {{"6.1.7601", true},    {"", true},          {"5.1", true},  {"6", true},
                 {"10.0.19045", false}, {"6.2.9200", false}, {"6.3", false}, {"7", false}};
    for (const auto& c : cases) {
        ASSERT_TRUE(placeCursor(200, 100));
        mavel::test::loadOstrelWorld(R"({"os": {"kernelVersion": ")" + std::string(c.kernelVersion) + R"("}})");
        EXPECT_EQ(library.call("SystemScreenSaver", "DELETE").text, c.nudges ? stopped : newer) << c.kernelVersion;
        const POINT after = cursorPosition();
        EXPECT_EQ(after.x, c.nudges ? 201 : 200) << c.kernelVersion;
        EXPECT_EQ(after.y, c.nudges ? 101 : 100) << c.kernelVersion;
    }
}
