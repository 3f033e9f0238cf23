// Power management through the resource and the three plain exports,
// observed through the settings Windows reports to the test itself.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "library_harness.h"

namespace {

constexpr EXECUTION_STATE kKeepAwake = ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED;
constexpr UINT kTimeout = 420;

bool screenSaverActive() {
    BOOL active = FALSE;
    SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
    return active != FALSE;
}

void setScreenSaverActive(bool active) {
    SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, active ? TRUE : FALSE, nullptr, 0);
}

UINT screenSaverTimeout() {
    UINT seconds = 0;
    SystemParametersInfoW(SPI_GETSCREENSAVETIMEOUT, 0, &seconds, 0);
    return seconds;
}

// Reading the state means setting one; a continuous state is put back as it was.
EXECUTION_STATE executionState() {
    const EXECUTION_STATE current = SetThreadExecutionState(ES_CONTINUOUS);
    SetThreadExecutionState(current);
    return current;
}

}  // namespace

// Each row starts with the screen saver on and no continuous requirement, runs
// its steps and looks at the settings: resource methods by name; "disable",
// "restore" (the newest handle) and "restoreNull" and "idle" through the plain
// exports; "saverOff" switches the screen saver off behind the library's back.
TEST(PowerManagement, StepsLeaveTheSettingsTheLibraryPromises) {
    const mavel::test::MavelLibrary library;
    auto* disable = library.function<void*()>("MavelDisablePowerManagementSettings");
    auto* restore = library.function<void(void*)>("MavelRestorePowerManagementSettings");
    auto* idle = library.function<void()>("MavelResetSystemIdleTimer");
    ASSERT_TRUE(disable && restore && idle);
    // The settings outlive the test process in the Wine prefix: they go back
    // however the test ends.
    const struct Kept {
        bool active = screenSaverActive();
        UINT timeout = screenSaverTimeout();
        ~Kept() {
            setScreenSaverActive(active);
            SystemParametersInfoW(SPI_SETSCREENSAVETIMEOUT, timeout, nullptr, 0);
            SetThreadExecutionState(ES_CONTINUOUS);
        }
    } kept;

    const struct {
        std::vector<std::string> steps;
        bool saverActive;
        bool keptAwake;
    } cases[] = {
        {{"POST"}, false, true},
        {{"POST", "DELETE"}, true, false},
        // A second POST replaces the saved state with the disabled one.
        {{"POST", "POST", "DELETE"}, false, true},
        // DELETE restores once, and without a POST changes nothing.
        {{"POST", "DELETE", "saverOff", "DELETE"}, false, false},
        {{"DELETE"}, true, false},
        {{"PUT"}, true, false},
        {{"disable"}, false, true},
        {{"disable", "restore"}, true, false},
        // Nested handles restore in reverse order.
        {{"disable", "disable", "restore"}, false, true},
        {{"disable", "disable", "restore", "restore"}, true, false},
        {{"restoreNull", "idle"}, true, false},
        // The plain exports and the resource keep their states apart.
        {{"POST", "disable", "restore"}, false, true},
        {{"POST", "disable", "restore", "DELETE"}, true, false},
    };
    for (const auto& c : cases) {
        setScreenSaverActive(true);
        SetThreadExecutionState(ES_CONTINUOUS);
        ASSERT_TRUE(SystemParametersInfoW(SPI_SETSCREENSAVETIMEOUT, kTimeout, nullptr, 0));
        std::vector<void*> handles;
        std::string trace;
        for (const std::string& step : c.steps) {
            trace += step + " ";
            if (step == "disable") {
                handles.push_back(disable());
                ASSERT_NE(handles.back(), nullptr) << trace;
            } else if (step == "restore") {
                restore(handles.back());
                handles.pop_back();
            } else if (step == "restoreNull") {
                restore(nullptr);
            } else if (step == "idle") {
                idle();
            } else if (step == "saverOff") {
                setScreenSaverActive(false);
            } else {
                EXPECT_EQ(library.call("PowerManagementSettings", step).text, R"({"error":null,"value":null})")
                    << trace;
            }
        }
        EXPECT_EQ(screenSaverActive(), c.saverActive) << trace;
        EXPECT_EQ(executionState(), c.keptAwake ? kKeepAwake : static_cast<EXECUTION_STATE>(ES_CONTINUOUS)) << trace;
        // Resetting the idle timer writes the timeout back unchanged.
        EXPECT_EQ(screenSaverTimeout(), kTimeout) << trace;
        // Nothing saved is left for the next row.
        for (; !handles.empty(); handles.pop_back()) restore(handles.back());
        library.call("PowerManagementSettings", "DELETE");
    }
}
