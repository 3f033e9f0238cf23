#include "screens/screen_change.h"

#include <windows.h>

#include "platform/closed_libraries.h"
#include "platform/logger.h"
#include "screens/screen_registry.h"

namespace kelto {

namespace {

// Display changes closer together than this belong to one reconfiguration.
constexpr std::uint32_t kDisplayChangeBurstMs = 200;
// How long a reconfiguration is given to settle before the list is read.
constexpr DWORD kDisplaySettleMs = 1500;

}  // namespace

void ScreenRegistry::checkScreenChange() {
    locked([] { return CrvFindScreens(); });
    const std::string text = screensJson();
    // A list that is empty for a moment is never announced, and the last list
    // stays, so the same screens coming back announce nothing either.
    if (text == "[]" || !replaceLastScreensJson(text)) return;
    MavelLogger::instance().logEvent("screenChanged", "Screen changed");
    BridgeHelperDispatchEvent("screenChanged", text.c_str());
}

namespace screens {

void screenChangeWorker(std::uint32_t elapsedMs) noexcept {
    if (elapsedMs <= kDisplayChangeBurstMs) return;
    Sleep(kDisplaySettleMs);
    try {
        ScreenRegistry::instance().checkScreenChange();
    } catch (...) {
        // A worker has no one to report to.
    }
}

}  // namespace screens

}  // namespace kelto
