// Device events end to end through the shipped DLL and the configuration-
// manager stand-in, which Wine loads instead of its own cfgmgr32 (the test
// runs with the override cfgmgr32=n,b).
//
// The executable lives in a folder without the two run-time loaded device
// libraries, so a test can do without them; one that needs them loads them
// from the main folder before the library's first use.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "bridgehost_control.h"
#include "library_harness.h"
#include "platform/handle_owner.h"
#include "pocketjson/json.h"

using mavel::test::MavelLibrary;

namespace {

constexpr std::uint32_t kArrival = 0;
constexpr std::uint32_t kRemoval = 1;

const char* const kAttached = R"({
  "pltc": {"controllers": [{"serial": "SA", "product": "PA", "hidHandle": 17}]},
  "trellis": {"devices": [{"deviceID": 4097, "individualID": 6699}]},
  "pallet": {"equipment": [{"handle": 1, "product": "L1", "serial": "S1"}],
             "known": [{"handle": 1, "product": "L1", "serial": "S1"}]},
  "bramble": {"sensors": [{"handle": 51, "hidHandle": 17}], "serialSensors": [{"deviceID": 24577}]}})";

// One more device of each kind.
const char* const kOneMoreEach = R"({
  "pltc": {"controllers": [{"serial": "SA", "product": "PA", "hidHandle": 17}, {"serial": "SB", "product": "PB"}]},
  "trellis": {"devices": [{"deviceID": 4097, "individualID": 6699}, {"deviceID": 5}]},
  "pallet": {"equipment": [{"handle": 1, "product": "L1", "serial": "S1"}, {"handle": 2, "product": "L2", "serial": "S2"}]},
  "bramble": {"sensors": [{"handle": 51, "hidHandle": 17}], "serialSensors": [{"deviceID": 24577}, {"deviceID": 100}]}})";

const char* const kMonitorGone = R"({"pltc": {"controllers": []}})";

// Throws, and so fails the case cleanly, when Wine loaded its own cfgmgr32.
template <class Signature>
Signature* configurationManager(const char* name) {
    Signature* function = kelto::findExport<Signature>(GetModuleHandleW(L"cfgmgr32.dll"), name);
    if (function == nullptr) throw std::runtime_error(std::string("no configuration-manager stand-in for ") + name);
    return function;
}

std::int32_t fire(std::uint32_t action, const char* instanceId) {
    return configurationManager<std::int32_t(std::uint32_t, const char*)>("Cfgmgr32StandinFire")(action, instanceId);
}

std::int32_t registrations() { return configurationManager<std::int32_t()>("Cfgmgr32StandinRegistrationCount")(); }

kelto::UniqueModule loadFromMainFolder(const wchar_t* file) {
    return kelto::UniqueModule(LoadLibraryW((mavel::test::binFolder() + L"\\..\\" + file).c_str()));
}

// Events from start on, once count arrived or the time is up, and after a
// further wait in which an unexpected one would show.
std::map<std::string, std::string> eventsAfterWait(std::int32_t start, std::int32_t count) {
    BridgeHostWaitForEvents(start + count, 3000);
    Sleep(700);
    std::map<std::string, std::string> events;
    for (const mavel::test::Event& event : mavel::test::eventsSince(start)) events[event.name] += event.payload;
    return events;
}

std::string put(const MavelLibrary& library) { return library.call("DeviceNotification", "PUT").text; }

std::size_t logged(const std::string& line) {
    const std::vector<std::string> lines = mavel::test::logLines();
    return static_cast<std::size_t>(std::count(lines.begin(), lines.end(), line));
}

// The calls of the sensor and monitor-control libraries since the last reset, in order.
std::vector<std::string> callsInOrder() {
    std::map<std::int64_t, std::string> ordered;
    for (const wchar_t* module : {L"libbramble.dll", L"libpltc_x64.dll"}) {
        const auto sequence = kelto::findExport<const char*()>(GetModuleHandleW(module), "StandinCallSequence");
        pocketjson::Value calls;
        pocketjson::parseJson(calls, std::string(sequence()));
        for (const pocketjson::Value& call : calls.elements()) ordered[call.at(1).intValue()] = call.at(0).asString();
    }
    std::vector<std::string> names;
    for (const auto& [number, name] : ordered) names.push_back(name);
    return names;
}

}  // namespace

