#pragma once
// USB device-interface arrivals and removals from the configuration manager.
// Each notification starts one detached worker that waits for the device to
// settle, rescans the kind of device its vendor and product name, and sends
// that kind's change event.

#include <cstdint>
#include <string>

namespace kelto::notification {

enum class DeviceAction : std::uint32_t { None = 0, Arrival = 1, Removal = 2 };

// Registers for USB device-interface notifications; a failure is only
// logged. Every call registers anew, and only the newest handle is kept.
void registerDeviceNotification();
// Cancels the newest registration, if there is one.
void unregisterDeviceNotification() noexcept;

// The work of one notification, run once on a thread of its own.
class DeviceChangeNotificationRunnable {
public:
    DeviceChangeNotificationRunnable(DeviceAction action, std::uint16_t vendorId, std::uint16_t productId) noexcept
        : action_(action), vendorId_(vendorId), productId_(productId) {}
    virtual ~DeviceChangeNotificationRunnable() = default;

    virtual void run();
    // The worker thread owns the runnable and deletes it after run().
    virtual bool autoDelete() const noexcept { return true; }

private:
    DeviceAction action_;
    std::uint16_t vendorId_;
    std::uint16_t productId_;
};

// The USB vendor and product of a device instance identifier such as
// USB\VID_056D&PID_4014\5&1A2B3C4D&0&2 (0 for a part that is missing).
struct UsbIdentity {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
};
UsbIdentity usbIdentity(const std::string& instanceId);

}  // namespace kelto::notification
