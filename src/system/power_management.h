#pragma once
// Keeping the computer and its display awake with the screen saver off, and
// giving the earlier settings back.

#include "bridge/bridge.h"

namespace kelto::bridge {

class PowerManagementSettings : public Bridge {};

}  // namespace kelto::bridge

namespace kelto::power {

void resetSystemIdleTimer() noexcept;
// A new saved state owned by the caller; give it back to restore() once.
void* disable() noexcept;
void restore(void* state) noexcept;

}  // namespace kelto::power
