#include "notification/native_event_filter.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "notification/events.h"
#include "platform/closed_libraries.h"
#include "platform/detached_thread.h"
#include "platform/logger.h"
#include "pocketjson/json.h"
#include "screens/screen_change.h"

namespace kelto::notification {

namespace {

constexpr char kNativeMessageEvent[] = "_native_windows_generic_MSG";

// Messages of one kind closer together than these are repeats of one change.
constexpr std::uint32_t kTimeChangeSpacingMs = 50;
constexpr std::uint32_t kSessionChangeSpacingMs = 100;

// The local time as 2026-01-31 08:05:09.
std::string localDateTimeText() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
                  now.wMinute, now.wSecond);
    return text;
}

const char* sessionStateText(std::uintptr_t code) noexcept {
    switch (code) {
        case WTS_CONSOLE_CONNECT: return "activated";
        case WTS_CONSOLE_DISCONNECT: return "deactivated";
        case WTS_SESSION_LOCK: return "locked";
        case WTS_SESSION_UNLOCK: return "unlocked";
        default: return nullptr;
    }
}

}  // namespace

// Registering from the constructor ties it to the static's one-time
// initialisation, so Setup and a screen request racing for the first use
// still register the observer once.
NativeEventFilterWindows::NativeEventFilterWindows()
    : lastTimeChangeTicks(nowTicks()), lastSessionChangeTicks(nowTicks()), lastDisplayChangeTicks(nowTicks()) {
    BridgeHelperAddEventCallback(&eventCallback, this);
}

NativeEventFilterWindows::~NativeEventFilterWindows() { BridgeHelperRemoveEventCallback(this); }

NativeEventFilterWindows& NativeEventFilterWindows::instance() {
    static NativeEventFilterWindows observer;
    return observer;
}

void eventCallback(const char* eventType, void* message, void* context) noexcept {
    if (context == nullptr) return;
    static_cast<BridgeHelperEventObserver*>(context)->onNativeEvent(eventType, message);
}

void NativeEventFilterWindows::onNativeEvent(const char* eventType, void* message) noexcept {
    if (eventType == nullptr || message == nullptr || std::strcmp(eventType, kNativeMessageEvent) != 0) return;
    const MSG& msg = *static_cast<const MSG*>(message);
    try {
        switch (msg.message) {
            case WM_TIMECHANGE: onTimeChange(); break;
            case WM_DISPLAYCHANGE: onDisplayChange(); break;
            case WM_WTSSESSION_CHANGE: onSessionChange(msg.wParam); break;
            default: break;
        }
    } catch (...) {
        // Out of memory while building an event: the message is lost, the host is not.
    }
}

void NativeEventFilterWindows::onTimeChange() {
    if (elapsedMilliseconds(lastTimeChangeTicks) <= kTimeChangeSpacingMs) return;
    MavelLogger::instance().logEvent("systemTimeChanged", "System time changed");
    // The payload is the bare text, not a JSON string.
    dispatchEvent("systemTimeChanged", localDateTimeText());
    lastTimeChangeTicks = nowTicks();
}

void NativeEventFilterWindows::onDisplayChange() {
    if (!screenWatchEnabled) return;
    const std::uint32_t elapsed = elapsedMilliseconds(lastDisplayChangeTicks);
    // Without a thread this message brings no screen check.
    startDetached([elapsed] { screens::screenChangeWorker(elapsed); });
    lastDisplayChangeTicks = nowTicks();
}

void NativeEventFilterWindows::onSessionChange(std::uintptr_t code) {
    if (elapsedMilliseconds(lastSessionChangeTicks) <= kSessionChangeSpacingMs) return;
    if (const char* state = sessionStateText(code)) {
        MavelLogger::instance().logEvent("sessionChanged", std::string("Session ") + state);
        pocketjson::Value change;
        change["type"] = state;
        dispatchEvent("sessionChanged", pocketjson::toJson(change));
    }
    // An unknown code sends nothing but still starts a new spacing.
    lastSessionChangeTicks = nowTicks();
}

}  // namespace kelto::notification
