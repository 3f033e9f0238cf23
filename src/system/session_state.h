#pragma once
// Who is logged on, whether the input desktop is locked, and the screen saver.

#include "bridge/bridge.h"

namespace kelto::bridge {

// A "filter" query of "state", "currentUser" or "domainName" narrows the
// answer to that part; any other non-empty filter answers null.
class SystemLoginState : public Bridge {
public:
    BridgeResult onGet(const RequestArgs& args) override;
};

class SystemLockState : public Bridge {
public:
    BridgeResult onGet(const RequestArgs& args) override;
};

// GET tells whether the screen saver runs; DELETE stops it.
class SystemScreenSaver : public Bridge {
public:
    BridgeResult onGet(const RequestArgs& args) override;
    BridgeResult onDelete(const RequestArgs& args) override;
};

}  // namespace kelto::bridge
