// What one device-interface notification leads to, linked from the library's
// sources: the USB identity read from the instance identifier, and which kind
// of device the worker rescans for which vendor and product.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "library_harness.h"
#include "notification/device_change.h"

using kelto::notification::DeviceAction;
using kelto::notification::DeviceChangeNotificationRunnable;

TEST(DeviceChangeIdentity, VendorAndProductAsHexadecimalStreamInput) {
    const struct {
        const char* id;
        std::uint16_t vendor;
        std::uint16_t product;
    } cases[] = {
        {R"(USB\VID_056D&PID_4014\5&1A2B3C4D&0&2)", 0x056D, 0x4014},
        {R"(USB\VID_0403&PID_6001)", 0x0403, 0x6001},
        {R"(USB\VID_12G4&PID_FFFF)", 0x0012, 0xFFFF},   // digits up to the first other character
        {R"(USB\VID_XYZW&PID_ 1AB)", 0, 0x01AB},        // none read as 0; leading blanks skipped
        {R"(USB\VID_056D)", 0x056D, 0},                 // no product part
        {R"(USB\VID_056)", 0, 0},                       // too short for four characters
        {R"(USB\PID_0002&VID_056D&)", 0x056D, 0x0002},  // order does not matter
        {"", 0, 0},
    };
    for (const auto& c : cases) {
        const auto identity = kelto::notification::usbIdentity(c.id);
        EXPECT_EQ(identity.vendorId, c.vendor) << c.id;
        EXPECT_EQ(identity.productId, c.product) << c.id;
    }
}

namespace {

// The library function whose call shows which rescan a worker ran.
const struct {
    const wchar_t* module;
    const char* function;
} kRescans[] = {{L"libpltc_x64.dll", "PltCtrlFind"},
                {L"libtrellis_x64.dll", "TrlEnumConnectedDevices"},
                {L"libpallet_x64.dll", "PltUpdateEx"},
                {L"libbramble.dll", "BrambleEnumConnectedSerialSensors"}};

std::string rescanOf(DeviceAction action, std::uint16_t vendor, std::uint16_t product) {
    for (const auto& rescan : kRescans) mavel::test::resetCallLog(rescan.module);
    DeviceChangeNotificationRunnable(action, vendor, product).run();
    std::string ran;
    for (const auto& rescan : kRescans) {
        if (mavel::test::callCount(rescan.module, rescan.function) > 0) ran += rescan.function;
    }
    return ran;
}

// Trackers made before the cases, so that no first scan counts as a rescan.
void loadTrackedLibraries() {
    for (const auto& rescan : kRescans) LoadLibraryW(rescan.module);
    rescanOf(DeviceAction::Arrival, 0x056D, 0x8100);
    rescanOf(DeviceAction::Arrival, 0x0403, 0);
}

}  // namespace

TEST(DeviceChangeRouting, MonitorMakerProductsChooseTheRescan) {
    loadTrackedLibraries();
    const struct {
        std::uint16_t product;
        const char* rescan;
    } cases[] = {{0x4014, "PltCtrlFind"},
                 {0x0002, "PltCtrlFind"},
                 {0x000D, "TrlEnumConnectedDevices"},
                 {0x8100, "PltUpdateEx"},
                 {0x8001, ""},
                 {0xC014, ""}};
    for (const auto& c : cases) EXPECT_EQ(rescanOf(DeviceAction::Arrival, 0x056D, c.product), c.rescan) << c.product;
}

TEST(DeviceChangeRouting, OtherVendorsChooseTheRescan) {
    loadTrackedLibraries();
    const struct {
        std::uint16_t vendor;
        const char* rescan;
    } cases[] = {{0x0403, "BrambleEnumConnectedSerialSensors"},
                 {0x0670, "TrlEnumConnectedDevices"},
                 {0x24D9, "TrlEnumConnectedDevices"},
                 {0x046D, ""}};
    for (const auto& c : cases) EXPECT_EQ(rescanOf(DeviceAction::Removal, c.vendor, 0x4014), c.rescan) << c.vendor;
    EXPECT_EQ(rescanOf(DeviceAction::None, 0x0403, 0), "");
}
