// Screen watching lives in the observer; the screen resources reach it only
// through the one function declared on their side.

#include "screens/screen_watch.h"
#include "notification/native_event_filter.h"

namespace kelto::screens {

void setScreenWatchEnabled(bool enabled) {
    notification::NativeEventFilterWindows::instance().screenWatchEnabled = enabled;
}

}  // namespace kelto::screens
