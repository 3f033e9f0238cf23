// Exports of the system-information stand-in libostrel_x64.dll. The minimal
// variant (STANDIN_MINIMAL) leaves out the functions that the library only
// looks up by name, as an older release of the library would.

#include <cstdint>
#include <string>
#include <string_view>

#include "model.h"
#include "standin/export.h"
#include "standin/text.h"

namespace {

using ostrel::Handle;
using ostrel::Model;
using ostrel::World;

standin::Library<Model>& library() {
    static standin::Library<Model> library("ostrel");
    return library;
}

const char* worldText(std::string_view function, std::string World::*text) {
    return library().call(function, [text](Model& model, bool failing) -> const char* {
        return failing ? "" : (model.world().*text).c_str();
    });
}

std::int32_t worldNumber(std::string_view function, std::int32_t World::*number) {
    return library().call(
        function, [number](Model& model, bool failing) -> std::int32_t { return failing ? 0 : model.world().*number; });
}

const char* listText(std::string_view function, const std::vector<std::string>* (*choose)(const World&),
                     std::uint32_t index) {
    return library().call(function, [choose, index](Model& model, bool failing) -> const char* {
        const std::vector<std::string>* texts = choose(model.world());
        if (failing || texts == nullptr || index >= texts->size()) return "";
        return (*texts)[index].c_str();
    });
}

template <typename T>
Handle snapshotOf(std::string_view function, std::vector<T> World::*source) {
    return library().call(function, [source](Model& model, bool failing) -> Handle {
        return failing ? nullptr : model.createSnapshot(model.world().*source);
    });
}

template <typename T>
Handle enumerate(std::string_view function, Handle snapshot, std::uint32_t index) {
    return library().call(function, [snapshot, index](Model& model, bool failing) -> Handle {
        return failing ? nullptr : model.enumerate<T>(snapshot, index);
    });
}

template <typename T>
const char* itemText(std::string_view function, Handle item, std::string T::*text) {
    return library().call(function, [item, text](Model& model, bool failing) -> const char* {
        const T* found = model.item<T>(item);
        return failing || found == nullptr ? "" : (found->*text).c_str();
    });
}

template <typename T, typename Value>
std::int32_t itemNumber(std::string_view function, Handle item, Value T::*value) {
    return library().call(function, [item, value](Model& model, bool failing) -> std::int32_t {
        const T* found = model.item<T>(item);
        return failing || found == nullptr ? 0 : static_cast<std::int32_t>(found->*value);
    });
}

const char* cardText(std::string_view function, Handle card, std::string ostrel::GraphicsCard::*text) {
    return library().call(function, [card, text](Model& model, bool failing) -> const char* {
        const ostrel::GraphicsCard* found = model.card(card);
        return failing || found == nullptr ? "" : (found->*text).c_str();
    });
}

}  // namespace

// Snapshots

STANDIN_EXPORT Handle OstrCreateRunningProcessSnapshot() {
    return snapshotOf("OstrCreateRunningProcessSnapshot", &World::processes);
}
STANDIN_EXPORT Handle OstrEnumRunningProcess(Handle snapshot, std::uint32_t index) {
    return enumerate<ostrel::Process>("OstrEnumRunningProcess", snapshot, index);
}
STANDIN_EXPORT const char* OstrGetProcessName(Handle item) {
    return itemText("OstrGetProcessName", item, &ostrel::Process::name);
}
STANDIN_EXPORT const char* OstrGetProcessCommand(Handle item) {
    return itemText("OstrGetProcessCommand", item, &ostrel::Process::command);
}
STANDIN_EXPORT std::int32_t OstrGetProcessPID(Handle item) {
    return itemNumber("OstrGetProcessPID", item, &ostrel::Process::pid);
}

