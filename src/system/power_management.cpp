#include "system/power_management.h"

#include <windows.h>

#include <memory>
#include <new>

namespace kelto::power {

namespace {

// What disabling changed, so that it can be put back. The exported functions
// hand it to their caller as an opaque pointer.
struct SavedState {
    DWORD previousExecutionState = 0;
    BOOL screenSaverActive = FALSE;
};

constexpr UINT kSendChange = SPIF_SENDCHANGE;

std::unique_ptr<SavedState> disableAndSave() {
    auto state = std::make_unique<SavedState>();
    state->previousExecutionState = SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED);
    SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &state->screenSaverActive, kSendChange);
    SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, FALSE, nullptr, kSendChange);
    return state;
}

void restoreSaved(const SavedState& state) noexcept {
    SetThreadExecutionState(state.previousExecutionState);
    SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, static_cast<UINT>(state.screenSaverActive), nullptr, kSendChange);
}

// The resource's own saved state; requests are expected one at a time, so
// the slot takes no lock. A replaced state is dropped without restoring it.
std::unique_ptr<SavedState>& resourceSlot() noexcept {
    static std::unique_ptr<SavedState> slot;
    return slot;
}

}  // namespace

void resetSystemIdleTimer() noexcept {
    // Without ES_CONTINUOUS this only resets the idle timers once.
    SetThreadExecutionState(ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED);
    // Writing the timeout back unchanged restarts the screen-saver countdown.
    UINT timeout = 0;
    SystemParametersInfoW(SPI_GETSCREENSAVETIMEOUT, 0, &timeout, kSendChange);
    SystemParametersInfoW(SPI_SETSCREENSAVETIMEOUT, timeout, nullptr, kSendChange);
}

void* disable() noexcept {
    try {
        return disableAndSave().release();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void restore(void* state) noexcept {
    const std::unique_ptr<SavedState> owned(static_cast<SavedState*>(state));
    if (owned) restoreSaved(*owned);
}

}  // namespace kelto::power

namespace kelto::bridge {

BridgeResult PowerManagementSettings::onPost(const RequestArgs&) {
    uri += "PowerManagementSettings";
    power::resourceSlot() = power::disableAndSave();
    power::resetSystemIdleTimer();
    return BridgeResult();
}

BridgeResult PowerManagementSettings::onPut(const RequestArgs&) {
    uri += "PowerManagementSettings";
    power::resetSystemIdleTimer();
    return BridgeResult();
}

BridgeResult PowerManagementSettings::onDelete(const RequestArgs&) {
    uri += "PowerManagementSettings";
    if (const std::unique_ptr<power::SavedState> saved = std::move(power::resourceSlot())) {
        power::restoreSaved(*saved);
    }
    return BridgeResult();
}

}  // namespace kelto::bridge
