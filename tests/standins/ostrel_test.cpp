// The system-information stand-in: machine facts, snapshot lifetimes, world
// loading and the minimal variant.

#include <gtest/gtest.h>

#include <string>

#include "standin_abi_types.h"
#include "standin_test_support.h"

namespace {

using standin_test::Json;
using standin_test::Module;

using Handle = void*;
using TextFn = const char*();
using CreateFn = Handle();
using EnumFn = Handle(Handle, std::uint32_t);
using ItemTextFn = const char*(Handle);
using ItemNumberFn = std::int32_t(Handle);

class StandinOstrel : public ::testing::Test {
protected:
    Module ostrel = Module::full(L"libostrel_x64.dll");

    std::string text(const char* function) const { return ostrel.function<TextFn>(function)(); }

    // Names of all processes of a fresh snapshot, which is released again.
    std::vector<std::string> processNames() const {
        Handle snapshot = ostrel.function<CreateFn>("OstrCreateRunningProcessSnapshot")();
        std::vector<std::string> names;
        for (std::uint32_t i = 0;; ++i) {
            Handle item = ostrel.function<EnumFn>("OstrEnumRunningProcess")(snapshot, i);
            if (item == nullptr) break;
            names.emplace_back(ostrel.function<ItemTextFn>("OstrGetProcessName")(item));
        }
        ostrel.function<void(Handle)>("OstrReleaseSnapshot")(snapshot);
        return names;
    }
};

TEST_F(StandinOstrel, DemoWorldDescribesAWindows10Machine) {
    EXPECT_EQ(text("OstrGetOSName"), "Windows 10 Pro");
    EXPECT_EQ(text("OstrGetKernelVersion"), "10.0.19045");
    EXPECT_EQ(text("OstrGetBuildNumber"), "19045");
    EXPECT_EQ(text("OstrGetOSReleaseID"), "22H2");
    EXPECT_EQ(text("OstrGetLocaleName"), "en-US");
    EXPECT_EQ(text("OstrGetLocaleCountry"), "US");
    EXPECT_EQ(text("OstrGetLocaleDecimalSeparator"), ".");
    EXPECT_FALSE(text("OstrGetUserName").empty());

    OstrMemoryInformation memory{};
    ASSERT_NE(ostrel.function<std::int32_t(OstrMemoryInformation*)>("OstrGetMemoryInformation")(&memory), 0);
    EXPECT_GT(memory.total, 0u);
    EXPECT_LE(memory.available, memory.total);
}

TEST_F(StandinOstrel, IndexedListsEndWithAnEmptyText) {
    auto language = ostrel.function<const char*(std::uint32_t)>("OstrEnumLocaleLanguage");
    EXPECT_STREQ(language(0), "en-US");
    EXPECT_STREQ(language(1), "ja-JP");
    EXPECT_STREQ(language(2), "");

    auto address = ostrel.function<const char*(std::int32_t, std::uint32_t)>("OstrEnumIPAddress");
    EXPECT_STRNE(address(1, 0), "");
    EXPECT_NE(std::string(address(2, 0)).find(':'), std::string::npos);
    EXPECT_STREQ(address(2, 1), "");
    EXPECT_STREQ(address(3, 0), "");
}

TEST_F(StandinOstrel, WorldTextsArriveInTheAnsiCodePageUnlessPassedOnUnconverted) {
    ASSERT_TRUE(ostrel.loadWorld(Json::parse(R"({"ostrel": {"pc": {"name": "Café"},
        "locale": {"country": "Ré"},
        "graphicsCards": [{"name": "Café GPU", "deviceLocationId": "Ré"}]}})")));

    EXPECT_EQ(text("OstrGetPCName"), "Caf\xE9");
    EXPECT_EQ(text("OstrGetLocaleCountry"), "R\xC3\xA9");
    Handle card = ostrel.function<Handle(std::uint32_t)>("OstrEnumVGA")(0);
    EXPECT_STREQ(ostrel.function<ItemTextFn>("OstrGetVGAName")(card), "Caf\xE9 GPU");
    EXPECT_STREQ(ostrel.function<ItemTextFn>("OstrGetVGADeviceLocationID")(card), "R\xC3\xA9");
    // The section replaced the demo one entirely.
    EXPECT_EQ(text("OstrGetOSName"), "");
}

TEST_F(StandinOstrel, ExplorerRunsUnderThisProcessIdSoWindowsKnowsItsSession) {
    Handle snapshot = ostrel.function<CreateFn>("OstrCreateRunningProcessSnapshot")();
    bool found = false;
    for (std::uint32_t i = 0; Handle item = ostrel.function<EnumFn>("OstrEnumRunningProcess")(snapshot, i); ++i) {
        if (std::string(ostrel.function<ItemTextFn>("OstrGetProcessName")(item)) != "explorer.exe") continue;
        found = true;
        EXPECT_EQ(ostrel.function<ItemNumberFn>("OstrGetProcessPID")(item),
                  static_cast<std::int32_t>(GetCurrentProcessId()));
    }
    ostrel.function<void(Handle)>("OstrReleaseSnapshot")(snapshot);
    EXPECT_TRUE(found);
}

TEST_F(StandinOstrel, SnapshotsAreCountedAndEachReleaseIsLogged) {
    auto liveSnapshots = ostrel.function<std::int32_t()>("OstrStandinLiveSnapshots");
    auto release = ostrel.function<void(Handle)>("OstrReleaseSnapshot");
    Handle printers = ostrel.function<CreateFn>("OstrCreatePrinterSnapshot")();
    Handle devices = ostrel.function<CreateFn>("OstrCreateUSBDeviceSnapshot")();
    ASSERT_NE(printers, nullptr);
    ASSERT_NE(printers, devices);
    EXPECT_EQ(liveSnapshots(), 2);

    release(printers);
    release(printers);  // a second release of the same snapshot changes nothing
    EXPECT_EQ(liveSnapshots(), 1);
    release(devices);
    EXPECT_EQ(liveSnapshots(), 0);
    EXPECT_EQ(ostrel.callCount("OstrReleaseSnapshot"), 3);
    EXPECT_EQ(ostrel.callLog().front(), "OstrCreatePrinterSnapshot");
}

TEST_F(StandinOstrel, ItemsOutliveWorldChangesUntilTheirSnapshotIsReleased) {
    Handle snapshot = ostrel.function<CreateFn>("OstrCreateRunningProcessSnapshot")();
    Handle first = ostrel.function<EnumFn>("OstrEnumRunningProcess")(snapshot, 0);
    const std::string before = ostrel.function<ItemTextFn>("OstrGetProcessName")(first);

    ASSERT_TRUE(ostrel.loadWorld(R"({"ostrel": {"processes": [{"name": "other.exe"}]}})"));
    EXPECT_EQ(ostrel.function<ItemTextFn>("OstrGetProcessName")(first), before);
    EXPECT_EQ(processNames(), std::vector<std::string>{"other.exe"});

    ostrel.function<void(Handle)>("OstrReleaseSnapshot")(snapshot);
    EXPECT_STREQ(ostrel.function<ItemTextFn>("OstrGetProcessName")(first), "");
    EXPECT_EQ(ostrel.function<EnumFn>("OstrEnumRunningProcess")(snapshot, 0), nullptr);
}

TEST_F(StandinOstrel, HandlesOfAnotherKindOrNoneReadAsEmpty) {
    Handle devices = ostrel.function<CreateFn>("OstrCreateUSBDeviceSnapshot")();
    Handle device = ostrel.function<EnumFn>("OstrEnumUSBDevice")(devices, 0);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(ostrel.function<EnumFn>("OstrEnumRunningProcess")(devices, 0), nullptr);
    EXPECT_STREQ(ostrel.function<ItemTextFn>("OstrGetProcessName")(device), "");
    EXPECT_STREQ(ostrel.function<ItemTextFn>("OstrGetProcessName")(nullptr), "");
    EXPECT_EQ(ostrel.function<ItemNumberFn>("OstrGetUSBDeviceVendorID")(nullptr), 0);
    EXPECT_STREQ(ostrel.function<ItemTextFn>("OstrGetVGAName")(device), "");
    EXPECT_EQ(ostrel.function<EnumFn>("OstrEnumUSBDevice")(nullptr, 0), nullptr);
    ostrel.function<void(Handle)>("OstrReleaseSnapshot")(devices);
}

TEST_F(StandinOstrel, FailListEmptiesTheNamedFunctionsOnly) {
    ASSERT_TRUE(ostrel.loadWorld(R"({"ostrel": {"os": {"name": "N", "kernelVersion": "6.1.7601"},
        "memory": {"total": 1}, "printers": [{"name": "P"}], "graphicsCards": [{"name": "G"}],
        "fail": ["OstrGetOSName", "OstrGetMemoryInformation", "OstrCreatePrinterSnapshot", "OstrEnumVGA"]}})"));

