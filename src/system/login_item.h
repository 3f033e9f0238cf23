#pragma once
// "System/LoginItem": a shell link in the user's Startup folder.

#include "bridge/bridge.h"

namespace kelto::bridge {

class SystemLoginItem : public Bridge {};

}  // namespace kelto::bridge
