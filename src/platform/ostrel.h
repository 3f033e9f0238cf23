#pragma once
// System-information library libostrel_x64.dll. Its texts are ANSI code-page
// texts owned by the library; copy them at once. The functions in ostrel::rt
// are not imported: they are looked up by name in the copy held by
// kelto::ostrelLoader, so an older library without them still loads.

#include <cstdint>

#include "platform/dynamic_library.h"

extern "C" {

typedef void* OstrHandle;
struct OstrMemoryInformation {
    std::uint32_t total;
    std::uint32_t available;
    double usage;
};

#define OSTREL_IMPORT __declspec(dllimport)

OSTREL_IMPORT OstrHandle OstrCreateRunningProcessSnapshot(void);
OSTREL_IMPORT OstrHandle OstrEnumRunningProcess(OstrHandle snapshot, std::uint32_t index);
OSTREL_IMPORT const char* OstrGetProcessName(OstrHandle item);
OSTREL_IMPORT const char* OstrGetProcessCommand(OstrHandle item);
OSTREL_IMPORT std::int32_t OstrGetProcessPID(OstrHandle item);

OSTREL_IMPORT OstrHandle OstrCreateUSBDeviceSnapshot(void);
OSTREL_IMPORT OstrHandle OstrEnumUSBDevice(OstrHandle snapshot, std::uint32_t index);
OSTREL_IMPORT const char* OstrGetUSBDeviceName(OstrHandle item);
OSTREL_IMPORT std::int32_t OstrGetUSBDeviceVendorID(OstrHandle item);
OSTREL_IMPORT std::int32_t OstrGetUSBDeviceProductID(OstrHandle item);
OSTREL_IMPORT std::int32_t OstrGetUSBDeviceBcdDevice(OstrHandle item);

OSTREL_IMPORT OstrHandle OstrCreateInstalledApplicationSnapshot(void);
OSTREL_IMPORT OstrHandle OstrEnumInstalledApplication(OstrHandle snapshot, std::uint32_t index);
OSTREL_IMPORT const char* OstrGetApplicationName(OstrHandle item);

OSTREL_IMPORT OstrHandle OstrCreateLoadedKEXTSnapshot(void);
OSTREL_IMPORT OstrHandle OstrEnumLoadedKEXT(OstrHandle snapshot, std::uint32_t index);
OSTREL_IMPORT const char* OstrGetKEXTName(OstrHandle item);
OSTREL_IMPORT const char* OstrGetKEXTVersion(OstrHandle item);

OSTREL_IMPORT OstrHandle OstrCreatePrinterSnapshot(void);
OSTREL_IMPORT OstrHandle OstrEnumPrinter(OstrHandle snapshot, std::uint32_t index);
OSTREL_IMPORT const char* OstrGetPrinterName(OstrHandle item);
OSTREL_IMPORT const char* OstrGetPrinterDriverName(OstrHandle item);
OSTREL_IMPORT const char* OstrGetPrinterDriverVersion(OstrHandle item);
OSTREL_IMPORT std::int32_t OstrGetPrinterDefault(OstrHandle item);

OSTREL_IMPORT void OstrReleaseSnapshot(OstrHandle snapshot);

OSTREL_IMPORT const char* OstrGetOSName(void);
OSTREL_IMPORT const char* OstrGetOSNameShort(void);
OSTREL_IMPORT const char* OstrGetOSEdition(void);
OSTREL_IMPORT const char* OstrGetOSSPVersion(void);
OSTREL_IMPORT const char* OstrGetKernelVersion(void);
OSTREL_IMPORT const char* OstrGetBuildNumber(void);
OSTREL_IMPORT const char* OstrGetLocaleName(void);
OSTREL_IMPORT const char* OstrGetLocaleDecimalSeparator(void);
OSTREL_IMPORT const char* OstrGetLocaleThousandSeparator(void);
OSTREL_IMPORT const char* OstrGetTimezoneName(void);
OSTREL_IMPORT const char* OstrGetCPUName(void);
OSTREL_IMPORT const char* OstrGetCPUArchitectureName(void);
OSTREL_IMPORT const char* OstrGetPCName(void);
OSTREL_IMPORT const char* OstrGetPCModelName(void);
OSTREL_IMPORT const char* OstrGetPCVendorName(void);
OSTREL_IMPORT const char* OstrGetPCSerialNumber(void);
OSTREL_IMPORT std::int32_t OstrGetOSArchitecture(void);
OSTREL_IMPORT std::int32_t OstrGetTimezoneOffset(void);

OSTREL_IMPORT const char* OstrEnumLocaleLanguage(std::uint32_t index);
OSTREL_IMPORT const char* OstrEnumIPAddress(std::int32_t family, std::uint32_t index);

OSTREL_IMPORT OstrHandle OstrEnumVGA(std::uint32_t index);
OSTREL_IMPORT OstrHandle OstrGetVGAOfScreen(const char* screenDeviceId);
OSTREL_IMPORT const char* OstrGetVGAName(OstrHandle card);
OSTREL_IMPORT const char* OstrGetVGAVendor(OstrHandle card);
OSTREL_IMPORT const char* OstrGetVGADriverName(OstrHandle card);
OSTREL_IMPORT const char* OstrGetVGADriverVersion(OstrHandle card);
OSTREL_IMPORT std::uint32_t OstrGetVGAVRAMSize(OstrHandle card);

OSTREL_IMPORT std::int32_t OstrGetMemoryInformation(OstrMemoryInformation* record);

#undef OSTREL_IMPORT

}  // extern "C"

namespace ostrel::rt {

inline constexpr ExportedFunction<const char*()> getOSReleaseID{"OstrGetOSReleaseID"};
inline constexpr ExportedFunction<const char*()> getLocaleCountry{"OstrGetLocaleCountry"};
inline constexpr ExportedFunction<const char*()> getUserName{"OstrGetUserName"};
inline constexpr ExportedFunction<const char*()> getDomainName{"OstrGetDomainName"};
inline constexpr ExportedFunction<const char*(OstrHandle)> getVGADeviceLocationID{"OstrGetVGADeviceLocationID"};
inline constexpr ExportedFunction<std::int32_t(const char*, std::int32_t)> isProcessRunning{"OstrIsProcessRunning"};

inline constexpr ExportedFunction<OstrHandle()> createCurrentApplicationWindowSnapshot{
    "OstrCreateCurrentApplicationWindowSnapshot"};
inline constexpr ExportedFunction<OstrHandle(OstrHandle, std::uint32_t)> enumApplicationWindow{
    "OstrEnumApplicationWindow"};
inline constexpr ExportedFunction<const char*(OstrHandle)> getApplicationWindowTitle{"OstrGetApplicationWindowTitle"};
inline constexpr ExportedFunction<const char*(OstrHandle)> getApplicationWindowProcessName{
    "OstrGetApplicationWindowProcessName"};
inline constexpr ExportedFunction<const char*(OstrHandle)> getApplicationWindowLocalizedName{
    "OstrGetApplicationWindowLocalizedName"};
inline constexpr ExportedFunction<const char*(OstrHandle)> getApplicationWindowClassName{
    "OstrGetApplicationWindowClassName"};
inline constexpr ExportedFunction<std::int32_t(OstrHandle)> isActiveApplicationWindow{
    "OstrIsActiveApplicationWindow"};

}  // namespace ostrel::rt
