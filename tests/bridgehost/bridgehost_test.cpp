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
#include <vector>

#include "bridge_helper.h"
#include "bridgehost_control.h"

namespace {

std::vector<std::string> exportedNames(HMODULE module) {
    const auto* base = reinterpret_cast<const std::uint8_t*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& entry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (entry.VirtualAddress == 0) {
        return {};
    }
    const auto* directory = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
    const auto* nameOffsets = reinterpret_cast<const DWORD*>(base + directory->AddressOfNames);
    std::vector<std::string> names;
    for (DWORD i = 0; i < directory->NumberOfNames; ++i) {
        names.emplace_back(reinterpret_cast<const char*>(base + nameOffsets[i]));
    }
    std::ranges::sort(names);
    return names;
}

class BridgeHost : public ::testing::Test {
protected:
    void SetUp() override { BridgeHostReset(); }
    void TearDown() override {
        BridgeHostSetEventSink(nullptr, nullptr);
        BridgeHostReset();
    }
};

// ---- exports ----------------------------------------------------------------

TEST(BridgeHostModule, ExportsExactlyTheHostFunctionsAndTheControlApi) {
    const HMODULE module = GetModuleHandleW(L"libbridgehost_x64.dll");
    ASSERT_NE(module, nullptr);
    const std::vector<std::string> expected{
        "BridgeHelperAddEventCallback", "BridgeHelperCreatePromiseID", "BridgeHelperDispatchEvent",
        "BridgeHelperRemoveEventCallback", "BridgeHelperSetResponse", "BridgeHostCallbackCount",
        "BridgeHostEventCount", "BridgeHostEventName", "BridgeHostEventPayload", "BridgeHostLastPromise",
        "BridgeHostReset", "BridgeHostResponseCount", "BridgeHostResponseStatus", "BridgeHostResponseText",
        "BridgeHostSendNativeEvent", "BridgeHostSendWindowMessage", "BridgeHostSetEventSink",
        "BridgeHostWaitForEvents",
    };
    EXPECT_EQ(exportedNames(module), expected);
}

// ---- promises and responses -------------------------------------------------

TEST_F(BridgeHost, PromiseIdsFollowTheLastOneAndNeverRepeat) {
    const std::uint32_t before = BridgeHostLastPromise();
    const std::uint32_t first = BridgeHelperCreatePromiseID();
    const std::uint32_t second = BridgeHelperCreatePromiseID();
    EXPECT_EQ(first, before + 1);
    EXPECT_NE(first, 0u);
    EXPECT_EQ(second, first + 1);
    EXPECT_EQ(BridgeHostLastPromise(), second);
}

TEST_F(BridgeHost, PromiseIdsHandedOutConcurrentlyAreUnique) {
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
    EXPECT_EQ(all.size(), static_cast<std::size_t>(kThreads * kPerThread));
    EXPECT_EQ(*all.rbegin(), BridgeHostLastPromise());
}

TEST_F(BridgeHost, ResetForgetsAnswersButKeepsCountingPromises) {
    const std::uint32_t old = BridgeHelperCreatePromiseID();
    BridgeHelperSetResponse(old, 200, "{}");
    BridgeHostReset();
    EXPECT_EQ(BridgeHostResponseCount(old), 0);
    EXPECT_EQ(BridgeHostResponseText(old), nullptr);
    EXPECT_EQ(BridgeHostLastPromise(), old);
    EXPECT_EQ(BridgeHelperCreatePromiseID(), old + 1);
}

TEST_F(BridgeHost, ResponseRecordsStatusTextAndOneCount) {
    const std::uint32_t promise = BridgeHelperCreatePromiseID();
    EXPECT_NE(BridgeHelperSetResponse(promise, 405, R"({"error":{"name":"MethodError"},"value":null})"), 0);
    EXPECT_EQ(BridgeHostResponseCount(promise), 1);
    EXPECT_EQ(BridgeHostResponseStatus(promise), 405);
    EXPECT_STREQ(BridgeHostResponseText(promise), R"({"error":{"name":"MethodError"},"value":null})");
}

TEST_F(BridgeHost, ResponseTextIsCopiedDuringTheCall) {
    const std::uint32_t promise = BridgeHelperCreatePromiseID();
    char text[] = R"({"value":1})";
    BridgeHelperSetResponse(promise, 200, text);
    std::memset(text, 'x', sizeof text - 1);
    EXPECT_STREQ(BridgeHostResponseText(promise), R"({"value":1})");
}

TEST_F(BridgeHost, SecondResponseRaisesTheCountAndKeepsTheFirstAnswer) {
    const std::uint32_t promise = BridgeHelperCreatePromiseID();
    EXPECT_NE(BridgeHelperSetResponse(promise, 200, "first"), 0);
    EXPECT_EQ(BridgeHelperSetResponse(promise, 500, "second"), 0);
    EXPECT_EQ(BridgeHostResponseCount(promise), 2);
    EXPECT_EQ(BridgeHostResponseStatus(promise), 200);
    EXPECT_STREQ(BridgeHostResponseText(promise), "first");
}

TEST_F(BridgeHost, ResponsesToUnknownPromisesAreRecordedToo) {
    const std::uint32_t unknown = BridgeHostLastPromise() + 1000;
    BridgeHelperSetResponse(unknown, 500, "late");
    EXPECT_EQ(BridgeHostResponseCount(unknown), 1);
    EXPECT_EQ(BridgeHostResponseStatus(unknown), 500);
    EXPECT_STREQ(BridgeHostResponseText(unknown), "late");
}

TEST_F(BridgeHost, UnansweredPromiseHasNoResponse) {
    const std::uint32_t promise = BridgeHelperCreatePromiseID();
    EXPECT_EQ(BridgeHostResponseCount(promise), 0);
    EXPECT_EQ(BridgeHostResponseStatus(promise), 0);
    EXPECT_EQ(BridgeHostResponseText(promise), nullptr);
}

TEST_F(BridgeHost, NullResponseTextIsRecordedAsEmpty) {
    const std::uint32_t promise = BridgeHelperCreatePromiseID();
    BridgeHelperSetResponse(promise, 200, nullptr);
    EXPECT_EQ(BridgeHostResponseCount(promise), 1);
    EXPECT_STREQ(BridgeHostResponseText(promise), "");
}

TEST_F(BridgeHost, ResponseTextStaysValidWhileOtherAnswersArrive) {
    const std::uint32_t first = BridgeHelperCreatePromiseID();
    BridgeHelperSetResponse(first, 200, "kept");
    const char* text = BridgeHostResponseText(first);
    for (int i = 0; i < 200; ++i) {
        BridgeHelperSetResponse(BridgeHelperCreatePromiseID(), 200, "other answer long enough to allocate");
    }
    EXPECT_STREQ(text, "kept");
}

// ---- events -----------------------------------------------------------------

TEST_F(BridgeHost, EventsAreRecordedInOrderAsCopies) {
    char payload[] = R"({"type":"locked"})";
    BridgeHelperDispatchEvent("sessionChanged", payload);
    std::memset(payload, 'x', sizeof payload - 1);
    BridgeHelperDispatchEvent("systemTimeChanged", "2026-01-31 08:05:09");
    ASSERT_EQ(BridgeHostEventCount(), 2);
    EXPECT_STREQ(BridgeHostEventName(0), "sessionChanged");
    EXPECT_STREQ(BridgeHostEventPayload(0), R"({"type":"locked"})");
    EXPECT_STREQ(BridgeHostEventName(1), "systemTimeChanged");
    EXPECT_STREQ(BridgeHostEventPayload(1), "2026-01-31 08:05:09");
}

TEST_F(BridgeHost, EventIndexOutOfRangeGivesNull) {
    BridgeHelperDispatchEvent("screenChanged", "[]");
    EXPECT_EQ(BridgeHostEventName(1), nullptr);
    EXPECT_EQ(BridgeHostEventPayload(-1), nullptr);
}

TEST_F(BridgeHost, ResetForgetsEvents) {
    BridgeHelperDispatchEvent("screenChanged", "[]");
    BridgeHostReset();
    EXPECT_EQ(BridgeHostEventCount(), 0);
}

struct SinkRecord {
    std::vector<std::string> names;
    std::vector<std::string> payloads;
    std::vector<int> countsSeen;
};

void recordingSink(const char* name, const char* payload, void* context) {
    auto& record = *static_cast<SinkRecord*>(context);
    record.names.emplace_back(name);
    record.payloads.emplace_back(payload);
    // Calling back into the host from the sink must not deadlock.
    record.countsSeen.push_back(BridgeHostEventCount());
}

TEST_F(BridgeHost, SinkSeesEveryEventAfterItIsRecorded) {
    SinkRecord record;
    BridgeHostSetEventSink(&recordingSink, &record);
    BridgeHelperDispatchEvent("monitorChanged", R"({"added":[],"removed":[]})");
    BridgeHelperDispatchEvent("sensorChanged", "{}");
    EXPECT_EQ(record.names, (std::vector<std::string>{"monitorChanged", "sensorChanged"}));
    EXPECT_EQ(record.payloads, (std::vector<std::string>{R"({"added":[],"removed":[]})", "{}"}));
    EXPECT_EQ(record.countsSeen, (std::vector<int>{1, 2}));
}

TEST_F(BridgeHost, NullSinkStopsDelivery) {
    SinkRecord record;
    BridgeHostSetEventSink(&recordingSink, &record);
    BridgeHostSetEventSink(nullptr, &record);
    BridgeHelperDispatchEvent("screenChanged", "[]");
    EXPECT_TRUE(record.names.empty());
    EXPECT_EQ(BridgeHostEventCount(), 1);
}

TEST_F(BridgeHost, WaitForEventsReturnsOnceAnotherThreadDispatchedThem) {
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

TEST_F(BridgeHost, WaitForEventsWithoutTimeLeftReportsTheCurrentCount) {
    EXPECT_EQ(BridgeHostWaitForEvents(1, 0), 0);
    BridgeHelperDispatchEvent("screenChanged", "[]");
    EXPECT_EQ(BridgeHostWaitForEvents(1, 0), 1);
}

// ---- native event callbacks -------------------------------------------------

struct Delivery {
    std::string eventType;
    void* message = nullptr;
    void* context = nullptr;
};

struct CallbackLog {
    std::vector<Delivery> deliveries;
};

void loggingCallback(const char* eventType, void* message, void* context) {
    static_cast<CallbackLog*>(context)->deliveries.push_back(Delivery{eventType, message, context});
}

void otherLoggingCallback(const char* eventType, void* message, void* context) {
    loggingCallback(eventType, message, context);
}

class BridgeHostCallbacks : public BridgeHost {
protected:
    void TearDown() override {
        BridgeHelperRemoveEventCallback(&first_);
        BridgeHelperRemoveEventCallback(&second_);
        BridgeHost::TearDown();
    }
    CallbackLog first_;
    CallbackLog second_;
};

TEST_F(BridgeHostCallbacks, NativeEventReachesEveryCallbackWithItsContext) {
    EXPECT_NE(BridgeHelperAddEventCallback(&loggingCallback, &first_), 0);
    EXPECT_NE(BridgeHelperAddEventCallback(&otherLoggingCallback, &second_), 0);
    EXPECT_EQ(BridgeHostCallbackCount(), 2);
    int message = 7;
    BridgeHostSendNativeEvent("custom", &message);
    ASSERT_EQ(first_.deliveries.size(), 1u);
    ASSERT_EQ(second_.deliveries.size(), 1u);
    EXPECT_EQ(first_.deliveries[0].eventType, "custom");
    EXPECT_EQ(first_.deliveries[0].message, &message);
    EXPECT_EQ(first_.deliveries[0].context, &first_);
    EXPECT_EQ(second_.deliveries[0].context, &second_);
}

TEST_F(BridgeHostCallbacks, RemovingByContextDropsEveryCallbackWithThatContextOnly) {
    BridgeHelperAddEventCallback(&loggingCallback, &first_);
    BridgeHelperAddEventCallback(&otherLoggingCallback, &first_);
    BridgeHelperAddEventCallback(&loggingCallback, &second_);
    EXPECT_EQ(BridgeHelperRemoveEventCallback(&first_), 2);
    EXPECT_EQ(BridgeHostCallbackCount(), 1);
    BridgeHostSendNativeEvent("custom", nullptr);
    EXPECT_TRUE(first_.deliveries.empty());
    EXPECT_EQ(second_.deliveries.size(), 1u);
    EXPECT_EQ(BridgeHelperRemoveEventCallback(&first_), 0);
}

TEST_F(BridgeHostCallbacks, CallbackAddedTwiceIsCalledTwice) {
    BridgeHelperAddEventCallback(&loggingCallback, &first_);
    BridgeHelperAddEventCallback(&loggingCallback, &first_);
    EXPECT_EQ(BridgeHostCallbackCount(), 2);
    BridgeHostSendNativeEvent("custom", nullptr);
    EXPECT_EQ(first_.deliveries.size(), 2u);
}

TEST_F(BridgeHostCallbacks, NullCallbackIsRefused) {
    EXPECT_EQ(BridgeHelperAddEventCallback(nullptr, &first_), 0);
    EXPECT_EQ(BridgeHostCallbackCount(), 0);
}

TEST_F(BridgeHostCallbacks, ResetKeepsCallbacks) {
    BridgeHelperAddEventCallback(&loggingCallback, &first_);
    BridgeHostReset();
    BridgeHostSendNativeEvent("custom", nullptr);
    EXPECT_EQ(first_.deliveries.size(), 1u);
}

void dispatchingCallback(const char* eventType, void*, void* context) {
    // What the library's observer does: send an event, here also unregister.
    BridgeHelperDispatchEvent("fromCallback", eventType);
    BridgeHelperRemoveEventCallback(context);
}

TEST_F(BridgeHostCallbacks, CallbackMayDispatchEventsAndUnregisterItself) {
    BridgeHelperAddEventCallback(&dispatchingCallback, &first_);
    BridgeHostSendNativeEvent("custom", nullptr);
    EXPECT_EQ(BridgeHostCallbackCount(), 0);
    ASSERT_EQ(BridgeHostEventCount(), 1);
    EXPECT_STREQ(BridgeHostEventName(0), "fromCallback");
    EXPECT_STREQ(BridgeHostEventPayload(0), "custom");
}

struct SeenMessage {
    std::string eventType;
    MSG msg{};
};

void messageCallback(const char* eventType, void* message, void* context) {
    auto& seen = *static_cast<SeenMessage*>(context);
    seen.eventType = eventType;
    seen.msg = *static_cast<const MSG*>(message);
}

TEST_F(BridgeHost, WindowMessageArrivesAsAFilledMsg) {
    SeenMessage seen;
    seen.msg.hwnd = reinterpret_cast<HWND>(1);
    seen.msg.pt = POINT{5, 5};
    BridgeHelperAddEventCallback(&messageCallback, &seen);
    const DWORD before = GetTickCount();
    BridgeHostSendWindowMessage(WM_WTSSESSION_CHANGE, 0x7, 0x1234);
    const DWORD after = GetTickCount();
    BridgeHelperRemoveEventCallback(&seen);

    EXPECT_EQ(seen.eventType, "_native_windows_generic_MSG");
    EXPECT_EQ(seen.msg.hwnd, nullptr);
    EXPECT_EQ(seen.msg.message, static_cast<UINT>(WM_WTSSESSION_CHANGE));
    EXPECT_EQ(seen.msg.wParam, 0x7u);
    EXPECT_EQ(seen.msg.lParam, 0x1234);
    EXPECT_GE(seen.msg.time, before);
    EXPECT_LE(seen.msg.time, after);
    EXPECT_EQ(seen.msg.pt.x, 0);
    EXPECT_EQ(seen.msg.pt.y, 0);
}

TEST_F(BridgeHost, WindowMessageKeepsFullWidthParameters) {
    SeenMessage seen;
    BridgeHelperAddEventCallback(&messageCallback, &seen);
    BridgeHostSendWindowMessage(WM_DISPLAYCHANGE, 0xFFFFFFFF00000001ull, -2);
    BridgeHelperRemoveEventCallback(&seen);
    EXPECT_EQ(seen.msg.wParam, static_cast<WPARAM>(0xFFFFFFFF00000001ull));
    EXPECT_EQ(seen.msg.lParam, static_cast<LPARAM>(-2));
}

}  // namespace
