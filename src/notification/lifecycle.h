#pragma once
// What Setup and TearDown do.

namespace kelto::notification {

// Creates and registers the native event observer (once per process).
void setup() noexcept;
// Cancels the device notification; the observer stays registered.
void tearDown() noexcept;

}  // namespace kelto::notification
