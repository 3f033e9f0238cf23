#pragma once
// The DeviceNotification resource: device-change events on and off.

#include "bridge/bridge.h"

namespace kelto::bridge {

class DeviceNotification : public Bridge {};

}  // namespace kelto::bridge