STANDIN_EXPORT Handle OstrCreateUSBDeviceSnapshot() {
    return snapshotOf("OstrCreateUSBDeviceSnapshot", &World::usbDevices);
}
STANDIN_EXPORT Handle OstrEnumUSBDevice(Handle snapshot, std::uint32_t index) {
    return enumerate<ostrel::UsbDevice>("OstrEnumUSBDevice", snapshot, index);
}
STANDIN_EXPORT const char* OstrGetUSBDeviceName(Handle item) {
    return itemText("OstrGetUSBDeviceName", item, &ostrel::UsbDevice::name);
}
STANDIN_EXPORT std::int32_t OstrGetUSBDeviceVendorID(Handle item) {
    return itemNumber("OstrGetUSBDeviceVendorID", item, &ostrel::UsbDevice::vendorId);
}
STANDIN_EXPORT std::int32_t OstrGetUSBDeviceProductID(Handle item) {
    return itemNumber("OstrGetUSBDeviceProductID", item, &ostrel::UsbDevice::productId);
}
STANDIN_EXPORT std::int32_t OstrGetUSBDeviceBcdDevice(Handle item) {
    return itemNumber("OstrGetUSBDeviceBcdDevice", item, &ostrel::UsbDevice::bcdDevice);
}

STANDIN_EXPORT Handle OstrCreateInstalledApplicationSnapshot() {
    return snapshotOf("OstrCreateInstalledApplicationSnapshot", &World::applications);
}
STANDIN_EXPORT Handle OstrEnumInstalledApplication(Handle snapshot, std::uint32_t index) {
    return enumerate<ostrel::Application>("OstrEnumInstalledApplication", snapshot, index);
}
STANDIN_EXPORT const char* OstrGetApplicationName(Handle item) {
    return itemText("OstrGetApplicationName", item, &ostrel::Application::name);
}

STANDIN_EXPORT Handle OstrCreateLoadedKEXTSnapshot() {
    return snapshotOf("OstrCreateLoadedKEXTSnapshot", &World::kexts);
}
STANDIN_EXPORT Handle OstrEnumLoadedKEXT(Handle snapshot, std::uint32_t index) {
    return enumerate<ostrel::Kext>("OstrEnumLoadedKEXT", snapshot, index);
}
STANDIN_EXPORT const char* OstrGetKEXTName(Handle item) {
    return itemText("OstrGetKEXTName", item, &ostrel::Kext::name);
}
STANDIN_EXPORT const char* OstrGetKEXTVersion(Handle item) {
    return itemText("OstrGetKEXTVersion", item, &ostrel::Kext::version);
}

STANDIN_EXPORT Handle OstrCreatePrinterSnapshot() { return snapshotOf("OstrCreatePrinterSnapshot", &World::printers); }
STANDIN_EXPORT Handle OstrEnumPrinter(Handle snapshot, std::uint32_t index) {
    return enumerate<ostrel::Printer>("OstrEnumPrinter", snapshot, index);
}
STANDIN_EXPORT const char* OstrGetPrinterName(Handle item) {
    return itemText("OstrGetPrinterName", item, &ostrel::Printer::name);
}
STANDIN_EXPORT const char* OstrGetPrinterDriverName(Handle item) {
    return itemText("OstrGetPrinterDriverName", item, &ostrel::Printer::driverName);
}
STANDIN_EXPORT const char* OstrGetPrinterDriverVersion(Handle item) {
    return itemText("OstrGetPrinterDriverVersion", item, &ostrel::Printer::driverVersion);
}
STANDIN_EXPORT std::int32_t OstrGetPrinterDefault(Handle item) {
    return itemNumber("OstrGetPrinterDefault", item, &ostrel::Printer::isDefault);
}

