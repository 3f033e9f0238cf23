// The change lists that device events carry: record comparison, their JSON
// forms and when a change is sent, against the stand-in bridge host.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bridgehost_control.h"
#include "notification/events.h"

using kelto::notification::DeviceRecord;
using kelto::notification::SensorRecord;

namespace {

std::vector<std::string> serials(const std::vector<DeviceRecord>& records) {
    std::vector<std::string> texts;
    for (const DeviceRecord& record : records) texts.push_back(record.serial);
    return texts;
}

}  // namespace

TEST(ChangeLists, DiffKeepsOrderAndDuplicatesAndIgnoresTheHandle) {
    const std::vector<DeviceRecord> before = {{1, "A", "P"}, {2, "B", "P"}, {3, "C", "P"}};
    const std::vector<DeviceRecord> after = {{9, "A", "P"}, {0, "D", "P"}, {0, "D", "P"}, {0, "B", "Q"}};
    std::vector<DeviceRecord> added, removed;
    std::vector<std::string> calls;
    kelto::notification::diffRecords(
        before, after, &added, &removed, [&](const DeviceRecord& r) { calls.push_back("+" + r.serial); },
        [&](const DeviceRecord& r) { calls.push_back("-" + r.serial); });
    EXPECT_EQ(serials(added), (std::vector<std::string>{"D", "D", "B"}));
    EXPECT_EQ(serials(removed), (std::vector<std::string>{"B", "C"}));
    EXPECT_EQ(calls, (std::vector<std::string>{"+D", "+D", "+B", "-B", "-C"}));

    // A missing output skips that half, its records and its callback.
    calls.clear();
    added.clear();
    kelto::notification::diffRecords(
        before, after, &added, static_cast<std::vector<DeviceRecord>*>(nullptr),
        [&](const DeviceRecord& r) { calls.push_back("+" + r.serial); },
        [&](const DeviceRecord& r) { calls.push_back("-" + r.serial); });
    EXPECT_EQ(calls, (std::vector<std::string>{"+D", "+D", "+B"}));
}

TEST(ChangeLists, EventsCarryBothListsAndNothingIsSentForNoChange) {
    BridgeHostReset();
    using kelto::notification::dispatchChangeEvent;
    dispatchChangeEvent("monitorChanged", std::vector<DeviceRecord>{}, std::vector<DeviceRecord>{});
    dispatchChangeEvent("sensorChanged", std::vector<SensorRecord>{}, std::vector<SensorRecord>{});
    dispatchChangeEvent("monitorChanged", {}, std::vector<DeviceRecord>{{7, "S\"1", "Prod"}});
    dispatchChangeEvent("sensorChanged", std::vector<SensorRecord>{{4097, 0x1A2B}, {5, 0}},
                        std::vector<SensorRecord>{{6, 0xFFFFFFFFFFFFFFFF}});
    ASSERT_EQ(BridgeHostEventCount(), 2);
    EXPECT_STREQ(BridgeHostEventName(0), "monitorChanged");
    EXPECT_STREQ(BridgeHostEventPayload(0), R"({"added":[],"removed":[{"product":"Prod","serial":"S\"1"}]})");
    EXPECT_STREQ(BridgeHostEventName(1), "sensorChanged");
    EXPECT_STREQ(BridgeHostEventPayload(1),
                 R"({"added":[{"deviceID":4097,"individualID":"0000000000001a2b"},{"deviceID":5}],)"
                 R"("removed":[{"deviceID":6,"individualID":"ffffffffffffffff"}]})");
}
