#pragma once
// The DeviceNotification resource and the process-wide registration for USB
// device-interface arrivals and removals that it switches on.

#include "bridge/bridge.h"

namespace kelto::bridge {

class DeviceNotification : public Bridge {};

}  // namespace kelto::bridge

namespace kelto::notification {

// Cancels the device-interface registration, if there is one.
void unregisterDeviceNotification() noexcept;

}  // namespace kelto::notification