#ifndef STANDIN_MINIMAL
STANDIN_EXPORT Handle OstrCreateCurrentApplicationWindowSnapshot() {
    return snapshotOf("OstrCreateCurrentApplicationWindowSnapshot", &World::windows);
}
STANDIN_EXPORT Handle OstrEnumApplicationWindow(Handle snapshot, std::uint32_t index) {
    return enumerate<ostrel::ApplicationWindow>("OstrEnumApplicationWindow", snapshot, index);
}
STANDIN_EXPORT const char* OstrGetApplicationWindowTitle(Handle item) {
    return itemText("OstrGetApplicationWindowTitle", item, &ostrel::ApplicationWindow::title);
}
STANDIN_EXPORT const char* OstrGetApplicationWindowProcessName(Handle item) {
    return itemText("OstrGetApplicationWindowProcessName", item, &ostrel::ApplicationWindow::processName);
}
STANDIN_EXPORT const char* OstrGetApplicationWindowLocalizedName(Handle item) {
    return itemText("OstrGetApplicationWindowLocalizedName", item, &ostrel::ApplicationWindow::localizedName);
}
STANDIN_EXPORT const char* OstrGetApplicationWindowClassName(Handle item) {
    return itemText("OstrGetApplicationWindowClassName", item, &ostrel::ApplicationWindow::className);
}
STANDIN_EXPORT std::int32_t OstrIsActiveApplicationWindow(Handle item) {
    return itemNumber("OstrIsActiveApplicationWindow", item, &ostrel::ApplicationWindow::active);
}
#endif

// Releasing always succeeds: the fail list cannot keep a snapshot alive.
STANDIN_EXPORT void OstrReleaseSnapshot(Handle snapshot) {
    library().call("OstrReleaseSnapshot", [snapshot](Model& model, bool) { model.release(snapshot); });
}

// Machine facts

STANDIN_EXPORT const char* OstrGetOSName() { return worldText("OstrGetOSName", &World::osName); }
STANDIN_EXPORT const char* OstrGetOSNameShort() { return worldText("OstrGetOSNameShort", &World::osShortName); }
STANDIN_EXPORT const char* OstrGetOSEdition() { return worldText("OstrGetOSEdition", &World::osEdition); }
STANDIN_EXPORT const char* OstrGetOSSPVersion() { return worldText("OstrGetOSSPVersion", &World::osServicePack); }
STANDIN_EXPORT const char* OstrGetKernelVersion() { return worldText("OstrGetKernelVersion", &World::kernelVersion); }
STANDIN_EXPORT const char* OstrGetBuildNumber() { return worldText("OstrGetBuildNumber", &World::buildNumber); }
STANDIN_EXPORT const char* OstrGetLocaleName() { return worldText("OstrGetLocaleName", &World::localeName); }
STANDIN_EXPORT const char* OstrGetLocaleDecimalSeparator() {
    return worldText("OstrGetLocaleDecimalSeparator", &World::decimalSeparator);
}
STANDIN_EXPORT const char* OstrGetLocaleThousandSeparator() {
    return worldText("OstrGetLocaleThousandSeparator", &World::thousandSeparator);
}
STANDIN_EXPORT const char* OstrGetTimezoneName() { return worldText("OstrGetTimezoneName", &World::timezoneName); }
STANDIN_EXPORT const char* OstrGetCPUName() { return worldText("OstrGetCPUName", &World::cpuName); }
STANDIN_EXPORT const char* OstrGetCPUArchitectureName() {
    return worldText("OstrGetCPUArchitectureName", &World::cpuArchitecture);
}
STANDIN_EXPORT const char* OstrGetPCName() { return worldText("OstrGetPCName", &World::pcName); }
STANDIN_EXPORT const char* OstrGetPCModelName() { return worldText("OstrGetPCModelName", &World::pcModel); }
STANDIN_EXPORT const char* OstrGetPCVendorName() { return worldText("OstrGetPCVendorName", &World::pcVendor); }
STANDIN_EXPORT const char* OstrGetPCSerialNumber() { return worldText("OstrGetPCSerialNumber", &World::pcSerial); }

#ifndef STANDIN_MINIMAL
STANDIN_EXPORT const char* OstrGetOSReleaseID() { return worldText("OstrGetOSReleaseID", &World::osReleaseId); }
STANDIN_EXPORT const char* OstrGetLocaleCountry() { return worldText("OstrGetLocaleCountry", &World::localeCountry); }
STANDIN_EXPORT const char* OstrGetUserName() { return worldText("OstrGetUserName", &World::userName); }
STANDIN_EXPORT const char* OstrGetDomainName() { return worldText("OstrGetDomainName", &World::domainName); }
#endif

