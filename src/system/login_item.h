#pragma once
// "System/LoginItem": a shell link in the user's Startup folder.

#include "bridge/bridge.h"

namespace kelto::bridge {

// PUT creates or replaces the link (an "enable" that is true) or removes it.
// Link creation relies on COM being initialised on the serving thread.
class SystemLoginItem : public Bridge {
public:
    BridgeResult onPut(const RequestArgs& args) override;
};

}  // namespace kelto::bridge
