#include "notification/device_notification.h"

#include <windows.h>

#include <atomic>

#include "platform/handle_owner.h"

namespace kelto::notification {

namespace {

// CM_Unregister_Notification is looked up at run time: systems before
// Windows 8 and some compatible environments lack it, and importing it would
// keep the whole library from loading there.
using UnregisterNotification = DWORD(void* notification);

std::atomic<void*>& notificationHandle() noexcept {
    static std::atomic<void*> handle{nullptr};
    return handle;
}

}  // namespace

void unregisterDeviceNotification() noexcept {
    void* const handle = notificationHandle().exchange(nullptr);
    if (handle == nullptr) return;
    const auto unregister =
        findExport<UnregisterNotification>(GetModuleHandleW(L"cfgmgr32.dll"), "CM_Unregister_Notification");
    if (unregister != nullptr) unregister(handle);
}

}  // namespace kelto::notification