TEST(DeviceEvents, EachKindSendsItsChangeOnceAfterItsWait) {
    MavelLibrary library;
    const kelto::UniqueModule lighting = loadFromMainFolder(L"libpallet_x64.dll");
    const kelto::UniqueModule sensors = loadFromMainFolder(L"libbramble.dll");
    mavel::test::loadWorld(kAttached);
    for (const wchar_t* module : {L"libbramble.dll", L"libpltc_x64.dll"}) mavel::test::resetCallLog(module);
    put(library);
    // The monitor rescan runs under the sensor library's lock, which also
    // brackets each sensor scan: the sensor tracker's first ones, then its rescan.
    const std::vector<std::string> expectedCalls{"BrambleLockSensors",
                                                 "PltCtrlGetNumMonitors",
                                                 "PltCtrlFind",
                                                 "PltCtrlGetNumMonitors",
                                                 "PltCtrlGetSerialProduct",
                                                 "PltCtrlGetHIDHandle",
                                                 "BrambleUpdateBuiltInSensorHandle",
                                                 "BrambleUnlockSensors",
                                                 "BrambleLockSensors",
                                                 "BrambleUnlockSensors",
                                                 "BrambleEnumConnectedSerialSensors",
                                                 "BrambleEnumConnectedSerialSensors",
                                                 "BrambleLockSensors",
                                                 "BrambleUnlockSensors"};
    EXPECT_EQ(callsInOrder(), expectedCalls);
    // Size 416, device-interface filter, the USB device interface class.
    EXPECT_EQ(configurationManager<const char*()>("Cfgmgr32StandinLastFilter")(),
              "a0010000" + std::string(24, '0') + "10bfdca53065d211901f00c04fb951ed" + std::string(2 * 384, '0'));

    mavel::test::loadWorld(kOneMoreEach);
    mavel::test::clearLog();
    const std::int32_t start = BridgeHostEventCount();
    const std::uint64_t fired = GetTickCount64();
    for (const char* id : {R"(usb\vid_056d&pid_4014\7)", R"(USB\VID_056D&PID_4014\7)", R"(USB\VID_0765&PID_5020\1)",
                           R"(USB\VID_0403&PID_6001\A)", R"(USB\VID_056D&PID_8100\B)", R"(USB\VID_046D&PID_C52B\1)"}) {
        EXPECT_EQ(fire(kArrival, id), 1) << id;
    }
    // The monitor twice: the second rescan finds nothing new.
    const std::map<std::string, std::string> expected{
        {"monitorChanged", R"({"added":[{"product":"PB","serial":"SB"}],"removed":[]})"},
        {"sensorChanged", R"({"added":[{"deviceID":5}],"removed":[]})"},
        {"serialSensorChanged", R"({"added":[{"deviceID":100}],"removed":[]})"},
        {"lightingEquipmentChanged", R"({"added":[{"product":"L2","serial":"S2"}],"removed":[]})"}};
    EXPECT_EQ(eventsAfterWait(start, 4), expected);
    for (const mavel::test::Event& event : mavel::test::eventsSince(start)) {
        const bool monitorMaker = event.name == "monitorChanged" || event.name == "lightingEquipmentChanged";
        EXPECT_GE(event.ticks - fired, monitorMaker ? 600u - 16u : 300u - 16u) << event.name;
    }
    // Identifiers are upper-cased before they are read.
    EXPECT_EQ(logged("2|Add device USB\\VID_056D&PID_4014\\7"), 2u);
    EXPECT_EQ(logged("2|Add device USB\\VID_046D&PID_C52B\\1"), 1u);
}

TEST(DeviceEvents, TearDownAndDeleteCancelTheNewestRegistration) {
    MavelLibrary library;
    const auto tearDown = [&library] { library.function<void()>("TearDown")(); };
    const auto remove = [&library] { library.call("DeviceNotification", "DELETE"); };
    for (const auto& stop : {std::function<void()>(tearDown), std::function<void()>(remove)}) {
        put(library);
        ASSERT_EQ(registrations(), 1);
        stop();
        EXPECT_EQ(registrations(), 0);
        EXPECT_EQ(fire(kArrival, R"(USB\VID_0403&PID_6001\A)"), 0);
    }
    // Only the newest handle is kept: an earlier registration stays.
    put(library);
    put(library);
    tearDown();
    EXPECT_EQ(registrations(), 1);
}

TEST(DeviceEvents, AFailedRegistrationIsLoggedAndTheAnswerStays) {
    MavelLibrary library;
    const kelto::UniqueModule manager(LoadLibraryW(L"cfgmgr32.dll"));
    configurationManager<void(std::uint32_t)>("Cfgmgr32StandinFailRegistrations")(0x13);
    mavel::test::clearLog();
    EXPECT_EQ(library.call("DeviceNotification", "PUT").status, 404);  // this folder has no lighting library
    EXPECT_EQ(registrations(), 0);
    EXPECT_EQ(logged("5|Failed to register device notification 19"), 1u);
}

TEST(DeviceEvents, WithoutTheLightingLibraryPutAnswers404AndKeepsTheOtherChanges) {
    MavelLibrary library;
    const kelto::UniqueModule sensors = loadFromMainFolder(L"libbramble.dll");
    mavel::test::loadWorld(kAttached);
    EXPECT_EQ(library.call("DeviceNotification", "PUT").text,
              R"({"error":{"message":"libpallet does not have a requested function.","name":"FunctionNotFoundError"},)"
              R"("value":null})");
    EXPECT_EQ(registrations(), 1);
    // A lighting arrival ends its worker quietly.
    const std::int32_t start = BridgeHostEventCount();
    fire(kArrival, R"(USB\VID_056D&PID_8100\B)");
    EXPECT_TRUE(eventsAfterWait(start, 1).empty());

    // The controller found by the failed PUT is not reported again.
    const kelto::UniqueModule lighting = loadFromMainFolder(L"libpallet_x64.dll");
    mavel::test::loadWorld(kAttached);
    EXPECT_EQ(put(library), R"({"error":null,"value":{"lightingEquipments":{"added":[],"removed":[]},)"
                            R"("monitors":{"added":[],"removed":[]},"sensors":{"added":[],"removed":[]},)"
                            R"("supports":true}})");
}

TEST(DeviceEvents, WithoutTheSensorLibraryMonitorsAreStillTracked) {
    MavelLibrary library;
    const kelto::UniqueModule lighting = loadFromMainFolder(L"libpallet_x64.dll");
    mavel::test::loadWorld(kAttached);
    put(library);
    mavel::test::loadWorld(kMonitorGone);
    const std::int32_t start = BridgeHostEventCount();
    fire(kRemoval, R"(USB\VID_056D&PID_4014\7)");
    fire(kArrival, R"(USB\VID_0403&PID_6001\A)");
    const std::map<std::string, std::string> expected{
        {"monitorChanged", R"({"added":[],"removed":[{"product":"PA","serial":"SA"}]})"}};
    EXPECT_EQ(eventsAfterWait(start, 1), expected);
}
