#pragma once
// The observer that the bridge host calls with the application's native
// window messages: time changes become "systemTimeChanged", session changes
// "sessionChanged", and display changes, while screens are watched, a
// delayed check for a changed screen list.

#include <atomic>
#include <cstdint>

namespace kelto::notification {

class BridgeHelperEventObserver {
public:
    virtual ~BridgeHelperEventObserver() = default;
    virtual void onNativeEvent(const char* eventType, void* message) = 0;
};

class NativeEventFilterWindows final : public BridgeHelperEventObserver {
public:
    // The one observer of the process: created and registered with the bridge
    // host on first use, unregistered when the library is unloaded.
    static NativeEventFilterWindows& instance();

    NativeEventFilterWindows(const NativeEventFilterWindows&) = delete;
    NativeEventFilterWindows& operator=(const NativeEventFilterWindows&) = delete;
    ~NativeEventFilterWindows() override;

    // Never throws: it runs inside the bridge host's callback.
    void onNativeEvent(const char* eventType, void* message) noexcept override;

    // Written by screen requests on any thread, read by the message thread.
    std::atomic<bool> screenWatchEnabled{false};

private:
    NativeEventFilterWindows();

    void onTimeChange();
    void onDisplayChange();
    void onSessionChange(std::uintptr_t code);

    // Touched only by the thread that delivers the host's messages.
    std::int64_t lastTimeChangeTicks;
    std::int64_t lastSessionChangeTicks;
    std::int64_t lastDisplayChangeTicks;
};

// The callback registered with the bridge host; context is the observer.
void eventCallback(const char* eventType, void* message, void* context) noexcept;

}  // namespace kelto::notification
