#pragma once
// Who is logged on, whether the input desktop is locked, and the screen saver.

#include "bridge/bridge.h"

namespace kelto::bridge {

class SystemLoginState : public Bridge {};
class SystemLockState : public Bridge {};
class SystemScreenSaver : public Bridge {};

}  // namespace kelto::bridge