    EXPECT_EQ(text("OstrGetOSName"), "");
    EXPECT_EQ(text("OstrGetKernelVersion"), "6.1.7601");
    OstrMemoryInformation memory{};
    EXPECT_EQ(ostrel.function<std::int32_t(OstrMemoryInformation*)>("OstrGetMemoryInformation")(&memory), 0);
    EXPECT_EQ(ostrel.function<CreateFn>("OstrCreatePrinterSnapshot")(), nullptr);
    EXPECT_EQ(ostrel.function<Handle(std::uint32_t)>("OstrEnumVGA")(0), nullptr);
}

TEST_F(StandinOstrel, GraphicsCardOfAScreenFollowsItsDeviceId) {
    auto ofScreen = ostrel.function<Handle(const char*)>("OstrGetVGAOfScreen");
    auto card = ostrel.function<Handle(std::uint32_t)>("OstrEnumVGA");
    ASSERT_NE(card(1), nullptr);
    EXPECT_EQ(card(2), nullptr);
    EXPECT_EQ(ofScreen("\\\\.\\DISPLAY2"), card(1));
    EXPECT_EQ(ofScreen("\\\\.\\display1"), card(0));
    EXPECT_EQ(ofScreen("\\\\.\\DISPLAY9"), nullptr);
    EXPECT_EQ(ofScreen(nullptr), nullptr);
    EXPECT_GT(ostrel.function<std::uint32_t(Handle)>("OstrGetVGAVRAMSize")(card(0)), 0u);
}

