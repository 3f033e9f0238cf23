// Native messages through the shipped DLL and the stand-in bridge host:
// registration, the spacing of each message kind, the session and time
// payloads, and the screen-change check that follows a display change.
//
// The library spaces messages by the system tick count, which moves in steps
// of about 16 ms under Wine; a pair of messages is judged by the ticks read
// around both, and a pair whose bracket straddles a threshold is sent again.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "bridgehost_control.h"
#include "library_harness.h"
#include "platform/handle_owner.h"
#include "pocketjson/json.h"

using mavel::test::Event;
using mavel::test::eventsSince;
using mavel::test::MavelLibrary;

namespace {

constexpr std::uint32_t kSessionChange = WM_WTSSESSION_CHANGE;

std::vector<std::string> namesOf(const std::vector<Event>& events) {
    std::vector<std::string> names;
    for (const Event& event : events) names.push_back(event.name + " " + event.payload);
    return names;
}

void callExport(const MavelLibrary& library, const char* name) { library.function<void()>(name)(); }

// Sends one message; returns the tick count read just before it.
std::uint64_t send(std::uint32_t message, std::uint64_t wParam = 0) {
    const std::uint64_t before = GetTickCount64();
    BridgeHostSendWindowMessage(message, wParam, 0);
    return before;
}

struct Message {
    std::uint32_t id;
    std::uint64_t wParam;
};

// Sends first, waits gapMs, sends second, and reports the events the pair
// caused. The pair is sent again (after a quiet spell that no spacing reaches)
// while the gap the library can have measured straddles threshold.
std::vector<std::string> sendPair(Message first, std::uint32_t gapMs, Message second, std::uint32_t threshold) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        Sleep(300);
        const std::int32_t start = BridgeHostEventCount();
        const std::uint64_t firstStart = send(first.id, first.wParam);
        const std::uint64_t firstDone = GetTickCount64();
        if (gapMs > 0) Sleep(gapMs);
        const std::uint64_t secondStart = send(second.id, second.wParam);
        const std::uint64_t secondDone = GetTickCount64();
        const std::uint64_t shortest = secondStart - firstDone;
        const std::uint64_t longest = secondDone - firstStart;
        if (longest <= threshold || shortest > threshold) return namesOf(eventsSince(start));
    }
    ADD_FAILURE() << "every pair straddled the " << threshold << " ms spacing";
    return {};
}

// One screen whose width tells the lists apart.
std::string screenWorld(int width) {
    return R"({"carvel2": {"screens": [{"deviceId": "D1", "bounds": {"width": )" + std::to_string(width) +
           R"(, "height": 100}}]}})";
}

// Watching on, with a list of one screen recorded, and no display message
// within reach of the observer's creation.
void watchScreens(const MavelLibrary& library) {
    mavel::test::loadWorld(screenWorld(100));
    callExport(library, "Setup");
    ASSERT_EQ(library.call("Screens").status, 200);
    Sleep(300);
}

// Every event dispatched from start on, after the screen checks that the
// display messages sent so far can still cause have had their time.
std::vector<Event> eventsAfterChecks(std::int32_t start) {
    Sleep(1700);
    return eventsSince(start);
}

std::string currentScreensText(const MavelLibrary& library) {
    return pocketjson::toJson(library.call("Screens").value());
}

}  // namespace

TEST(NativeEventObserver, RegistersOnceOnFirstUseAndUnregistersAtUnload) {
    MavelLibrary library;
    callExport(library, "TearDown");
    EXPECT_EQ(BridgeHostCallbackCount(), 0);
    library.call("Screens", "DELETE");
    EXPECT_EQ(BridgeHostCallbackCount(), 1);
    callExport(library, "Setup");
    callExport(library, "Setup");
    EXPECT_EQ(BridgeHostCallbackCount(), 1);
    // Unloading destroys the observer, which unregisters, and the screen
    // registry, which gives the library's screen list back.
    const kelto::UniqueModule keepScreenLibrary(LoadLibraryW(L"libcarvel2_x64.dll"));
    mavel::test::resetCallLog(L"libcarvel2_x64.dll");
    ASSERT_TRUE(FreeLibrary(library.module()));
    EXPECT_EQ(BridgeHostCallbackCount(), 0);
    EXPECT_EQ(mavel::test::callCount(L"libcarvel2_x64.dll", "CrvReleaseScreens"), 1);
}

