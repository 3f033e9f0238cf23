// libostrel_x64.dll over the Windows API.
//
// Texts: every text getter reads Windows afresh and answers an interned
// copy (provider/text.h), valid for the life of the process. Snapshot texts
// live in their snapshot until OstrReleaseSnapshot. Snapshots are checked
// against the set of live ones, so a released or stray handle is ignored
// instead of freed twice. Everything is safe to call from several threads.

#include <windows.h>

#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "graphics.h"
#include "platform/closed_libraries.h"
#include "platform/locks.h"
#include "provider/text.h"
#include "snapshots.h"
#include "system_facts.h"

namespace {

using provider::Item;
using provider::Items;

class Snapshots {
public:
    OstrHandle add(Items items) {
        auto owned = std::make_unique<Items>(std::move(items));
        Items* const handle = owned.get();
        const std::lock_guard lock(lock_);
        live_.emplace(handle, std::move(owned));
        return handle;
    }

    OstrHandle item(OstrHandle snapshot, std::uint32_t index) const {
        const std::lock_guard lock(lock_);
        const auto found = live_.find(static_cast<Items*>(snapshot));
        if (found == live_.end() || index >= found->second->size()) return nullptr;
        return &(*found->second)[index];
    }

    void release(OstrHandle snapshot) {
        const std::lock_guard lock(lock_);
        const auto found = live_.find(static_cast<Items*>(snapshot));
        if (found != live_.end()) live_.erase(found);
    }

private:
    mutable kelto::SlimLock lock_;
    std::map<const Items*, std::unique_ptr<Items>> live_;
};

Snapshots& snapshots() {
    static Snapshots all;
    return all;
}

const char* itemText(OstrHandle item, int field) {
    return item != nullptr ? static_cast<const Item*>(item)->texts[field].c_str() : "";
}

std::int32_t itemNumber(OstrHandle item, int field) {
    return item != nullptr ? static_cast<const Item*>(item)->numbers[field] : 0;
}

// The index-th text of a list read now, "" after the last.
const char* listText(const std::vector<std::wstring>& texts, std::uint32_t index) {
    return index < texts.size() ? provider::internWide(texts[index]) : "";
}

// The card a handle names: cards are numbered from 1 in the order Windows
// lists adapters, read afresh at every call.
OstrHandle cardHandle(std::size_t index) { return reinterpret_cast<OstrHandle>(index + 1); }

std::optional<provider::GraphicsCard> card(OstrHandle handle) {
    const auto number = reinterpret_cast<std::uintptr_t>(handle);
    std::vector<provider::GraphicsCard> cards = provider::graphicsCards();
    if (number == 0 || number > cards.size()) return std::nullopt;
    return std::move(cards[number - 1]);
}

const char* cardText(OstrHandle handle, std::wstring provider::GraphicsCard::*text) {
    const auto found = card(handle);
    return found ? provider::internWide((*found).*text) : "";
}

}  // namespace

OstrHandle OstrCreateRunningProcessSnapshot(void) { return snapshots().add(provider::processItems()); }
OstrHandle OstrEnumRunningProcess(OstrHandle snapshot, std::uint32_t index) {
    return snapshots().item(snapshot, index);
}
const char* OstrGetProcessName(OstrHandle item) { return itemText(item, provider::field::kName); }
const char* OstrGetProcessCommand(OstrHandle item) { return itemText(item, provider::field::kProcessCommand); }
std::int32_t OstrGetProcessPID(OstrHandle item) { return itemNumber(item, provider::field::kProcessId); }

OstrHandle OstrCreateUSBDeviceSnapshot(void) { return snapshots().add(provider::usbDeviceItems()); }
OstrHandle OstrEnumUSBDevice(OstrHandle snapshot, std::uint32_t index) { return snapshots().item(snapshot, index); }
const char* OstrGetUSBDeviceName(OstrHandle item) { return itemText(item, provider::field::kName); }
std::int32_t OstrGetUSBDeviceVendorID(OstrHandle item) { return itemNumber(item, provider::field::kUsbVendor); }
std::int32_t OstrGetUSBDeviceProductID(OstrHandle item) { return itemNumber(item, provider::field::kUsbProduct); }
std::int32_t OstrGetUSBDeviceBcdDevice(OstrHandle item) { return itemNumber(item, provider::field::kUsbRelease); }

OstrHandle OstrCreateInstalledApplicationSnapshot(void) { return snapshots().add(provider::applicationItems()); }
OstrHandle OstrEnumInstalledApplication(OstrHandle snapshot, std::uint32_t index) {
    return snapshots().item(snapshot, index);
}
const char* OstrGetApplicationName(OstrHandle item) { return itemText(item, provider::field::kName); }

OstrHandle OstrCreateLoadedKEXTSnapshot(void) { return snapshots().add(provider::kernelDriverItems()); }
OstrHandle OstrEnumLoadedKEXT(OstrHandle snapshot, std::uint32_t index) { return snapshots().item(snapshot, index); }
const char* OstrGetKEXTName(OstrHandle item) { return itemText(item, provider::field::kName); }
const char* OstrGetKEXTVersion(OstrHandle item) { return itemText(item, provider::field::kKextVersion); }

OstrHandle OstrCreatePrinterSnapshot(void) { return snapshots().add(provider::printerItems()); }
OstrHandle OstrEnumPrinter(OstrHandle snapshot, std::uint32_t index) { return snapshots().item(snapshot, index); }
const char* OstrGetPrinterName(OstrHandle item) { return itemText(item, provider::field::kName); }
const char* OstrGetPrinterDriverName(OstrHandle item) { return itemText(item, provider::field::kPrinterDriver); }
const char* OstrGetPrinterDriverVersion(OstrHandle item) {
    return itemText(item, provider::field::kPrinterDriverVersion);
}
std::int32_t OstrGetPrinterDefault(OstrHandle item) { return itemNumber(item, provider::field::kPrinterDefault); }

