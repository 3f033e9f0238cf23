#pragma once
// "DeviceNotification": PUT switches USB device events on and answers what a
// first rescan of monitor controllers, sensors and lighting equipment finds;
// DELETE switches them off; GET with the query member "supports" says the
// feature exists.

#include "bridge/bridge.h"

namespace kelto::bridge {

class DeviceNotification : public Bridge {
public:
    BridgeResult onGet(const RequestArgs& args) override;
    BridgeResult onPut(const RequestArgs& args) override;
    BridgeResult onDelete(const RequestArgs& args) override;
};

}  // namespace kelto::bridge
