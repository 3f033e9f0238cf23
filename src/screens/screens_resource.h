#pragma once
// "Screens": every screen's record. GET enumerates only when the library has
// no list yet, PUT always; both switch screen watching on and record the list
// that later changes are compared with. DELETE drops the list and stops watching.

#include "bridge/bridge.h"

namespace kelto::bridge {

class Screens : public Bridge {
public:
    BridgeResult onGet(const RequestArgs& args) override;
    BridgeResult onPut(const RequestArgs& args) override;
    BridgeResult onDelete(const RequestArgs& args) override;
};

}  // namespace kelto::bridge
