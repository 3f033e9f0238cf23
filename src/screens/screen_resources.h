#pragma once
// The four screen resources: the screen list and screens addressed by index,
// by monitor and by point.

#include "bridge/bridge.h"

namespace kelto::bridge {

class Screens : public Bridge {};
class ScreenAtIndex : public Bridge {};
class ScreensForMonitor : public Bridge {};
class ScreensForPoint : public Bridge {};

}  // namespace kelto::bridge
