// The host unloads the library while its detached workers still sleep, or
// while a device notification is still registered: the process lives, and
// the library goes once nothing of it can run any more.

#include <gtest/gtest.h>

#include <windows.h>

#include <stdexcept>

#include "bridgehost_control.h"
#include "library_harness.h"
#include "platform/handle_owner.h"

namespace {

constexpr std::uint32_t kArrival = 0;
constexpr const char* kSerialSensor = R"(USB\VID_0403&PID_6001\A)";
constexpr const char* kMonitorController = R"(USB\VID_056D&PID_4014\B)";

template <class Signature>
Signature* configurationManager(const char* name) {
    auto* function = kelto::findExport<Signature>(GetModuleHandleW(L"cfgmgr32.dll"), name);
    if (function == nullptr) throw std::runtime_error(std::string("no configuration-manager stand-in for ") + name);
    return function;
}

std::int32_t fire(const char* instanceId) {
    return configurationManager<std::int32_t(std::uint32_t, const char*)>("Cfgmgr32StandinFire")(kArrival, instanceId);
}

bool loaded() { return GetModuleHandleW(L"libmavel_x64.dll") != nullptr; }

// The test's deadline ends a wait that never does.
void waitForUnload() {
    while (loaded()) Sleep(50);
}

class Unloading : public testing::Test {
protected:
    void SetUp() override {
        // The stand-in outlives the library, so arrivals can be fired after it is gone.
        configurationManagerStandin = kelto::UniqueModule(LoadLibraryW(L"cfgmgr32.dll"));
        library.call("Screens");
        // Past the spacing of the observer's creation: this display change starts a check.
        Sleep(300);
    }

    kelto::UniqueModule configurationManagerStandin;
    mavel::test::MavelLibrary library;
};

TEST_F(Unloading, SleepingWorkersKeepTheLibraryUntilTheyEnd) {
    library.call("DeviceNotification", "PUT");
    BridgeHostSendWindowMessage(WM_DISPLAYCHANGE, 32, 0);
    ASSERT_EQ(fire(kSerialSensor), 1);
    ASSERT_EQ(fire(kMonitorController), 1);
    library.function<void()>("TearDown")();
    ASSERT_TRUE(FreeLibrary(library.module()));
    EXPECT_TRUE(loaded()) << "the workers hold it while they sleep";
    waitForUnload();
    // Nothing of the library is left to call.
    EXPECT_EQ(fire(kSerialSensor), 0);
    EXPECT_EQ(BridgeHostCallbackCount(), 0);
    BridgeHostSendWindowMessage(WM_DISPLAYCHANGE, 32, 0);
}

// A registration calls in from a system thread at any time, so it keeps the
// library until it is cancelled; loading the library again reaches it.
TEST_F(Unloading, ALiveRegistrationKeepsTheLibraryUntilCancelled) {
    library.call("DeviceNotification", "PUT");
    ASSERT_TRUE(FreeLibrary(library.module()));
    Sleep(800);
    ASSERT_TRUE(loaded());
    const std::int32_t start = BridgeHostEventCount();
    // Only the sensor stand-in changes: the others keep the objects they handed out.
    kelto::findExport<std::int32_t(const char*)>(
        GetModuleHandleW(L"libbramble.dll"), "StandinLoadWorld")(R"({"bramble":{"serialSensors":[{"deviceID":7}]}})");
    EXPECT_EQ(fire(kSerialSensor), 1);
    EXPECT_EQ(BridgeHostWaitForEvents(start + 1, 5000), start + 1) << "the worker still runs";

    kelto::UniqueModule again(LoadLibraryW((mavel::test::binFolder() + L"\\libmavel_x64.dll").c_str()));
    ASSERT_EQ(again.get(), library.module());
    kelto::findExport<void()>(again.get(), "TearDown")();
    EXPECT_EQ(configurationManager<std::int32_t()>("Cfgmgr32StandinRegistrationCount")(), 0);
    again.reset();
    waitForUnload();
    EXPECT_EQ(fire(kSerialSensor), 0);
}

}  // namespace
