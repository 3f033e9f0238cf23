#pragma once
// System-information library libostrel_x64.dll. Its texts are ANSI code-page
// texts owned by the library; copy them at once. The functions in ostrel::rt
// are not imported: they are looked up by name in the copy held by
// kelto::ostrelLoader, so an older library without them still loads.

#include "platform/closed_libraries.h"
#include "platform/dynamic_library.h"

namespace ostrel::rt {
inline constexpr ExportedFunction<decltype(OstrGetOSReleaseID)> getOSReleaseID{"OstrGetOSReleaseID"};
inline constexpr ExportedFunction<decltype(OstrGetLocaleCountry)> getLocaleCountry{"OstrGetLocaleCountry"};
inline constexpr ExportedFunction<decltype(OstrGetUserName)> getUserName{"OstrGetUserName"};
inline constexpr ExportedFunction<decltype(OstrGetDomainName)> getDomainName{"OstrGetDomainName"};
inline constexpr ExportedFunction<decltype(OstrGetVGADeviceLocationID)> getVGADeviceLocationID{
    "OstrGetVGADeviceLocationID"};
inline constexpr ExportedFunction<decltype(OstrIsProcessRunning)> isProcessRunning{"OstrIsProcessRunning"};
inline constexpr ExportedFunction<decltype(OstrCreateCurrentApplicationWindowSnapshot)>
    createCurrentApplicationWindowSnapshot{"OstrCreateCurrentApplicationWindowSnapshot"};
inline constexpr ExportedFunction<decltype(OstrEnumApplicationWindow)> enumApplicationWindow{
    "OstrEnumApplicationWindow"};
inline constexpr ExportedFunction<decltype(OstrGetApplicationWindowTitle)> getApplicationWindowTitle{
    "OstrGetApplicationWindowTitle"};
inline constexpr ExportedFunction<decltype(OstrGetApplicationWindowProcessName)> getApplicationWindowProcessName{
    "OstrGetApplicationWindowProcessName"};
inline constexpr ExportedFunction<decltype(OstrGetApplicationWindowLocalizedName)> getApplicationWindowLocalizedName{
    "OstrGetApplicationWindowLocalizedName"};
inline constexpr ExportedFunction<decltype(OstrGetApplicationWindowClassName)> getApplicationWindowClassName{
    "OstrGetApplicationWindowClassName"};
inline constexpr ExportedFunction<decltype(OstrIsActiveApplicationWindow)> isActiveApplicationWindow{
    "OstrIsActiveApplicationWindow"};

}  // namespace ostrel::rt
