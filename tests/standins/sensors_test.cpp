// The measurement-device stand-in (libtrellis_x64.dll) and the sensor-library
// stand-in (libbramble.dll).

#include <gtest/gtest.h>

#include "standin_test_support.h"

namespace {

using standin_test::Json;
using standin_test::Module;

TEST(StandinTrellis, ListsConnectedDevicesUpToANegativeResult) {
    const Module trellis{L"libtrellis_x64.dll"};
    auto enumerate =
        trellis.function<std::int32_t(std::int32_t, std::uint32_t*, std::uint64_t*)>("TrlEnumConnectedDevices");
    std::uint32_t device = 0;
    std::uint64_t individual = 0;
    ASSERT_GE(enumerate(0, &device, &individual), 0);
    EXPECT_EQ(device, 4097u);
    EXPECT_EQ(individual, 0x1a2b3cu);
    EXPECT_LT(enumerate(1, &device, &individual), 0);
    EXPECT_LT(enumerate(-1, &device, &individual), 0);
}

TEST(StandinBramble, SerialSensorsEnumerateUpToANegativeResult) {
    const Module bramble{L"libbramble.dll"};
    ASSERT_TRUE(bramble.loadWorld(R"({"bramble": {"serialSensors": [{"deviceID": 5}, {"deviceID": "0x6001"}]}})"));
    auto enumerate = bramble.function<std::int32_t(std::int32_t, std::uint32_t*)>("BrambleEnumConnectedSerialSensors");
    std::uint32_t device = 0;
    ASSERT_GE(enumerate(1, &device), 0);
    EXPECT_EQ(device, 0x6001u);
    EXPECT_LT(enumerate(2, &device), 0);
    EXPECT_LT(enumerate(-1, &device), 0);
}

TEST(StandinBramble, RecordsWhatTheCallerToldItUntilTheLogIsReset) {
    const Module bramble{L"libbramble.dll"};
    using NotifyFn = void(const char*, const char*);
    auto state = [&] { return Json::parse(bramble.function<const char*()>("BrambleStandinState")()); };
    bramble.function<void()>("BrambleLockSensors")();
    bramble.function<NotifyFn>("BramblePreUpdateBuiltInSensorHandle")("45012345", "CS2740");
    bramble.function<NotifyFn>("BrambleUpdateBuiltInSensorHandle")("45012345", "CS2740");
    bramble.function<NotifyFn>("BrambleUpdateBuiltInSensorHandle")("NEW1", "Caf\xE9");
    bramble.function<void()>("BrambleUnlockSensors")();
    ASSERT_EQ(bramble.function<std::int32_t(std::uint64_t)>("BrambleRemoveSensor")(0x3001), 0);

    EXPECT_EQ(state(), Json::parse(R"({"lockCount": 1, "unlockCount": 1,
        "preUpdates": [{"serial": "45012345", "product": "CS2740"}],
        "updates": [{"serial": "45012345", "product": "CS2740"}, {"serial": "NEW1", "product": "Café"}],
        "removedSensors": [12289]})"));
    EXPECT_EQ(bramble.callLog(), Json::parse(R"(["BrambleLockSensors", "BramblePreUpdateBuiltInSensorHandle",
        "BrambleUpdateBuiltInSensorHandle", "BrambleUpdateBuiltInSensorHandle", "BrambleUnlockSensors",
        "BrambleRemoveSensor"])"));

    bramble.function<void()>("StandinResetCallLog")();
    EXPECT_EQ(state(), Json::parse(R"({"lockCount": 0, "unlockCount": 0, "preUpdates": [], "updates": [],
        "removedSensors": []})"));
    EXPECT_TRUE(bramble.callLog().empty());
}

}  // namespace
