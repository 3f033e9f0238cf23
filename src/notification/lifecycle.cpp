#include "notification/lifecycle.h"

#include "notification/device_change.h"
#include "notification/native_event_filter.h"

namespace kelto::notification {

void setup() noexcept {
    try {
        NativeEventFilterWindows::instance();
    } catch (...) {
        // The observer could not be made; a later Setup tries again.
    }
}

void tearDown() noexcept { unregisterDeviceNotification(); }

}  // namespace kelto::notification