OstrHandle OstrCreateCurrentApplicationWindowSnapshot(void) { return snapshots().add(provider::windowItems()); }
OstrHandle OstrEnumApplicationWindow(OstrHandle snapshot, std::uint32_t index) {
    return snapshots().item(snapshot, index);
}
const char* OstrGetApplicationWindowTitle(OstrHandle item) { return itemText(item, provider::field::kWindowTitle); }
const char* OstrGetApplicationWindowProcessName(OstrHandle item) {
    return itemText(item, provider::field::kWindowProcess);
}
const char* OstrGetApplicationWindowLocalizedName(OstrHandle item) {
    return itemText(item, provider::field::kWindowLocalizedName);
}
const char* OstrGetApplicationWindowClassName(OstrHandle item) { return itemText(item, provider::field::kWindowClass); }
std::int32_t OstrIsActiveApplicationWindow(OstrHandle item) { return itemNumber(item, provider::field::kWindowActive); }

void OstrReleaseSnapshot(OstrHandle snapshot) { snapshots().release(snapshot); }

const char* OstrGetOSName(void) { return provider::internWide(provider::osFacts().name); }
const char* OstrGetOSNameShort(void) { return provider::internWide(provider::osFacts().shortName); }
const char* OstrGetOSEdition(void) { return provider::internWide(provider::osFacts().edition); }
const char* OstrGetOSSPVersion(void) { return provider::internWide(provider::osFacts().servicePack); }
const char* OstrGetKernelVersion(void) { return provider::internWide(provider::osFacts().kernelVersion); }
const char* OstrGetBuildNumber(void) { return provider::internWide(provider::osFacts().buildNumber); }
const char* OstrGetOSReleaseID(void) { return provider::internWide(provider::osFacts().releaseId); }
std::int32_t OstrGetOSArchitecture(void) { return provider::osArchitecture(); }

const char* OstrGetLocaleName(void) { return provider::internWide(provider::localeFacts().name); }
const char* OstrGetLocaleDecimalSeparator(void) {
    return provider::internWide(provider::localeFacts().decimalSeparator);
}
const char* OstrGetLocaleThousandSeparator(void) {
    return provider::internWide(provider::localeFacts().thousandSeparator);
}
const char* OstrGetLocaleCountry(void) { return provider::internWide(provider::localeFacts().country); }
const char* OstrEnumLocaleLanguage(std::uint32_t index) { return listText(provider::preferredLanguages(), index); }

const char* OstrGetTimezoneName(void) { return provider::internWide(provider::timeZoneFacts().name); }
std::int32_t OstrGetTimezoneOffset(void) { return provider::timeZoneFacts().offsetMinutes; }

const char* OstrGetCPUName(void) { return provider::internWide(provider::cpuName()); }
const char* OstrGetCPUArchitectureName(void) { return provider::internWide(provider::cpuArchitectureName()); }

const char* OstrGetPCName(void) { return provider::internWide(provider::computerFacts().name); }
const char* OstrGetPCModelName(void) { return provider::internWide(provider::computerFacts().model); }
const char* OstrGetPCVendorName(void) { return provider::internWide(provider::computerFacts().vendor); }
const char* OstrGetPCSerialNumber(void) { return provider::internWide(provider::computerFacts().serialNumber); }
const char* OstrGetUserName(void) { return provider::internWide(provider::userName()); }
const char* OstrGetDomainName(void) { return provider::internWide(provider::domainName()); }

const char* OstrEnumIPAddress(std::int32_t family, std::uint32_t index) {
    return listText(provider::ipAddresses(family), index);
}

OstrHandle OstrEnumVGA(std::uint32_t index) {
    return index < provider::graphicsCards().size() ? cardHandle(index) : nullptr;
}
OstrHandle OstrGetVGAOfScreen(const char* screenDeviceId) {
    if (screenDeviceId == nullptr) return nullptr;
    const std::wstring display = provider::fromAnsi(screenDeviceId);
    const std::vector<provider::GraphicsCard> cards = provider::graphicsCards();
    for (std::size_t i = 0; i < cards.size(); ++i) {
        for (const std::wstring& output : cards[i].displays) {
            if (CompareStringOrdinal(output.c_str(), -1, display.c_str(), -1, TRUE) == CSTR_EQUAL) return cardHandle(i);
        }
    }
    return nullptr;
}
const char* OstrGetVGAName(OstrHandle card) { return cardText(card, &provider::GraphicsCard::name); }
const char* OstrGetVGAVendor(OstrHandle card) { return cardText(card, &provider::GraphicsCard::vendor); }
const char* OstrGetVGADriverName(OstrHandle card) { return cardText(card, &provider::GraphicsCard::driverName); }
const char* OstrGetVGADriverVersion(OstrHandle card) { return cardText(card, &provider::GraphicsCard::driverVersion); }
const char* OstrGetVGADeviceLocationID(OstrHandle card) { return cardText(card, &provider::GraphicsCard::locationId); }
std::uint32_t OstrGetVGAVRAMSize(OstrHandle handle) {
    const auto found = card(handle);
    return found ? found->vramMegabytes : 0;
}

std::int32_t OstrGetMemoryInformation(OstrMemoryInformation* record) {
    return record != nullptr && provider::memoryFacts(*record) ? 1 : 0;
}

std::int32_t OstrIsProcessRunning(const char* ansiName, std::int32_t) {
    if (ansiName == nullptr || *ansiName == '\0') return 0;
    return provider::isProcessRunning(provider::fromAnsi(ansiName)) ? 1 : 0;
}
