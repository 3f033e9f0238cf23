// Power management through the resource and the three plain exports,
// observed through the settings Windows reports to the test itself.

#include <gtest/gtest.h>

#include <windows.h>

#include "library_harness.h"

using mavel::test::MavelLibrary;
using mavel::test::Response;

namespace {

constexpr EXECUTION_STATE kKeepAwake = ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED;

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

class PowerManagementTest : public ::testing::Test {
protected:
    void SetUp() override {
        wasActive_ = screenSaverActive();
        timeout_ = screenSaverTimeout();
        setScreenSaverActive(true);
        SetThreadExecutionState(ES_CONTINUOUS);
        ASSERT_TRUE(screenSaverActive());
        ASSERT_EQ(executionState(), static_cast<EXECUTION_STATE>(ES_CONTINUOUS));
    }
    // The settings outlive the test process in the Wine prefix.
    void TearDown() override {
        setScreenSaverActive(wasActive_);
        SystemParametersInfoW(SPI_SETSCREENSAVETIMEOUT, timeout_, nullptr, 0);
    }

    Response request(const char* method) const { return library_.call("PowerManagementSettings", method); }

    template <class Signature>
    Signature* plainExport(const char* name) const {
        Signature* function = library_.function<Signature>(name);
        EXPECT_NE(function, nullptr) << name;
        return function;
    }

    MavelLibrary library_;

private:
    bool wasActive_ = false;
    UINT timeout_ = 0;
};

}  // namespace

TEST_F(PowerManagementTest, PostDisablesAndDeleteRestores) {
    const Response post = request("POST");
    EXPECT_EQ(post.text, R"({"error":null,"value":null})");
    EXPECT_FALSE(screenSaverActive());
    EXPECT_EQ(executionState(), kKeepAwake);

    const Response remove = request("DELETE");
    EXPECT_EQ(remove.text, R"({"error":null,"value":null})");
    EXPECT_TRUE(screenSaverActive());
    EXPECT_EQ(executionState(), static_cast<EXECUTION_STATE>(ES_CONTINUOUS));
}

TEST_F(PowerManagementTest, SecondPostReplacesTheSavedStateWithTheDisabledOne) {
    request("POST");
    request("POST");
    EXPECT_EQ(request("DELETE").status, 200);
    EXPECT_FALSE(screenSaverActive());
    EXPECT_EQ(executionState(), kKeepAwake);
}

TEST_F(PowerManagementTest, DeleteRestoresOnlyOnce) {
    request("POST");
    request("DELETE");
    setScreenSaverActive(false);
    EXPECT_EQ(request("DELETE").status, 200);
    EXPECT_FALSE(screenSaverActive());
}

TEST_F(PowerManagementTest, DeleteWithoutPostChangesNothing) {
    const Response remove = request("DELETE");
    EXPECT_EQ(remove.status, 200);
    EXPECT_TRUE(remove.value().isNull());
    EXPECT_TRUE(screenSaverActive());
    EXPECT_EQ(executionState(), static_cast<EXECUTION_STATE>(ES_CONTINUOUS));
}

TEST_F(PowerManagementTest, PutResetsTheIdleTimerAndKeepsTheSettings) {
    ASSERT_TRUE(SystemParametersInfoW(SPI_SETSCREENSAVETIMEOUT, 420, nullptr, 0));
    const Response put = request("PUT");
    EXPECT_EQ(put.text, R"({"error":null,"value":null})");
    EXPECT_EQ(screenSaverTimeout(), 420u);
    EXPECT_TRUE(screenSaverActive());
    EXPECT_EQ(executionState(), static_cast<EXECUTION_STATE>(ES_CONTINUOUS));
}

TEST_F(PowerManagementTest, GetIsNotServed) {
    const Response get = request("GET");
    EXPECT_EQ(get.status, 405);
    EXPECT_EQ(get.errorName(), "MethodError");
    EXPECT_EQ(get.errorMessage(), "GET method is not allowed.");
    EXPECT_TRUE(screenSaverActive());
}

TEST_F(PowerManagementTest, PlainExportsRoundTripThroughTheirHandle) {
    auto* disable = plainExport<void*()>("MavelDisablePowerManagementSettings");
    auto* restore = plainExport<void(void*)>("MavelRestorePowerManagementSettings");
    ASSERT_TRUE(disable && restore);

    void* state = disable();
    ASSERT_NE(state, nullptr);
    EXPECT_FALSE(screenSaverActive());
    EXPECT_EQ(executionState(), kKeepAwake);

    restore(state);
    EXPECT_TRUE(screenSaverActive());
    EXPECT_EQ(executionState(), static_cast<EXECUTION_STATE>(ES_CONTINUOUS));
}

TEST_F(PowerManagementTest, NestedHandlesRestoreInReverseOrder) {
    auto* disable = plainExport<void*()>("MavelDisablePowerManagementSettings");
    auto* restore = plainExport<void(void*)>("MavelRestorePowerManagementSettings");
    ASSERT_TRUE(disable && restore);

    void* outer = disable();
    void* inner = disable();
    ASSERT_NE(outer, inner);
    restore(inner);
    EXPECT_FALSE(screenSaverActive());
    restore(outer);
    EXPECT_TRUE(screenSaverActive());
}

TEST_F(PowerManagementTest, NullHandleAndIdleResetChangeNoSetting) {
    auto* restore = plainExport<void(void*)>("MavelRestorePowerManagementSettings");
    auto* reset = plainExport<void()>("MavelResetSystemIdleTimer");
    ASSERT_TRUE(restore && reset);
    ASSERT_TRUE(SystemParametersInfoW(SPI_SETSCREENSAVETIMEOUT, 300, nullptr, 0));

    restore(nullptr);
    reset();
    EXPECT_TRUE(screenSaverActive());
    EXPECT_EQ(screenSaverTimeout(), 300u);
    EXPECT_EQ(executionState(), static_cast<EXECUTION_STATE>(ES_CONTINUOUS));
}

TEST_F(PowerManagementTest, PlainExportsLeaveTheResourceStateAlone) {
    auto* disable = plainExport<void*()>("MavelDisablePowerManagementSettings");
    auto* restore = plainExport<void(void*)>("MavelRestorePowerManagementSettings");
    ASSERT_TRUE(disable && restore);

    request("POST");  // keeps "active"
    void* state = disable();  // keeps "inactive"
    restore(state);
    EXPECT_FALSE(screenSaverActive());
    request("DELETE");
    EXPECT_TRUE(screenSaverActive());
}
