// Every stand-in exports exactly its share of the binary interface plus the
// control API: nothing of the statically linked runtime may leak, and each
// variant must lack precisely its optional functions.

#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "standin_test_support.h"

namespace {

using Names = std::set<std::string>;

const Names kControl = {"StandinLoadWorld", "StandinCallLog", "StandinResetCallLog", "StandinCallCount"};

struct Expectation {
    const char* label;
    const wchar_t* file;
    Names required;
    Names optional;  // absent from the minimal variant
    Names extraControl;
};

// Test names and failure messages show the library, not the bytes.
void PrintTo(const Expectation& expectation, std::ostream* out) { *out << expectation.label; }

Names join(std::initializer_list<const Names*> parts) {
    Names all;
    for (const Names* part : parts) all.insert(part->begin(), part->end());
    return all;
}

std::vector<Expectation> expectations() {
    return {
        {"ostrel",
         L"libostrel_x64.dll",
         {"OstrCreateRunningProcessSnapshot", "OstrEnumRunningProcess", "OstrGetProcessName", "OstrGetProcessCommand",
          "OstrGetProcessPID", "OstrCreateUSBDeviceSnapshot", "OstrEnumUSBDevice", "OstrGetUSBDeviceName",
          "OstrGetUSBDeviceVendorID", "OstrGetUSBDeviceProductID", "OstrGetUSBDeviceBcdDevice",
          "OstrCreateInstalledApplicationSnapshot", "OstrEnumInstalledApplication", "OstrGetApplicationName",
          "OstrCreateLoadedKEXTSnapshot", "OstrEnumLoadedKEXT", "OstrGetKEXTName", "OstrGetKEXTVersion",
          "OstrCreatePrinterSnapshot", "OstrEnumPrinter", "OstrGetPrinterName", "OstrGetPrinterDriverName",
          "OstrGetPrinterDriverVersion", "OstrGetPrinterDefault", "OstrReleaseSnapshot", "OstrGetOSName",
          "OstrGetOSNameShort", "OstrGetOSEdition", "OstrGetOSSPVersion", "OstrGetKernelVersion",
          "OstrGetBuildNumber", "OstrGetLocaleName", "OstrGetLocaleDecimalSeparator",
          "OstrGetLocaleThousandSeparator", "OstrGetTimezoneName", "OstrGetCPUName", "OstrGetCPUArchitectureName",
          "OstrGetPCName", "OstrGetPCModelName", "OstrGetPCVendorName", "OstrGetPCSerialNumber",
          "OstrGetOSArchitecture", "OstrGetTimezoneOffset", "OstrEnumLocaleLanguage", "OstrEnumIPAddress",
          "OstrEnumVGA", "OstrGetVGAOfScreen", "OstrGetVGAName", "OstrGetVGAVendor", "OstrGetVGADriverName",
          "OstrGetVGADriverVersion", "OstrGetVGAVRAMSize", "OstrGetMemoryInformation"},
         {"OstrCreateCurrentApplicationWindowSnapshot", "OstrEnumApplicationWindow", "OstrGetApplicationWindowTitle",
          "OstrGetApplicationWindowProcessName", "OstrGetApplicationWindowLocalizedName",
          "OstrGetApplicationWindowClassName", "OstrIsActiveApplicationWindow", "OstrGetOSReleaseID",
          "OstrGetLocaleCountry", "OstrGetUserName", "OstrGetDomainName", "OstrGetVGADeviceLocationID",
          "OstrIsProcessRunning"},
         {"OstrStandinLiveSnapshots"}},
        {"carvel2",
         L"libcarvel2_x64.dll",
         {"CrvFindScreens", "CrvReleaseScreens", "CrvGetScreenCount", "CrvGetScreenAtIndex",
          "CrvGetScreenCountForMonitor", "CrvGetScreenForMonitorAtIndex", "CrvPointMake", "CrvGetScreenCountForPoint",
          "CrvGetScreenForPointAtIndex", "CrvGetScreenBounds", "CrvGetScreenColorDepth", "CrvGetScreenRotation",
          "CrvGetScreenRefreshRate", "CrvGetScreenScale", "CrvGetScreenRenderingSize", "CrvSizeMake",
          "CrvIsScreenPrimary", "CrvIsScreenMirroring", "CrvSupportsScreenProfile",
          "CrvSupportsScreenGraphicsCardGamma", "CrvGetScreenEdid", "CrvIsEdidTavroMonitor", "CrvGetEdidManufacturer",
          "CrvGetEdidProductName", "CrvGetEdidSerialNumber", "CrvGetEdidPreferredResolution",
          "CrvGetEdidChromaticity", "CrvGetScreenProfile", "CrvSetScreenProfile", "CrvGetScreenGraphicsCardGamma",
          "CrvSetScreenGraphicsCardGamma", "CrvGetWindowsScreenDeviceId"},
         {"CrvGetScreenPixelRatio", "CrvGetEdidManufactureYear"},
         {}},
        {"pltc",
         L"libpltc_x64.dll",
         {"PltCtrlFind", "PltCtrlGetNumMonitors", "PltCtrlGetSerialProduct", "PltCtrlGetHIDHandle"},
         {},
         {}},
        {"pallet", L"libpallet_x64.dll", {"PltUpdateEx", "PltGetFixedData", "PltGetFeatureArray"}, {"PltRetrieveEx"}, {}},
        {"bramble",
         L"libbramble.dll",
         {"BrambleLockSensors", "BrambleUnlockSensors", "BramblePreUpdateBuiltInSensorHandle",
          "BrambleUpdateBuiltInSensorHandle"},
         {"BrambleGetHandleForHIDHandle", "BrambleGetHandleForDeviceID", "BrambleRemoveSensor",
          "BrambleEnumConnectedSerialSensors"},
         {"BrambleStandinState"}},
        {"trellis", L"libtrellis_x64.dll", {"TrlEnumConnectedDevices"}, {}, {}},
        {"harbor", L"libHarbor_x64.dll", {"Hrb_GetRegistryExportsPath"}, {}, {}},
        {"quillon",
         L"libquillon2_x64.dll",
         {"quillon_get_logger", "quillon_log"},
         {},
         {"QuillonStandinLines", "QuillonStandinClear"}},
    };
}

Names exported(const standin_test::Module& module) {
    const std::vector<std::string> names = module.exportNames();
    return {names.begin(), names.end()};
}

class StandinExports : public ::testing::TestWithParam<Expectation> {};

TEST_P(StandinExports, FullVariantExportsTheWholeInterfaceAndNothingElse) {
    const Expectation& e = GetParam();
    EXPECT_EQ(exported(standin_test::Module::full(e.file)),
              join({&e.required, &e.optional, &kControl, &e.extraControl}));
}

TEST_P(StandinExports, MinimalVariantLacksExactlyTheOptionalFunctions) {
    const Expectation& e = GetParam();
    EXPECT_EQ(exported(standin_test::Module::minimal(e.file)), join({&e.required, &kControl, &e.extraControl}));
}

INSTANTIATE_TEST_SUITE_P(AllLibraries, StandinExports, ::testing::ValuesIn(expectations()),
                         [](const ::testing::TestParamInfo<Expectation>& info) { return info.param.label; });

}  // namespace