STANDIN_EXPORT std::int32_t OstrGetOSArchitecture() {
    return worldNumber("OstrGetOSArchitecture", &World::osArchitecture);
}
STANDIN_EXPORT std::int32_t OstrGetTimezoneOffset() {
    return worldNumber("OstrGetTimezoneOffset", &World::timezoneOffset);
}

STANDIN_EXPORT const char* OstrEnumLocaleLanguage(std::uint32_t index) {
    return listText(
        "OstrEnumLocaleLanguage", [](const World& world) { return &world.languages; }, index);
}

STANDIN_EXPORT const char* OstrEnumIPAddress(std::int32_t family, std::uint32_t index) {
    // Family 1 is IPv4, 2 IPv6; any other family lists nothing.
    if (family == 1)
        return listText(
            "OstrEnumIPAddress", [](const World& world) { return &world.ipv4; }, index);
    if (family == 2)
        return listText(
            "OstrEnumIPAddress", [](const World& world) { return &world.ipv6; }, index);
    return listText(
        "OstrEnumIPAddress", [](const World&) -> const std::vector<std::string>* { return nullptr; }, index);
}

// Graphics cards

STANDIN_EXPORT Handle OstrEnumVGA(std::uint32_t index) {
    return library().call("OstrEnumVGA", [index](Model& model, bool failing) -> Handle {
        return failing ? nullptr : model.cardAt(index);
    });
}

STANDIN_EXPORT Handle OstrGetVGAOfScreen(const char* screenDeviceId) {
    return library().call("OstrGetVGAOfScreen", [screenDeviceId](Model& model, bool failing) -> Handle {
        return failing || screenDeviceId == nullptr ? nullptr : model.cardOfScreen(screenDeviceId);
    });
}

STANDIN_EXPORT const char* OstrGetVGAName(Handle card) {
    return cardText("OstrGetVGAName", card, &ostrel::GraphicsCard::name);
}
STANDIN_EXPORT const char* OstrGetVGAVendor(Handle card) {
    return cardText("OstrGetVGAVendor", card, &ostrel::GraphicsCard::vendor);
}
STANDIN_EXPORT const char* OstrGetVGADriverName(Handle card) {
    return cardText("OstrGetVGADriverName", card, &ostrel::GraphicsCard::driverName);
}
STANDIN_EXPORT const char* OstrGetVGADriverVersion(Handle card) {
    return cardText("OstrGetVGADriverVersion", card, &ostrel::GraphicsCard::driverVersion);
}
#ifndef STANDIN_MINIMAL
STANDIN_EXPORT const char* OstrGetVGADeviceLocationID(Handle card) {
    return cardText("OstrGetVGADeviceLocationID", card, &ostrel::GraphicsCard::deviceLocationId);
}
#endif

STANDIN_EXPORT std::uint32_t OstrGetVGAVRAMSize(Handle card) {
    return library().call("OstrGetVGAVRAMSize", [card](Model& model, bool failing) -> std::uint32_t {
        const ostrel::GraphicsCard* found = model.card(card);
        return failing || found == nullptr ? 0 : found->vram;
    });
}

// Memory and processes

STANDIN_EXPORT std::int32_t OstrGetMemoryInformation(OstrMemoryInformation* record) {
    return library().call("OstrGetMemoryInformation", [record](Model& model, bool failing) -> std::int32_t {
        if (failing || record == nullptr) return 0;
        *record = model.world().memory;
        return 1;
    });
}

#ifndef STANDIN_MINIMAL
STANDIN_EXPORT std::int32_t OstrIsProcessRunning(const char* ansiName, std::int32_t /*flags*/) {
    return library().call("OstrIsProcessRunning", [ansiName](Model& model, bool failing) -> std::int32_t {
        if (failing || ansiName == nullptr) return 0;
        for (const ostrel::Process& process : model.world().processes) {
            if (standin::equalsIgnoringCase(process.name, ansiName)) return 1;
        }
        return 0;
    });
}
#endif

// Control

STANDIN_CONTROL_EXPORTS(library())

STANDIN_EXPORT std::int32_t OstrStandinLiveSnapshots() {
    return library().control([](Model& model) { return model.liveSnapshots(); });
}
