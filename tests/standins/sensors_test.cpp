// The measurement-device stand-in (libtrellis_x64.dll) and the sensor-library
// stand-in (libbramble.dll).

#include <gtest/gtest.h>

#include "standin_control.h"
#include "standin_test_support.h"

namespace {

using standin_test::Json;
using standin_test::Module;

using EnumDevicesFn = std::int32_t(std::int32_t, std::uint32_t*, std::uint64_t*);
using LookUpHidFn = std::int32_t(std::uint64_t, std::uint64_t*);
using LookUpDeviceFn = std::int32_t(std::uint32_t, std::uint64_t*);
using MonitorFn = void(const char*, const char*);

TEST(StandinTrellis, ListsConnectedDevicesUpToANegativeResult) {
    const Module trellis = Module::full(L"libtrellis_x64.dll");
    auto enumerate = trellis.function<EnumDevicesFn>("TrlEnumConnectedDevices");
    std::uint32_t device = 0;
    std::uint64_t individual = 0;
    ASSERT_GE(enumerate(0, &device, &individual), 0);
    EXPECT_EQ(device, 4097u);
    EXPECT_EQ(individual, 0x1a2b3cu);
    EXPECT_LT(enumerate(1, &device, &individual), 0);
    EXPECT_LT(enumerate(-1, &device, &individual), 0);

    ASSERT_TRUE(trellis.loadWorld(R"({"trellis": {"devices": [{"deviceID": 1}, {"deviceID": 2, "individualID": 9}]}})"));
    ASSERT_GE(enumerate(1, &device, &individual), 0);
    EXPECT_EQ(device, 2u);
    EXPECT_EQ(individual, 9u);
    ASSERT_GE(enumerate(0, &device, &individual), 0);
    EXPECT_EQ(individual, 0u);

    ASSERT_TRUE(trellis.loadWorld(R"({"trellis": {"devices": [{"deviceID": 1}], "fail": ["TrlEnumConnectedDevices"]}})"));
    EXPECT_LT(enumerate(0, &device, &individual), 0);
    EXPECT_EQ(trellis.callCount("TrlEnumConnectedDevices"), 6);
}

class StandinBramble : public ::testing::Test {
protected:
    Module bramble = Module::full(L"libbramble.dll");

    std::int32_t byHid(std::uint64_t hid, std::uint64_t& sensor) const {
        return bramble.function<LookUpHidFn>("BrambleGetHandleForHIDHandle")(hid, &sensor);
    }
    std::int32_t byDevice(std::uint32_t device, std::uint64_t& sensor) const {
        return bramble.function<LookUpDeviceFn>("BrambleGetHandleForDeviceID")(device, &sensor);
    }
    std::int32_t remove(std::uint64_t sensor) const {
        return bramble.function<std::int32_t(std::uint64_t)>("BrambleRemoveSensor")(sensor);
    }
    Json state() const { return Json::parse(bramble.function<const char*()>("BrambleStandinState")()); }
};

TEST_F(StandinBramble, FindsSensorsByHidHandleAndDeviceId) {
    std::uint64_t sensor = 0;
    ASSERT_GE(byHid(0x1001, sensor), 0);
    EXPECT_EQ(sensor, 0x3001u);
    ASSERT_GE(byDevice(4097, sensor), 0);
    EXPECT_EQ(sensor, 0x3002u);

    sensor = 77;
    EXPECT_LT(byHid(0x5555, sensor), 0);
    EXPECT_EQ(sensor, 0u);
    sensor = 77;
    EXPECT_LT(byDevice(1, sensor), 0);
    EXPECT_EQ(sensor, 0u);
}

TEST_F(StandinBramble, RemovedSensorsAreForgottenUntilTheNextWorld) {
    std::uint64_t sensor = 0;
    ASSERT_EQ(remove(0x3001), 0);
    EXPECT_LT(byHid(0x1001, sensor), 0);
    EXPECT_LT(remove(0x3001), 0);
    EXPECT_LT(remove(0x4242), 0);
    EXPECT_EQ(state()["removedSensors"], Json::array({0x3001}));

    ASSERT_TRUE(bramble.loadWorld("{}"));
    EXPECT_GE(byHid(0x1001, sensor), 0);
}

TEST_F(StandinBramble, RecordsWhatTheCallerToldItUntilTheLogIsReset) {
    bramble.function<void()>("BrambleLockSensors")();
    bramble.function<MonitorFn>("BramblePreUpdateBuiltInSensorHandle")("45012345", "CS2740");
    bramble.function<MonitorFn>("BrambleUpdateBuiltInSensorHandle")("45012345", "CS2740");
    bramble.function<MonitorFn>("BrambleUpdateBuiltInSensorHandle")("NEW1", "Caf\xE9");
    bramble.function<void()>("BrambleUnlockSensors")();

    const Json recorded = state();
    EXPECT_EQ(recorded["lockCount"], 1);
    EXPECT_EQ(recorded["unlockCount"], 1);
    EXPECT_EQ(recorded["preUpdates"], Json::parse(R"([{"serial": "45012345", "product": "CS2740"}])"));
    ASSERT_EQ(recorded["updates"].size(), 2u);
    EXPECT_EQ(recorded["updates"][1]["product"], "Café");
    EXPECT_EQ(bramble.callLog(), Json::parse(R"(["BrambleLockSensors", "BramblePreUpdateBuiltInSensorHandle",
        "BrambleUpdateBuiltInSensorHandle", "BrambleUpdateBuiltInSensorHandle", "BrambleUnlockSensors"])"));

    bramble.resetCallLog();
    EXPECT_EQ(state()["lockCount"], 0);
    EXPECT_TRUE(state()["updates"].empty());
    EXPECT_TRUE(bramble.callLog().empty());
}

TEST_F(StandinBramble, SerialSensorsEnumerateUpToANegativeResult) {
    ASSERT_TRUE(bramble.loadWorld(R"({"bramble": {"serialSensors": [{"deviceID": 5}, {"deviceID": "0x6001"}]}})"));
    auto enumerate = bramble.function<std::int32_t(std::int32_t, std::uint32_t*)>("BrambleEnumConnectedSerialSensors");
    std::uint32_t device = 0;
    ASSERT_GE(enumerate(1, &device), 0);
    EXPECT_EQ(device, 0x6001u);
    EXPECT_LT(enumerate(2, &device), 0);
    EXPECT_LT(enumerate(0, nullptr), 0);
}

TEST(StandinBrambleMinimal, KeepsOnlyLockingAndUpdateNotifications) {
    const Module bramble = Module::minimal(L"libbramble.dll");
    for (const char* name : {"BrambleEnumConnectedSerialSensors", "BrambleGetHandleForHIDHandle",
                             "BrambleGetHandleForDeviceID", "BrambleRemoveSensor"}) {
        EXPECT_FALSE(bramble.exports(name)) << name;
    }
    for (const char* name : {"BrambleLockSensors", "BrambleUnlockSensors", "BramblePreUpdateBuiltInSensorHandle",
                             "BrambleUpdateBuiltInSensorHandle"}) {
        EXPECT_TRUE(bramble.exports(name)) << name;
    }
}

}  // namespace
