#pragma once
// Screens addressed by position, by monitor (EDID serial and product) and by
// a point "<x>x<y>". GET answers, per screen, the record or what the first
// present query member of "profile", "gamma", "graphicsCard" asks for; PUT
// sets a colour profile and/or a gamma ramp; DELETE with a "profile" query
// detaches the profile and deletes its file.

#include "bridge/bridge.h"
#include "screens/screen_registry.h"

namespace kelto::bridge {

// One screen, by its place among the listed screens (0 when "index" is
// missing or unusable).
class ScreenAtIndex : public Bridge {
public:
    BridgeResult onGet(const RequestArgs& args) override;
    BridgeResult onPut(const RequestArgs& args) override;
    BridgeResult onDelete(const RequestArgs& args) override;

private:
    ScreenHandle select(const RequestArgs& args);
};

class ScreensForMonitor : public Bridge {
public:
    BridgeResult onGet(const RequestArgs& args) override;
    BridgeResult onPut(const RequestArgs& args) override;
    BridgeResult onDelete(const RequestArgs& args) override;

private:
    ScreenList select(const RequestArgs& args);
};

class ScreensForPoint : public Bridge {
public:
    BridgeResult onGet(const RequestArgs& args) override;
    BridgeResult onPut(const RequestArgs& args) override;
    BridgeResult onDelete(const RequestArgs& args) override;

private:
    ScreenList select(const RequestArgs& args);
};

}  // namespace kelto::bridge
