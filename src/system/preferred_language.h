#pragma once
// "System/PreferredLanguage": the offered resource that fits the user's languages best.

#include "bridge/bridge.h"

namespace kelto::bridge {

class SystemPreferredLanguage : public Bridge {};

}  // namespace kelto::bridge
