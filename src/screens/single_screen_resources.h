#pragma once
// Screens addressed by position, by monitor (EDID serial and product) and by
// a point "<x>x<y>". GET answers, per screen, the record or what the first
// present query member of "profile", "gamma", "graphicsCard" asks for; PUT
// sets a colour profile and/or a gamma ramp; DELETE with a "profile" query
// detaches the profile and deletes its file.

#include "bridge/bridge.h"
#include "screens/screen_registry.h"

namespace kelto::bridge {

// What the three resources share; they differ only in how they pick screens.
class ScreenSelectionBridge : public Bridge {
public:
    BridgeResult onGet(const RequestArgs& args) override;
    BridgeResult onPut(const RequestArgs& args) override;
    BridgeResult onDelete(const RequestArgs& args) override;

protected:
    // Appends the route to uri, then lists the addressed screens or throws.
    virtual ScreenList select(const RequestArgs& args) = 0;
    // A GET of one screen answers its value itself, not a list of one.
    virtual bool answersOneScreen() const noexcept { return false; }
};

// One screen, by its place among the listed screens (0 when "index" is
// missing or unusable).
class ScreenAtIndex final : public ScreenSelectionBridge {
protected:
    ScreenList select(const RequestArgs& args) override;
    bool answersOneScreen() const noexcept override { return true; }
};

class ScreensForMonitor final : public ScreenSelectionBridge {
protected:
    ScreenList select(const RequestArgs& args) override;
};

class ScreensForPoint final : public ScreenSelectionBridge {
protected:
    ScreenList select(const RequestArgs& args) override;
};

}  // namespace kelto::bridge