TEST(NativeEventObserver, MessagesWithinTheSpacingOfItsCreationAreIgnored) {
    MavelLibrary library;
    const std::uint64_t created = GetTickCount64();
    callExport(library, "Setup");
    send(WM_TIMECHANGE);
    send(kSessionChange, WTS_SESSION_LOCK);
    ASSERT_LE(GetTickCount64() - created, 50u) << "too slow to test the spacing of creation";
    EXPECT_EQ(BridgeHostEventCount(), 0);
    Sleep(300);
    send(WM_TIMECHANGE);
    send(kSessionChange, WTS_SESSION_LOCK);
    EXPECT_EQ(BridgeHostEventCount(), 2);
    // A message nobody asked for, and one that is no window message, change nothing.
    BridgeHostSendNativeEvent("_native_windows_generic_MSG", nullptr);
    BridgeHostSendNativeEvent("other", nullptr);
    send(WM_PAINT);
    EXPECT_EQ(BridgeHostEventCount(), 2);
}

TEST(NativeEventObserver, EachKindKeepsItsOwnSpacing) {
    MavelLibrary library;
    callExport(library, "Setup");
    const std::string locked = R"(sessionChanged {"type":"locked"})";
    const std::string unlocked = R"(sessionChanged {"type":"unlocked"})";
    const struct {
        Message first;
        std::uint32_t gapMs;
        Message second;
        std::uint32_t threshold;
        std::vector<std::string> events;
    } cases[] = {
        {{WM_TIMECHANGE, 0}, 30, {WM_TIMECHANGE, 0}, 50, {"systemTimeChanged"}},
        {{WM_TIMECHANGE, 0}, 90, {WM_TIMECHANGE, 0}, 50, {"systemTimeChanged", "systemTimeChanged"}},
        {{kSessionChange, WTS_SESSION_LOCK}, 60, {kSessionChange, WTS_SESSION_LOCK}, 100, {locked}},
        {{kSessionChange, WTS_SESSION_LOCK}, 150, {kSessionChange, WTS_SESSION_UNLOCK}, 100, {locked, unlocked}},
        // A code without a state sends nothing but starts a spacing all the same.
        {{kSessionChange, WTS_REMOTE_CONNECT}, 0, {kSessionChange, WTS_SESSION_LOCK}, 100, {}},
        {{kSessionChange, WTS_REMOTE_CONNECT}, 250, {kSessionChange, WTS_SESSION_LOCK}, 100, {locked}},
        // Kinds do not space each other.
        {{WM_TIMECHANGE, 0}, 0, {kSessionChange, WTS_SESSION_LOCK}, 50, {"systemTimeChanged", locked}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> events = sendPair(c.first, c.gapMs, c.second, c.threshold);
        // The time payload is checked below; here only the name counts.
        for (std::string& event : events)
            event = event.rfind("systemTimeChanged", 0) == 0 ? "systemTimeChanged" : event;
        EXPECT_EQ(events, c.events) << c.first.id << "/" << c.first.wParam << " then " << c.second.wParam << " after "
                                    << c.gapMs << " ms";
    }
}

TEST(NativeEventObserver, SessionStatesAndTheLocalTimeAsBareText) {
    MavelLibrary library;
    callExport(library, "Setup");
    mavel::test::clearLog();
    const struct {
        std::uint64_t code;
        const char* state;
    } states[] = {{WTS_CONSOLE_CONNECT, "activated"},
                  {WTS_CONSOLE_DISCONNECT, "deactivated"},
                  {WTS_SESSION_LOCK, "locked"},
                  {WTS_SESSION_UNLOCK, "unlocked"}};
    for (const auto& s : states) {
        Sleep(150);
        const std::int32_t start = BridgeHostEventCount();
        send(kSessionChange, s.code);
        EXPECT_EQ(namesOf(eventsSince(start)),
                  std::vector<std::string>{std::string("sessionChanged {\"type\":\"") + s.state + "\"}"});
        EXPECT_EQ(mavel::test::logLines().back(), std::string("3|event:sessionChanged\tmsg:Session ") + s.state);
    }

    const auto localText = [] {
        SYSTEMTIME now{};
        GetLocalTime(&now);
        char text[32];
        std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
                      now.wMinute, now.wSecond);
        return std::string(text);
    };
    const std::string before = localText();
    const std::int32_t start = BridgeHostEventCount();
    send(WM_TIMECHANGE);
    const std::string after = localText();
    const std::vector<Event> events = eventsSince(start);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].name, "systemTimeChanged");
    EXPECT_TRUE(events[0].payload == before || events[0].payload == after) << events[0].payload;
    EXPECT_EQ(mavel::test::logLines().back(), "3|event:systemTimeChanged\tmsg:System time changed");
}

