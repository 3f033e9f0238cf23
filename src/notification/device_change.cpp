#include "notification/device_change.h"

#include <windows.h>
#include <cfgmgr32.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <locale>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <utility>

#include "notification/lighting_tracker.h"
#include "notification/monitor_tracker.h"
#include "notification/sensor_tracker.h"
#include "platform/detached_thread.h"
#include "platform/dynamic_library.h"
#include "platform/handle_owner.h"
#include "platform/locks.h"
#include "platform/logger.h"
#include "platform/path.h"

namespace kelto::notification {

namespace {

// A missing function counts as a failed registration.
using RegisterNotification = CONFIGRET(PCM_NOTIFY_FILTER, PVOID, PCM_NOTIFY_CALLBACK, PHCMNOTIFICATION);
using UnregisterNotification = CONFIGRET(HCMNOTIFICATION);
using GetInterfaceProperty = CONFIGRET(LPCWSTR, const DEVPROPKEY*, DEVPROPTYPE*, PBYTE, PULONG, ULONG);
constexpr ExportedFunction<RegisterNotification> kRegisterNotification{"CM_Register_Notification"};
constexpr ExportedFunction<UnregisterNotification> kUnregisterNotification{"CM_Unregister_Notification"};
constexpr ExportedFunction<GetInterfaceProperty> kGetInterfaceProperty{"CM_Get_Device_Interface_PropertyW"};

constexpr GUID kUsbDeviceInterface = {0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};
constexpr DEVPROPKEY kInstanceIdKey = {{0x78C34FC8, 0x104A, 0x4ACA, {0x9E, 0xA4, 0x52, 0x4D, 0x52, 0x99, 0x6E, 0x57}},
                                       256};
static_assert(sizeof(CM_NOTIFY_FILTER) == 416);

// Written by request threads and TearDown only; the lock keeps two of them
// from tearing the handle.
kelto::SlimLock notificationLock;
HCMNOTIFICATION notificationHandle = nullptr;
// A live registration calls into this module from a system thread at any
// time, so it keeps the module loaded until it is cancelled. Releasing it in
// the library's own destruction instead could never happen: that destruction
// waits for the last reference. So a host that unloads without TearDown or
// DELETE keeps the library mapped and its device events flowing, which is
// safe; the alternative is a callback into unmapped code.
UniqueModule registrationReference;

constexpr DWORD kSettleMs = 300;
constexpr std::uint16_t kMonitorVendor = 0x056D;
constexpr std::uint16_t kSerialSensorVendor = 0x0403;
constexpr std::uint16_t kSensorVendors[] = {0x0670, 0x0686, 0x0765, 0x085C, 0x0971, 0x0C49, 0x132B, 0x1742, 0x24D9};

std::string instanceIdOf(const CM_NOTIFY_EVENT_DATA& data) {
    wchar_t id[200] = {};
    ULONG size = sizeof id;
    DEVPROPTYPE type = 0;
    if (auto read = ConfigurationManagerLoader::instance().find(kGetInterfaceProperty)) {
        read(data.u.DeviceInterface.SymbolicLink, &kInstanceIdKey, &type, reinterpret_cast<PBYTE>(id), &size, 0);
    }
    // Whatever the call did, the text ends inside the buffer.
    id[std::size(id) - 1] = L'\0';
    std::string text = fs::toUtf8(id);
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

// The four characters after tag, read as hexadecimal stream input reads an
// unsigned 16-bit number: leading digits count, none read as 0.
std::uint16_t hexAfter(const std::string& id, const char* tag) {
    const std::size_t at = id.find(tag);
    if (at == std::string::npos || id.size() < at + 8) return 0;
    std::istringstream digits(id.substr(at + 4, 4));
    digits.imbue(std::locale::classic());
    unsigned short number = 0;
    digits >> std::hex >> number;
    return number;
}

DWORD CALLBACK deviceChangeCallback(HCMNOTIFICATION, PVOID, CM_NOTIFY_ACTION action, PCM_NOTIFY_EVENT_DATA data,
                                    DWORD) noexcept {
    DeviceAction change = DeviceAction::None;
    if (action == CM_NOTIFY_ACTION_DEVICEINTERFACEARRIVAL) change = DeviceAction::Arrival;
    if (action == CM_NOTIFY_ACTION_DEVICEINTERFACEREMOVAL) change = DeviceAction::Removal;
    if (change == DeviceAction::None || data == nullptr) return ERROR_SUCCESS;
    try {
        const std::string id = instanceIdOf(*data);
        MavelLogger::instance().log(kLogLevelInfo,
                                    (change == DeviceAction::Arrival ? "Add device " : "Remove device ") + id);
        const UsbIdentity usb = usbIdentity(id);
        auto runnable = std::make_unique<DeviceChangeNotificationRunnable>(change, usb.vendorId, usb.productId);
        startDetached([runnable = std::move(runnable)] { runnable->run(); });
    } catch (...) {
        // No thread or no memory: this notification brings no rescan.
    }
    return ERROR_SUCCESS;
}

void sendMonitorChanges() {
    std::vector<DeviceRecord> added, removed;
    MonitorTracker::instance().update(&added, &removed);
    dispatchChangeEvent("monitorChanged", added, removed);
}

void sendLightingChanges() {
    std::vector<DeviceRecord> added, removed;
    LightingEquipmentTracker::instance().update(&added, &removed);
    dispatchChangeEvent("lightingEquipmentChanged", added, removed);
}

void sendSerialSensorChanges() {
    std::vector<SensorRecord> added, removed;
    SensorTracker::instance().updateSerial(&added, &removed);
    dispatchChangeEvent("serialSensorChanged", added, removed);
}

// The monitor maker's devices take longer to settle; their product tells
// controllers, sensors and lighting equipment apart.
void rescanMonitorMakerDevice(std::uint16_t productId) {
    Sleep(kSettleMs);
    if ((productId & 0xC000) == 0x4000 || productId == 0x0002) {
        sendMonitorChanges();
    } else if (productId == 0x8000 || productId == 0x000D) {
        refreshSensors();
    } else if (productId == 0x8100) {
        sendLightingChanges();
    }
}

}  // namespace

UsbIdentity usbIdentity(const std::string& instanceId) {
    return {hexAfter(instanceId, "VID_"), hexAfter(instanceId, "PID_")};
}

void DeviceChangeNotificationRunnable::run() {
    Sleep(kSettleMs);
    if (action_ == DeviceAction::None) return;
    try {
        if (vendorId_ == kMonitorVendor) {
            rescanMonitorMakerDevice(productId_);
        } else if (vendorId_ == kSerialSensorVendor) {
            sendSerialSensorChanges();
        } else if (std::find(std::begin(kSensorVendors), std::end(kSensorVendors), vendorId_) !=
                   std::end(kSensorVendors)) {
            refreshSensors();
        }
    } catch (...) {
        // A missing library function ends this worker's rescan, nothing more.
    }
}

void registerDeviceNotification() {
    CM_NOTIFY_FILTER filter;
    std::memset(&filter, 0, sizeof filter);
    filter.cbSize = sizeof filter;
    filter.FilterType = CM_NOTIFY_FILTER_TYPE_DEVICEINTERFACE;
    filter.u.DeviceInterface.ClassGuid = kUsbDeviceInterface;
    UniqueModule reference = referenceThisModule();
    HCMNOTIFICATION handle = nullptr;
    CONFIGRET result = CR_CALL_NOT_IMPLEMENTED;
    auto registerNotification = ConfigurationManagerLoader::instance().find(kRegisterNotification);
    if (registerNotification && reference) {
        result = registerNotification(&filter, &notificationHandle, deviceChangeCallback, &handle);
    }
    if (result != CR_SUCCESS) {
        MavelLogger::instance().log(kLogLevelError, "Failed to register device notification " + std::to_string(result));
        return;
    }
    const std::lock_guard hold(notificationLock);
    notificationHandle = handle;
    // An earlier registration stays live with its handle forgotten: nothing
    // can cancel it any more, so its reference is kept for good and the
    // library stays loaded for as long as that registration can call it.
    static_cast<void>(std::exchange(registrationReference, std::move(reference)).release());
}

void unregisterDeviceNotification() noexcept {
    HCMNOTIFICATION handle = nullptr;
    UniqueModule reference;
    {
        const std::lock_guard hold(notificationLock);
        handle = std::exchange(notificationHandle, nullptr);
        reference = std::move(registrationReference);
    }
    if (handle == nullptr) return;
    if (auto unregister = ConfigurationManagerLoader::instance().find(kUnregisterNotification)) unregister(handle);
    // Dropped only once no callback can come any more. The host holds a
    // reference of its own while it calls in, so this never unmaps the caller.
    reference.reset();
}

}  // namespace kelto::notification
