#pragma once
// The screen resources switch screen watching on and off through this one
// function; it is defined beside the observer that owns the flag, so screen
// code never depends on the event machinery's classes.

namespace kelto::screens {

// Creates and registers the native event observer on first use.
void setScreenWatchEnabled(bool enabled);

}  // namespace kelto::screens
