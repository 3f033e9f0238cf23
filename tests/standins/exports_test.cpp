// Every stand-in exports exactly its share of the binary interface plus the
// control API: nothing of the statically linked runtime may leak, and the
// minimal variant must lack precisely the optional functions.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "standin_test_support.h"

namespace {

using Names = std::set<std::string>;

struct Library {
    const wchar_t* file;
    Names always;    // in both variants, beside the control API
    Names optional;  // absent from the minimal variant
};

const Library kLibraries[] = {
    {L"libostrel_x64.dll",
     {"OstrCreateRunningProcessSnapshot",
      "OstrEnumRunningProcess",
      "OstrGetProcessName",
      "OstrGetProcessCommand",
      "OstrGetProcessPID",
      "OstrCreateUSBDeviceSnapshot",
      "OstrEnumUSBDevice",
      "OstrGetUSBDeviceName",
      "OstrGetUSBDeviceVendorID",
      "OstrGetUSBDeviceProductID",
      "OstrGetUSBDeviceBcdDevice",
      "OstrCreateInstalledApplicationSnapshot",
      "OstrEnumInstalledApplication",
      "OstrGetApplicationName",
      "OstrCreateLoadedKEXTSnapshot",
      "OstrEnumLoadedKEXT",
      "OstrGetKEXTName",
      "OstrGetKEXTVersion",
      "OstrCreatePrinterSnapshot",
      "OstrEnumPrinter",
      "OstrGetPrinterName",
      "OstrGetPrinterDriverName",
      "OstrGetPrinterDriverVersion",
      "OstrGetPrinterDefault",
      "OstrReleaseSnapshot",
      "OstrGetOSName",
      "OstrGetOSNameShort",
      "OstrGetOSEdition",
      "OstrGetOSSPVersion",
      "OstrGetKernelVersion",
      "OstrGetBuildNumber",
      "OstrGetLocaleName",
      "OstrGetLocaleDecimalSeparator",
      "OstrGetLocaleThousandSeparator",
      "OstrGetTimezoneName",
      "OstrGetCPUName",
      "OstrGetCPUArchitectureName",
      "OstrGetPCName",
      "OstrGetPCModelName",
      "OstrGetPCVendorName",
      "OstrGetPCSerialNumber",
      "OstrGetOSArchitecture",
      "OstrGetTimezoneOffset",
      "OstrEnumLocaleLanguage",
      "OstrEnumIPAddress",
      "OstrEnumVGA",
      "OstrGetVGAOfScreen",
      "OstrGetVGAName",
      "OstrGetVGAVendor",
      "OstrGetVGADriverName",
      "OstrGetVGADriverVersion",
      "OstrGetVGAVRAMSize",
      "OstrGetMemoryInformation",
      "OstrStandinLiveSnapshots"},
     {"OstrCreateCurrentApplicationWindowSnapshot", "OstrEnumApplicationWindow", "OstrGetApplicationWindowTitle",
      "OstrGetApplicationWindowProcessName", "OstrGetApplicationWindowLocalizedName",
      "OstrGetApplicationWindowClassName", "OstrIsActiveApplicationWindow", "OstrGetOSReleaseID",
      "OstrGetLocaleCountry", "OstrGetUserName", "OstrGetDomainName", "OstrGetVGADeviceLocationID",
      "OstrIsProcessRunning"}},
    {L"libcarvel2_x64.dll",
     {"CrvFindScreens",
      "CrvReleaseScreens",
      "CrvGetScreenCount",
      "CrvGetScreenAtIndex",
      "CrvGetScreenCountForMonitor",
      "CrvGetScreenForMonitorAtIndex",
      "CrvPointMake",
      "CrvGetScreenCountForPoint",
      "CrvGetScreenForPointAtIndex",
      "CrvGetScreenBounds",
      "CrvGetScreenColorDepth",
      "CrvGetScreenRotation",
      "CrvGetScreenRefreshRate",
      "CrvGetScreenScale",
      "CrvGetScreenRenderingSize",
      "CrvSizeMake",
      "CrvIsScreenPrimary",
      "CrvIsScreenMirroring",
      "CrvSupportsScreenProfile",
      "CrvSupportsScreenGraphicsCardGamma",
      "CrvGetScreenEdid",
      "CrvIsEdidTavroMonitor",
      "CrvGetEdidManufacturer",
      "CrvGetEdidProductName",
      "CrvGetEdidSerialNumber",
      "CrvGetEdidPreferredResolution",
      "CrvGetEdidChromaticity",
      "CrvGetScreenProfile",
      "CrvSetScreenProfile",
      "CrvGetScreenGraphicsCardGamma",
      "CrvSetScreenGraphicsCardGamma",
      "CrvGetWindowsScreenDeviceId"},
     {"CrvGetScreenPixelRatio", "CrvGetEdidManufactureYear"}},
    {L"libpltc_x64.dll",
     {"PltCtrlFind", "PltCtrlGetNumMonitors", "PltCtrlGetSerialProduct", "PltCtrlGetHIDHandle"},
     {}},
    {L"libpallet_x64.dll", {"PltUpdateEx", "PltGetFixedData", "PltGetFeatureArray"}, {"PltRetrieveEx"}},
    {L"libbramble.dll",
     {"BrambleLockSensors", "BrambleUnlockSensors", "BramblePreUpdateBuiltInSensorHandle",
      "BrambleUpdateBuiltInSensorHandle", "BrambleStandinState"},
     {"BrambleGetHandleForHIDHandle", "BrambleGetHandleForDeviceID", "BrambleRemoveSensor",
      "BrambleEnumConnectedSerialSensors"}},
    {L"libtrellis_x64.dll", {"TrlEnumConnectedDevices"}, {}},
    {L"libHarbor_x64.dll", {"Hrb_GetRegistryExportsPath"}, {}},
    {L"libquillon2_x64.dll", {"quillon_get_logger", "quillon_log", "QuillonStandinLines", "QuillonStandinClear"}, {}},
    {L"cfgmgr32.dll",
     {"CM_Register_Notification", "CM_Unregister_Notification", "CM_Get_Device_Interface_PropertyW",
      "Cfgmgr32StandinFire", "Cfgmgr32StandinRegistrationCount", "Cfgmgr32StandinUnregisterCount",
      "Cfgmgr32StandinLastFilter", "Cfgmgr32StandinFailRegistrations"},
     {}},
};

TEST(StandinExports, EachVariantExportsItsInterfaceAndTheControlApiAndNothingElse) {
    for (const Library& library : kLibraries) {
        SCOPED_TRACE(library.file);
        Names expected = library.always;
        expected.insert({"StandinLoadWorld", "StandinWorld", "StandinCallLog", "StandinResetCallLog",
                         "StandinCallCount", "StandinCallSequence", "StandinTimeCalls", "StandinTicksInside"});
        {
            const kelto::UniqueModule minimal = standin_test::loadStandin(library.file, true);
            ASSERT_TRUE(minimal);
            EXPECT_EQ(mavel::test::exportedNames(minimal.get()), expected);
        }
        expected.insert(library.optional.begin(), library.optional.end());
        const kelto::UniqueModule full = standin_test::loadStandin(library.file);
        ASSERT_TRUE(full);
        EXPECT_EQ(mavel::test::exportedNames(full.get()), expected);
    }
}

}  // namespace
