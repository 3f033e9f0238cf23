#pragma once
// Keeping the computer and its display awake with the screen saver off, and
// giving the earlier settings back.

#include "bridge/bridge.h"

namespace kelto::bridge {

// POST disables and keeps the earlier state in one process-wide slot, PUT
// resets the idle timer, DELETE restores what the last POST kept.
class PowerManagementSettings : public Bridge {
public:
    BridgeResult onPost(const RequestArgs& args) override;
    BridgeResult onPut(const RequestArgs& args) override;
    BridgeResult onDelete(const RequestArgs& args) override;
};

}  // namespace kelto::bridge

namespace kelto::power {

void resetSystemIdleTimer() noexcept;
// A new saved state owned by the caller; give it back to restore() once.
// Null only when the state could not be allocated.
void* disable() noexcept;
// Restores and frees a state from disable(); null does nothing.
void restore(void* state) noexcept;

}  // namespace kelto::power
