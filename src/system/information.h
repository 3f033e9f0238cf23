#pragma once
// "System/Information": operating system, locale, time zone, processor,
// memory, computer, addresses and graphics cards.

#include "bridge/bridge.h"

namespace kelto::bridge {

// A non-empty query selects sections by key; the keys' values are not read.
class SystemInformation : public Bridge {
public:
    BridgeResult onGet(const RequestArgs& args) override;
};

}  // namespace kelto::bridge
