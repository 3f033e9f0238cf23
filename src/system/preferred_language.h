#pragma once
// "System/PreferredLanguage": the offered resource that fits the user's languages best.

#include "bridge/bridge.h"

namespace kelto::bridge {

// Query "resources" is a comma-separated list of resource names such as
// "en-US,ja-JP"; "fallback" is answered when none fits.
class SystemPreferredLanguage : public Bridge {
public:
    BridgeResult onGet(const RequestArgs& args) override;
};

}  // namespace kelto::bridge
