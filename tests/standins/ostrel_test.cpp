// The system-information stand-in: world loading, list ends, text conversion
// and snapshot lifetimes.

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "platform/closed_libraries.h"
#include "standin_test_support.h"

namespace {

using standin_test::Module;
using Handle = void*;

class StandinOstrel : public ::testing::Test {
protected:
    Module ostrel{L"libostrel_x64.dll"};

    std::string text(const char* function) const { return ostrel.function<const char*()>(function)(); }
    std::string itemText(const char* function, Handle item) const {
        return ostrel.function<const char*(Handle)>(function)(item);
    }
    Handle create(const char* function) const { return ostrel.function<Handle()>(function)(); }
    Handle process(Handle snapshot, std::uint32_t index) const {
        return ostrel.function<Handle(Handle, std::uint32_t)>("OstrEnumRunningProcess")(snapshot, index);
    }
    void release(Handle snapshot) const { ostrel.function<void(Handle)>("OstrReleaseSnapshot")(snapshot); }
};

TEST_F(StandinOstrel, MalformedWorldsAreRefusedWholeAndAMissingSectionMeansTheDemoWorld) {
    for (const char* malformed :
         {R"({"ostrel": {"os": {"name": 5}}})", R"({"ostrel": {"processes": {"name": "x"}}})", "[]", "{not json"}) {
        EXPECT_FALSE(ostrel.loadWorld(malformed)) << malformed;
    }
    EXPECT_EQ(text("OstrGetOSName"), "Windows 10 Pro");

    ASSERT_TRUE(ostrel.loadWorld(R"({"ostrel": {"os": {"name": "Other"}}})"));
    EXPECT_EQ(text("OstrGetOSName"), "Other");
    EXPECT_EQ(text("OstrGetBuildNumber"), "");  // the section replaced the demo one entirely
    ASSERT_TRUE(ostrel.loadWorld(R"({"carvel2": {}})"));
    EXPECT_EQ(text("OstrGetOSName"), "Windows 10 Pro");
}

TEST_F(StandinOstrel, FailListEmptiesTheNamedFunctionsOnly) {
    ASSERT_TRUE(ostrel.loadWorld(R"({"ostrel": {"os": {"name": "N", "kernelVersion": "6.1.7601"},
        "memory": {"total": 1}, "printers": [{"name": "P"}],
        "fail": ["OstrGetOSName", "OstrGetMemoryInformation", "OstrCreatePrinterSnapshot"]}})"));
    EXPECT_EQ(text("OstrGetOSName"), "");
    EXPECT_EQ(text("OstrGetKernelVersion"), "6.1.7601");
    OstrMemoryInformation memory{};
    EXPECT_EQ(ostrel.function<std::int32_t(OstrMemoryInformation*)>("OstrGetMemoryInformation")(&memory), 0);
    EXPECT_EQ(create("OstrCreatePrinterSnapshot"), nullptr);
}

TEST(StandinOstrelStartup, WorldFileNamedByTheEnvironmentIsReadOnFirstUse) {
    const standin_test::TemporaryFile world;
    std::ofstream(world.path) << R"({"ostrel": {"os": {"name": "From file", "architecture": -7}}})";
    const Module ostrel{L"libostrel_x64.dll"};
    SetEnvironmentVariableW(L"MAVEL_WORLD", world.path.c_str());
    const std::string name = ostrel.function<const char*()>("OstrGetOSName")();
    SetEnvironmentVariableW(L"MAVEL_WORLD", nullptr);

    EXPECT_EQ(name, "From file");
    EXPECT_EQ(ostrel.function<std::int32_t()>("OstrGetOSArchitecture")(), -7);
}

TEST_F(StandinOstrel, WorldTextsArriveInTheAnsiCodePageUnlessPassedOnUnconverted) {
    ASSERT_TRUE(ostrel.loadWorld(R"({"ostrel": {"pc": {"name": "Café"}, "locale": {"country": "Ré"},
        "graphicsCards": [{"name": "Café GPU", "deviceLocationId": "Ré"}]}})"));
    EXPECT_EQ(text("OstrGetPCName"), "Caf\xE9");
    EXPECT_EQ(text("OstrGetLocaleCountry"), "R\xC3\xA9");
    Handle card = ostrel.function<Handle(std::uint32_t)>("OstrEnumVGA")(0);
    EXPECT_EQ(itemText("OstrGetVGAName", card), "Caf\xE9 GPU");
    EXPECT_EQ(itemText("OstrGetVGADeviceLocationID", card), "R\xC3\xA9");
}

TEST_F(StandinOstrel, ListsEndWithNullOrAnEmptyText) {
    auto language = ostrel.function<const char*(std::uint32_t)>("OstrEnumLocaleLanguage");
    EXPECT_STREQ(language(1), "ja-JP");
    EXPECT_STREQ(language(2), "");
    auto address = ostrel.function<const char*(std::int32_t, std::uint32_t)>("OstrEnumIPAddress");
    EXPECT_STRNE(address(2, 0), "");
    EXPECT_STREQ(address(2, 1), "");
    EXPECT_STREQ(address(3, 0), "");
    auto card = ostrel.function<Handle(std::uint32_t)>("OstrEnumVGA");
    EXPECT_NE(card(1), nullptr);
    EXPECT_EQ(card(2), nullptr);

    // Explorer runs under this process's id, so Windows knows its session.
    Handle snapshot = create("OstrCreateRunningProcessSnapshot");
    std::uint32_t count = 0;
    std::int32_t explorerId = -1;
    for (Handle item; (item = process(snapshot, count)) != nullptr; ++count) {
        if (itemText("OstrGetProcessName", item) == "explorer.exe") {
            explorerId = ostrel.function<std::int32_t(Handle)>("OstrGetProcessPID")(item);
        }
    }
    EXPECT_EQ(count, 4u);
    EXPECT_EQ(explorerId, static_cast<std::int32_t>(GetCurrentProcessId()));
    release(snapshot);
    EXPECT_EQ(process(snapshot, 0), nullptr);
}

TEST_F(StandinOstrel, LiveSnapshotsAreCountedAndTheirItemsOutliveWorldChangesUntilReleased) {
    auto liveSnapshots = ostrel.function<std::int32_t()>("OstrStandinLiveSnapshots");
    Handle printers = create("OstrCreatePrinterSnapshot");
    Handle processes = create("OstrCreateRunningProcessSnapshot");
    ASSERT_NE(printers, nullptr);
    ASSERT_NE(printers, processes);
    EXPECT_EQ(liveSnapshots(), 2);

    Handle first = process(processes, 0);
    ASSERT_TRUE(ostrel.loadWorld(R"({"ostrel": {"processes": [{"name": "other.exe"}]}})"));
    EXPECT_EQ(itemText("OstrGetProcessName", first), "System");

    release(printers);
    release(printers);  // a second release of the same snapshot changes nothing
    EXPECT_EQ(liveSnapshots(), 1);
    release(processes);
    EXPECT_EQ(liveSnapshots(), 0);
    EXPECT_EQ(itemText("OstrGetProcessName", first), "");
    EXPECT_EQ(ostrel.callCount("OstrReleaseSnapshot"), 3);
}

}  // namespace