TEST(ScreenChange, ABurstOfDisplayChangesGivesOneEventWithTheNextListAfterItSettled) {
    MavelLibrary library;
    watchScreens(library);
    mavel::test::clearLog();
    mavel::test::loadWorld(screenWorld(200));
    const std::int32_t start = BridgeHostEventCount();
    const std::uint64_t first = send(WM_DISPLAYCHANGE);
    send(WM_DISPLAYCHANGE);
    Sleep(100);
    send(WM_DISPLAYCHANGE);
    const std::vector<Event> events = eventsAfterChecks(start);
    EXPECT_EQ(mavel::test::logLines().back(), "3|event:screenChanged\tmsg:Screen changed");
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].name, "screenChanged");
    EXPECT_EQ(events[0].payload, currentScreensText(library));
    EXPECT_GE(events[0].ticks - first, 1500u - 16u);
    EXPECT_LT(events[0].ticks - first, 1600u);
}

TEST(ScreenChange, NothingForAnUnchangedList) {
    MavelLibrary library;
    watchScreens(library);
    const std::int32_t start = BridgeHostEventCount();
    send(WM_DISPLAYCHANGE);
    EXPECT_EQ(namesOf(eventsAfterChecks(start)), std::vector<std::string>{});
}

TEST(ScreenChange, NothingForAnEmptyListNorForTheSameScreensComingBack) {
    MavelLibrary library;
    watchScreens(library);
    const std::int32_t start = BridgeHostEventCount();
    mavel::test::loadWorld(R"({"carvel2": {"screens": []}})");
    send(WM_DISPLAYCHANGE);
    Sleep(1600);
    mavel::test::loadWorld(screenWorld(100));
    send(WM_DISPLAYCHANGE);
    EXPECT_EQ(namesOf(eventsAfterChecks(start)), std::vector<std::string>{});
}

TEST(ScreenChange, NothingAfterTheListIsDeleted) {
    MavelLibrary library;
    watchScreens(library);
    library.call("Screens", "DELETE");
    mavel::test::loadWorld(screenWorld(200));
    const std::int32_t start = BridgeHostEventCount();
    send(WM_DISPLAYCHANGE);
    EXPECT_EQ(namesOf(eventsAfterChecks(start)), std::vector<std::string>{});
}

TEST(ScreenChange, DisplayMessagesWhileNotWatchingLeaveTheBurstClockAlone) {
    MavelLibrary library;
    mavel::test::loadWorld(screenWorld(100));
    callExport(library, "Setup");
    Sleep(300);
    const std::int32_t start = BridgeHostEventCount();
    send(WM_DISPLAYCHANGE);  // not watching: ignored, and not the start of a burst
    library.call("Screens");
    mavel::test::loadWorld(screenWorld(200));
    send(WM_DISPLAYCHANGE);
    const std::vector<Event> events = eventsAfterChecks(start);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].payload, currentScreensText(library));
}

TEST(ScreenChange, ConcurrentPutsAndDisplayChangesThenOneRealChange) {
    MavelLibrary library;
    watchScreens(library);
    const std::int32_t start = BridgeHostEventCount();
    std::vector<std::thread> putters;
    for (int t = 0; t < 4; ++t) {
        putters.emplace_back([&library] {
            for (int i = 0; i < 25; ++i) EXPECT_EQ(library.call("Screens", "PUT").status, 200);
        });
    }
    for (int i = 0; i < 3; ++i) {
        send(WM_DISPLAYCHANGE);
        Sleep(250);
    }
    for (std::thread& putter : putters) putter.join();
    mavel::test::loadWorld(screenWorld(300));
    send(WM_DISPLAYCHANGE);
    const std::vector<Event> events = eventsAfterChecks(start);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].payload, currentScreensText(library));
}
