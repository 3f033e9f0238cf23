// Loading worlds into a stand-in: what the resource tests cannot see, since
// they only ever load worlds that are accepted.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/handle_owner.h"
#include "standin_test_support.h"

namespace {

using LoadWorld = std::int32_t(const char*);
using GetText = const char*();

constexpr const char* kDemoOsName = "Windows 10 Pro";

std::string osName(HMODULE ostrel) { return kelto::findExport<GetText>(ostrel, "OstrGetOSName")(); }

}  // namespace

TEST(StandinWorld, MalformedDocumentsAreRefusedWholeAndAMissingSectionMeansTheDemo) {
    const kelto::UniqueModule ostrel = standin_test::loadStandin(L"libostrel_x64.dll");
    ASSERT_TRUE(ostrel);
    auto* load = kelto::findExport<LoadWorld>(ostrel.get(), "StandinLoadWorld");
    ASSERT_TRUE(load(R"({"ostrel": {"os": {"name": "Before"}}})"));
    ASSERT_EQ(osName(ostrel.get()), "Before");
    // A present section replaces the demo one entirely.
    EXPECT_STREQ(kelto::findExport<GetText>(ostrel.get(), "OstrGetBuildNumber")(), "");
    // Not JSON, not an object, a member of the wrong type, and one after a valid section.
    for (const char* malformed : {"{not json", "[]", R"({"ostrel": {"os": {"name": 5}}})",
                                  R"({"ostrel": {"os": {"name": "Half"}, "processes": {"name": "x"}}})"}) {
        EXPECT_EQ(load(malformed), 0) << malformed;
        EXPECT_EQ(osName(ostrel.get()), "Before") << malformed;
    }
    // The section in use reads back as compact JSON, as it was given.
    EXPECT_STREQ(kelto::findExport<GetText>(ostrel.get(), "StandinWorld")(), R"({"os":{"name":"Before"}})");
    ASSERT_TRUE(load(R"({"carvel2": {}})"));
    EXPECT_EQ(osName(ostrel.get()), kDemoOsName);
}

TEST(StandinWorld, WorldFileIsReadOnFirstUseAndAnUnreadableOneMeansTheDemo) {
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("mavel-world-" + std::to_string(GetCurrentProcessId()));
    const struct {
        const char* content;  // null: no such file
        const char* osName;
    } cases[] = {
        {R"({"ostrel": {"os": {"name": "From file"}}})", "From file"},
        {nullptr, kDemoOsName},
        {"{not json", kDemoOsName},
        {R"({"ostrel": {"os": {"name": 5}}})", kDemoOsName},
    };
    for (const auto& c : cases) {
        DeleteFileW(file.c_str());
        if (c.content != nullptr) std::ofstream(file) << c.content;
        // Set after the load: the file is read on the first call, not at load.
        const kelto::UniqueModule ostrel = standin_test::loadStandin(L"libostrel_x64.dll");
        ASSERT_TRUE(ostrel);
        SetEnvironmentVariableW(L"MAVEL_WORLD", file.c_str());
        EXPECT_EQ(osName(ostrel.get()), c.osName) << (c.content ? c.content : "no file");
        SetEnvironmentVariableW(L"MAVEL_WORLD", nullptr);
    }
    DeleteFileW(file.c_str());
}