TEST_F(StandinOstrel, ProcessRunningCheckIgnoresLetterCase) {
    auto isRunning = ostrel.function<std::int32_t(const char*, std::int32_t)>("OstrIsProcessRunning");
    EXPECT_NE(isRunning("explorer.exe", 0), 0);
    EXPECT_NE(isRunning("EXPLORER.EXE", 0), 0);
    EXPECT_EQ(isRunning("explorer", 0), 0);
    EXPECT_EQ(isRunning(nullptr, 0), 0);
}

TEST_F(StandinOstrel, MalformedWorldsAreRefusedAndChangeNothing) {
    EXPECT_FALSE(ostrel.loadWorld(R"({"ostrel": {"os": {"name": 5}}})"));
    EXPECT_FALSE(ostrel.loadWorld(R"({"ostrel": {"processes": {"name": "x"}}})"));
    EXPECT_FALSE(ostrel.loadWorld("[]"));
    EXPECT_FALSE(ostrel.loadWorld("{not json"));
    EXPECT_EQ(text("OstrGetOSName"), "Windows 10 Pro");
}

TEST_F(StandinOstrel, DocumentWithoutTheSectionRestoresTheDemoWorld) {
    ASSERT_TRUE(ostrel.loadWorld(R"({"ostrel": {"os": {"name": "Other"}}})"));
    ASSERT_TRUE(ostrel.loadWorld(R"({"carvel2": {}})"));
    EXPECT_EQ(text("OstrGetOSName"), "Windows 10 Pro");
}

TEST(StandinOstrelStartup, WorldFileNamedByTheEnvironmentIsReadOnFirstUse) {
    const standin_test::TemporaryFile world;
    world.write(R"({"ostrel": {"os": {"name": "From file", "architecture": -7}}})");
    const Module ostrel = Module::full(L"libostrel_x64.dll");
    standin_test::setEnvironment(L"MAVEL_WORLD", world.path());

    EXPECT_STREQ(ostrel.function<TextFn>("OstrGetOSName")(), "From file");
    EXPECT_EQ(ostrel.function<std::int32_t()>("OstrGetOSArchitecture")(), -7);
}

TEST(StandinOstrelMinimal, LacksTheFunctionsLookedUpAtRunTime) {
    const Module ostrel = Module::minimal(L"libostrel_x64.dll");
    for (const char* name :
         {"OstrGetVGADeviceLocationID", "OstrGetOSReleaseID", "OstrGetLocaleCountry", "OstrIsProcessRunning",
          "OstrGetUserName", "OstrGetDomainName", "OstrCreateCurrentApplicationWindowSnapshot",
          "OstrEnumApplicationWindow", "OstrGetApplicationWindowTitle", "OstrGetApplicationWindowProcessName",
          "OstrGetApplicationWindowLocalizedName", "OstrGetApplicationWindowClassName",
          "OstrIsActiveApplicationWindow"}) {
        EXPECT_FALSE(ostrel.exports(name)) << name;
    }
    EXPECT_STREQ(ostrel.function<TextFn>("OstrGetOSName")(), "Windows 10 Pro");
}

}  // namespace
