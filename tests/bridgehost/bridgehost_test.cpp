// The stand-in bridge host, driven through its exports as the library and the
// tools drive it.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "bridge_helper.h"
#include "bridgehost_control.h"
#include "library_harness.h"

namespace {

TEST(BridgeHostModule, ExportsExactlyTheHostFunctionsAndTheControlApi) {
    const HMODULE module = GetModuleHandleW(L"libbridgehost_x64.dll");
    ASSERT_NE(module, nullptr);
    const std::set<std::string> expected{
        "BridgeHelperAddEventCallback", "BridgeHelperCreatePromiseID",
        "BridgeHelperDispatchEvent",    "BridgeHelperRemoveEventCallback",
        "BridgeHelperSetResponse",      "BridgeHostCallbackCount",
        "BridgeHostEventCount",         "BridgeHostEventName",
        "BridgeHostEventPayload",       "BridgeHostEventTicks",
        "BridgeHostLastPromise",        "BridgeHostReset",
        "BridgeHostResponseCount",      "BridgeHostResponseStatus",
        "BridgeHostResponseText",       "BridgeHostSendNativeEvent",
        "BridgeHostSendWindowMessage",  "BridgeHostSetEventSink",
        "BridgeHostWaitForEvents",
    };
    EXPECT_EQ(mavel::test::exportedNames(module), expected);
}

class BridgeHost : public ::testing::Test {
protected:
    void SetUp() override { BridgeHostReset(); }
    void TearDown() override {
        BridgeHostSetEventSink(nullptr, nullptr);
        BridgeHelperRemoveEventCallback(&first_);
        BridgeHelperRemoveEventCallback(&second_);
        BridgeHostReset();
    }
    std::vector<std::string> first_;
    std::vector<std::string> second_;
};

// ---- promises and responses -------------------------------------------------

TEST_F(BridgeHost, PromiseIdsAreUniqueAcrossThreadsAndResets) {
    const std::uint32_t before = BridgeHelperCreatePromiseID();
    EXPECT_NE(before, 0u);
    BridgeHelperSetResponse(before, 200, "{}");
    BridgeHostReset();
    EXPECT_EQ(BridgeHostResponseCount(before), 0) << "reset forgets answers";

    constexpr int kThreads = 4;
    constexpr int kPerThread = 500;
    std::vector<std::vector<std::uint32_t>> ids(kThreads);
    std::vector<std::thread> threads;
    for (auto& mine : ids) {
        threads.emplace_back([&mine] {
            for (int i = 0; i < kPerThread; ++i) {
                mine.push_back(BridgeHelperCreatePromiseID());
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    std::set<std::uint32_t> all;
    for (const auto& mine : ids) {
        EXPECT_TRUE(std::ranges::is_sorted(mine));
        all.insert(mine.begin(), mine.end());
    }
    ASSERT_EQ(all.size(), static_cast<std::size_t>(kThreads * kPerThread));
    EXPECT_EQ(*all.begin(), before + 1) << "ids keep counting across a reset";
    EXPECT_EQ(*all.rbegin(), before + kThreads * kPerThread);
    EXPECT_EQ(BridgeHostLastPromise(), *all.rbegin());
}

TEST_F(BridgeHost, ResponsesAreCountedPerPromiseAndTheFirstIsKept) {
    struct Case {
        const char* what;
        std::vector<std::pair<std::int32_t, const char*>> answers;
        const char* text;
    };
    const std::vector<Case> cases{
        {"unanswered", {}, nullptr},
        {"answered once",
         {{405, R"({"error":{"name":"MethodError"},"value":null})"}},
         R"({"error":{"name":"MethodError"},"value":null})"},
        {"answered twice", {{201, "first"}, {500, "second"}}, "first"},
        {"null text", {{204, nullptr}}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::uint32_t promise = BridgeHelperCreatePromiseID();
        for (std::size_t i = 0; i < c.answers.size(); ++i) {
            EXPECT_EQ(BridgeHelperSetResponse(promise, c.answers[i].first, c.answers[i].second) != 0, i == 0);
        }
        EXPECT_EQ(BridgeHostResponseCount(promise), static_cast<std::int32_t>(c.answers.size()));
        EXPECT_EQ(BridgeHostResponseStatus(promise), c.answers.empty() ? 0 : c.answers[0].first);
        const char* text = BridgeHostResponseText(promise);
        EXPECT_EQ(text == nullptr ? "(none)" : std::string(text), c.text == nullptr ? "(none)" : c.text);
    }
    // A late answer to a promise this host never handed out is recorded too.
    const std::uint32_t unknown = BridgeHostLastPromise() + 1000;
    BridgeHelperSetResponse(unknown, 500, "late");
    EXPECT_EQ(BridgeHostResponseCount(unknown), 1);
    EXPECT_STREQ(BridgeHostResponseText(unknown), "late");
}

TEST_F(BridgeHost, ResponseTextIsCopiedAndStaysValidWhileOtherAnswersArrive) {
    const std::uint32_t promise = BridgeHelperCreatePromiseID();
    char text[] = R"({"value":1})";
    BridgeHelperSetResponse(promise, 200, text);
    std::memset(text, 'x', sizeof text - 1);
    const char* kept = BridgeHostResponseText(promise);
    for (int i = 0; i < 200; ++i) {
        BridgeHelperSetResponse(BridgeHelperCreatePromiseID(), 200, "other answer long enough to allocate");
    }
    EXPECT_STREQ(kept, R"({"value":1})");
}

// ---- events -----------------------------------------------------------------

void recordingSink(const char* name, const char* payload, void* context) {
    // Calling back into the host from the sink must not deadlock.
    static_cast<std::vector<std::string>*>(context)->push_back(std::string(name) + " " + payload + " #" +
                                                               std::to_string(BridgeHostEventCount()));
}

TEST_F(BridgeHost, EventsAreRecordedInOrderAsCopiesAndReachTheSink) {
    BridgeHostSetEventSink(&recordingSink, &first_);
    char payload[] = R"({"type":"locked"})";
    BridgeHelperDispatchEvent("sessionChanged", payload);
    std::memset(payload, 'x', sizeof payload - 1);
    BridgeHelperDispatchEvent("systemTimeChanged", "2026-01-31 08:05:09");
    BridgeHostSetEventSink(nullptr, &first_);
    BridgeHelperDispatchEvent("screenChanged", "[]");

    EXPECT_EQ(first_, (std::vector<std::string>{R"(sessionChanged {"type":"locked"} #1)",
                                                "systemTimeChanged 2026-01-31 08:05:09 #2"}));
    ASSERT_EQ(BridgeHostEventCount(), 3);
    EXPECT_STREQ(BridgeHostEventName(0), "sessionChanged");
    EXPECT_STREQ(BridgeHostEventPayload(0), R"({"type":"locked"})");
    EXPECT_STREQ(BridgeHostEventName(2), "screenChanged");
    EXPECT_STREQ(BridgeHostEventPayload(1), "2026-01-31 08:05:09");
    EXPECT_EQ(BridgeHostEventName(3), nullptr);
    EXPECT_EQ(BridgeHostEventPayload(-1), nullptr);
    BridgeHostReset();
    EXPECT_EQ(BridgeHostEventCount(), 0);
}

TEST_F(BridgeHost, WaitForEventsReturnsOnceAnotherThreadDispatchedThem) {
    EXPECT_EQ(BridgeHostWaitForEvents(1, 0), 0);
    std::thread dispatcher([] {
        for (int i = 0; i < 3; ++i) {
            BridgeHelperDispatchEvent("lightingEquipmentChanged", std::to_string(i).c_str());
        }
    });
    const std::int32_t seen = BridgeHostWaitForEvents(3, INFINITE);
    dispatcher.join();
    EXPECT_GE(seen, 3);
    EXPECT_STREQ(BridgeHostEventPayload(2), "2");
}

// ---- native event callbacks -------------------------------------------------

void loggingCallback(const char* eventType, void* message, void* context) {
    // Appended piece by piece: GCC 12 misreads a chained + as overlapping copies.
    std::string entry(eventType);
    if (message != nullptr) entry.append(" ").append(std::to_string(*static_cast<int*>(message)));
    static_cast<std::vector<std::string>*>(context)->push_back(entry);
}

void otherLoggingCallback(const char* eventType, void* message, void* context) {
    loggingCallback(eventType, message, context);
}

TEST_F(BridgeHost, NativeEventsReachCallbacksUntilTheirContextIsRemoved) {
    EXPECT_EQ(BridgeHelperAddEventCallback(nullptr, &first_), 0);
    EXPECT_NE(BridgeHelperAddEventCallback(&loggingCallback, &first_), 0);
    EXPECT_NE(BridgeHelperAddEventCallback(&otherLoggingCallback, &first_), 0);
    EXPECT_NE(BridgeHelperAddEventCallback(&loggingCallback, &second_), 0);
    EXPECT_EQ(BridgeHostCallbackCount(), 3);
    int message = 7;
    BridgeHostReset();  // keeps callbacks
    BridgeHostSendNativeEvent("custom", &message);
    EXPECT_EQ(first_, (std::vector<std::string>{"custom 7", "custom 7"}));
    EXPECT_EQ(second_, (std::vector<std::string>{"custom 7"}));

    EXPECT_EQ(BridgeHelperRemoveEventCallback(&first_), 2);
    EXPECT_EQ(BridgeHelperRemoveEventCallback(&first_), 0);
    EXPECT_EQ(BridgeHostCallbackCount(), 1);
    BridgeHostSendNativeEvent("again", nullptr);
    EXPECT_EQ(first_.size(), 2u);
    EXPECT_EQ(second_, (std::vector<std::string>{"custom 7", "again"}));
}

void dispatchingCallback(const char* eventType, void*, void* context) {
    // What the library's observer does: send an event, here also unregister.
    BridgeHelperDispatchEvent("fromCallback", eventType);
    BridgeHelperRemoveEventCallback(context);
}

TEST_F(BridgeHost, CallbackMayDispatchEventsAndUnregisterItself) {
    BridgeHelperAddEventCallback(&dispatchingCallback, &first_);
    BridgeHostSendNativeEvent("custom", nullptr);
    EXPECT_EQ(BridgeHostCallbackCount(), 0);
    ASSERT_EQ(BridgeHostEventCount(), 1);
    EXPECT_STREQ(BridgeHostEventName(0), "fromCallback");
    EXPECT_STREQ(BridgeHostEventPayload(0), "custom");
}

using SeenMessage = std::pair<std::string, MSG>;

void messageCallback(const char* eventType, void* message, void* context) {
    *static_cast<SeenMessage*>(context) = {eventType, *static_cast<const MSG*>(message)};
}

TEST_F(BridgeHost, WindowMessageArrivesAsAFilledMsg) {
    struct Case {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    for (const Case& c : {Case{WM_WTSSESSION_CHANGE, 0x7, 0x1234}, Case{WM_DISPLAYCHANGE, 0xFFFFFFFF00000001ull, -2}}) {
        SeenMessage seen;
        BridgeHelperAddEventCallback(&messageCallback, &seen);
        const DWORD before = GetTickCount();
        BridgeHostSendWindowMessage(c.message, c.wParam, c.lParam);
        const DWORD after = GetTickCount();
        BridgeHelperRemoveEventCallback(&seen);

        const MSG& msg = seen.second;
        EXPECT_EQ(seen.first, "_native_windows_generic_MSG");
        EXPECT_EQ(msg.hwnd, nullptr);
        EXPECT_EQ(msg.message, c.message);
        EXPECT_EQ(msg.wParam, c.wParam);
        EXPECT_EQ(msg.lParam, c.lParam);
        EXPECT_TRUE(msg.time >= before && msg.time <= after) << msg.time;
        EXPECT_TRUE(msg.pt.x == 0 && msg.pt.y == 0);
    }
}

}  // namespace
