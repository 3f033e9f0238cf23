#include "screens/screens_resource.h"

#include "screens/screen_registry.h"
#include "screens/screen_watch.h"

namespace kelto::bridge {

namespace {

void enumerateAndWatch() {
    ScreenRegistry& registry = ScreenRegistry::instance();
    registry.locked([] { return CrvFindScreens(); });
    screens::setScreenWatchEnabled(true);
    registry.setLastScreensJson(registry.screensJson());
}

BridgeResult allScreens() { return BridgeResult(ScreenRegistry::instance().screenRecords()); }

}  // namespace

BridgeResult Screens::onGet(const RequestArgs&) {
    uri += "Screens";
    // A count of 0 means the library holds no list: nobody enumerated yet, or
    // DELETE dropped it. The count is read without the registry's lock.
    if (CrvGetScreenCount() == 0) enumerateAndWatch();
    return allScreens();
}

BridgeResult Screens::onPut(const RequestArgs&) {
    uri += "Screens";
    enumerateAndWatch();
    return allScreens();
}

BridgeResult Screens::onDelete(const RequestArgs&) {
    uri += "Screens";
    ScreenRegistry::instance().locked([] { CrvReleaseScreens(); });
    screens::setScreenWatchEnabled(false);
    return BridgeResult();
}

}  // namespace kelto::bridge
