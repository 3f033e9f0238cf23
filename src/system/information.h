#pragma once
// "System/Information": operating system, locale, time zone, processor,
// memory, computer, addresses and graphics cards.

#include "bridge/bridge.h"

namespace kelto::bridge {

class SystemInformation : public Bridge {};

}  // namespace kelto::bridge
