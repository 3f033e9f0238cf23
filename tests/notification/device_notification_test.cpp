// "DeviceNotification" through the shipped DLL: what the trackers report in
// the PUT answer, what they tell the sensor library, and the supports query.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "library_harness.h"
#include "platform/handle_owner.h"
#include "pocketjson/json.h"

using mavel::test::MavelLibrary;

namespace {

// Monitor controller A, sensor 4097 and lamp L1 attached, the lamp and the
// sensor already known to their libraries.
const char* const kAttached = R"({
  "pltc": {"controllers": [{"serial": "SA", "product": "PA", "hidHandle": 17}], "known": []},
  "trellis": {"devices": [{"deviceID": 4097, "individualID": 6699}]},
  "pallet": {"equipment": [{"handle": 1, "product": "L1", "serial": "S1"}],
             "known": [{"handle": 1, "product": "L1", "serial": "S1"}]},
  "bramble": {"sensors": [{"handle": 51, "hidHandle": 17}, {"handle": 52, "deviceID": 4097}],
              "serialSensors": [{"deviceID": 24577}]}})";

// A replaced by two controllers B; sensor 4097 with another individual
// identifier and sensor 5 added; lamps with trailing blanks, a warning code
// that still delivers, a text of blanks only, and one that cannot be read.
const char* const kChanged = R"({
  "pltc": {"controllers": [{"serial": "SB", "product": "PRODUCT-SIXTEEN!"}, {"serial": "SB", "product": "PRODUCT-SIXTEEN!"}]},
  "trellis": {"devices": [{"deviceID": 4097, "individualID": 1}, {"deviceID": 5}]},
  "pallet": {"equipment": [{"handle": 1, "product": "L1", "serial": "S1"},
                           {"handle": 2, "product": "Lamp   ", "serial": "S2", "serialCode": "0x80000006"},
                           {"handle": 3, "product": "   ", "serial": "S3"},
                           {"handle": 4, "product": "Unreadable", "serial": "S4", "productCode": -5}]},
  "bramble": {"sensors": [{"handle": 51, "hidHandle": 17}, {"handle": 52, "deviceID": 4097}],
              "serialSensors": [{"deviceID": 24577}]}})";

const char* const kNothing = R"({"added":[],"removed":[]})";

// What the library told the sensor library since the last call-log reset.
std::string sensorLibraryState() {
    const auto state = kelto::findExport<const char*()>(GetModuleHandleW(L"libbramble.dll"), "BrambleStandinState");
    pocketjson::Value value;
    if (state != nullptr) pocketjson::parseJson(value, std::string(state()));
    return pocketjson::toJson(value);
}

std::string put(const MavelLibrary& library) { return library.call("DeviceNotification", "PUT").text; }

std::string answer(const std::string& lighting, const std::string& monitors, const std::string& sensors) {
    return R"({"error":null,"value":{"lightingEquipments":)" + lighting + R"(,"monitors":)" + monitors +
           R"(,"sensors":)" + sensors + R"(,"supports":true}})";
}

}  // namespace

TEST(DeviceNotificationPut, ReportsWhatEachRescanFindsOnce) {
    MavelLibrary library;
    // Loaded ahead of the library's first use, so that they take the world.
    const kelto::UniqueModule lighting(LoadLibraryW(L"libpallet_x64.dll"));
    const kelto::UniqueModule sensors(LoadLibraryW(L"libbramble.dll"));
    mavel::test::loadWorld(kAttached);
    // Only the controller is new to its library; the rest was known already.
    EXPECT_EQ(put(library), answer(kNothing, R"({"added":[{"product":"PA","serial":"SA"}],"removed":[]})", kNothing));
    EXPECT_EQ(put(library), answer(kNothing, kNothing, kNothing));

    mavel::test::loadWorld(kChanged);
    mavel::test::resetCallLog(L"libbramble.dll");
    mavel::test::clearLog();
    EXPECT_EQ(put(library),
              answer(R"({"added":[{"product":"Lamp","serial":"S2"},{"product":"   ","serial":"S3"}],"removed":[]})",
                     R"({"added":[{"product":"PRODUCT-SIXTEEN!","serial":"SB"},)"
                     R"({"product":"PRODUCT-SIXTEEN!","serial":"SB"}],"removed":[{"product":"PA","serial":"SA"}]})",
                     R"({"added":[{"deviceID":4097,"individualID":"0000000000000001"},{"deviceID":5}],)"
                     R"("removed":[{"deviceID":4097,"individualID":"0000000000001a2b"}]})"));

    // The sensor library was told about the controllers before and after the
    // rescan, under its own lock, and forgot the sensors of what went away.
    EXPECT_EQ(sensorLibraryState(),
              R"({"lockCount":2,"preUpdates":[{"product":"PA","serial":"SA"}],"removedSensors":[51,52],)"
              R"("unlockCount":2,"updates":[{"product":"PRODUCT-SIXTEEN!","serial":"SB"},)"
              R"({"product":"PRODUCT-SIXTEEN!","serial":"SB"}]})");
    const std::vector<std::string> lines = mavel::test::logLines();
    for (const char* line :
         {"3|event:monitorChanged\tmsg:Remove PA(SA)", "3|event:sensorChanged\tmsg:Add 5",
          "3|event:sensorChanged\tmsg:Remove 4097", "3|event:lightingEquipmentChanged\tmsg:Add Lamp(S2)",
          // Wine's own cfgmgr32 lacks the registration function.
          "5|Failed to register device notification 52"}) {
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
    }
}

TEST(DeviceNotificationMethods, SupportsQueryAndDelete) {
    MavelLibrary library;
    const struct {
        const char* method;
        const char* query;
        const char* expected;
    } cases[] = {
        {"GET", R"({"supports":false})", R"({"error":null,"value":true})"},
        {"GET", "",
         R"({"error":{"message":"'supports' query is only supported.","name":"BadRequestError"},"value":null})"},
        {"GET", R"({"support":1})",
         R"({"error":{"message":"'supports' query is only supported.","name":"BadRequestError"},"value":null})"},
        {"GET", R"(["supports"])",
         R"({"error":{"message":"'supports' query is only supported.","name":"BadRequestError"},"value":null})"},
        {"DELETE", "", R"({"error":null,"value":null})"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(library.call("DeviceNotification", c.method, "", c.query).text, c.expected) << c.query;
}
