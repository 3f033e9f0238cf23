// Facts planted on this machine (or this Wine prefix) and found again
// through the real library beside the live providers. This file is UTF-8, so
// a text written here is the UTF-8 the library must answer.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "library_harness.h"
#include "platform/closed_libraries.h"
#include "platform/path.h"

using mavel::test::liveFolder;
using mavel::test::MavelLibrary;
using mavel::test::Response;

namespace {

const pocketjson::Value* findWhere(const pocketjson::Value& list, const char* key, const std::string& wanted) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list.at(i).get(key).asString() == wanted) return &list.at(i);
    }
    return nullptr;
}

std::string ownExecutable() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring full(path);
    return fs::toUtf8(full.substr(full.find_last_of(L'\\') + 1));
}

TEST(LiveProviders, FindThisProcessWithItsIdAndCommandLine) {
    const MavelLibrary library(liveFolder());
    const Response list = library.call("SystemProcesses");
    ASSERT_EQ(list.status, 200) << list.text;
    const pocketjson::Value* self = nullptr;
    for (std::size_t i = 0; i < list.value().size() && self == nullptr; ++i) {
        if (list.value().at(i).get("pid").intValue() == GetCurrentProcessId()) self = &list.value().at(i);
    }
    ASSERT_NE(self, nullptr) << list.text;
    EXPECT_EQ(self->get("name").asString(), ownExecutable());
    EXPECT_NE(self->get("command").asString().find("--gtest_filter=LiveProviders."), std::string::npos)
        << self->get("command").asString();

    const std::pair<std::string, bool> queries[] = {{ownExecutable(), true}, {"no-such-program-here.exe", false}};
    for (const auto& [name, running] : queries) {
        const Response one = library.call("SystemProcesses", "GET", R"({"process":")" + name + "\"}");
        ASSERT_TRUE(one.value().get("isRunning").isBoolean()) << one.text;
        EXPECT_EQ(one.value().get("isRunning").boolValue(), running) << name << ": " << one.text;
    }
}

// Entries written under the user's Uninstall key, removed again afterwards.
class PlantedApplications : public testing::Test {
protected:
    static constexpr const wchar_t* kUninstall = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    static constexpr const wchar_t* kKeys[] = {L"MavelLiveProbe", L"MavelLiveComponent"};

    void SetUp() override {
        plant(kKeys[0], L"Mavel probe caf\u00e9 \u00e9t\u00e9", 0);
        plant(kKeys[1], L"Mavel hidden component", 1);
    }
    void TearDown() override {
        for (const wchar_t* key : kKeys) RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(kUninstall) + key).c_str());
    }
    void plant(const wchar_t* key, const std::wstring& name, DWORD systemComponent) {
        HKEY opened = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (std::wstring(kUninstall) + key).c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &opened, nullptr),
                  ERROR_SUCCESS);
        const kelto::UniqueRegistryKey owner(opened);
        RegSetValueExW(opened, L"DisplayName", 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()),
                       static_cast<DWORD>((name.size() + 1) * sizeof(wchar_t)));
        RegSetValueExW(opened, L"SystemComponent", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&systemComponent),
                       sizeof systemComponent);
    }
};

TEST_F(PlantedApplications, ArriveAsUtf8AndWithoutSystemComponents) {
    const Response list = MavelLibrary(liveFolder()).call("SystemApplications");
    ASSERT_EQ(list.status, 200) << list.text;
    EXPECT_NE(findWhere(list.value(), "name", "Mavel probe café été"), nullptr) << list.text;
    EXPECT_EQ(findWhere(list.value(), "name", "Mavel hidden component"), nullptr) << list.text;
}

LRESULT CALLBACK probeProcedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    return DefWindowProcW(window, message, w, l);
}

TEST(LiveProviders, ListTheVisibleTopLevelWindowsOfThisProcess) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = probeProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"MavelLiveProbeClass";
    ASSERT_NE(RegisterClassW(&windowClass), 0);
    const struct {
        const wchar_t* title;
        DWORD style;
    } windows[] = {{L"Fen\u00eatre visible de Mavel", WS_OVERLAPPEDWINDOW | WS_VISIBLE},
                   {L"Fen\u00eatre cach\u00e9e de Mavel", WS_OVERLAPPEDWINDOW}};
    for (const auto& planted : windows) {
        ASSERT_NE(CreateWindowExW(0, windowClass.lpszClassName, planted.title, planted.style, 10, 10, 200, 100, nullptr,
                                  nullptr, windowClass.hInstance, nullptr),
                  nullptr);
    }
    const Response list = MavelLibrary(liveFolder()).call("SystemApplicationWindows");
    ASSERT_EQ(list.status, 200) << list.text;
    const pocketjson::Value* visible = findWhere(list.value(), "title", "Fenêtre visible de Mavel");
    ASSERT_NE(visible, nullptr) << list.text;
    EXPECT_EQ(visible->get("className").asString(), "MavelLiveProbeClass");
    EXPECT_EQ(visible->get("processName").asString(), ownExecutable());
    EXPECT_EQ(findWhere(list.value(), "title", "Fenêtre cachée de Mavel"), nullptr) << list.text;
}

// CTest runs this program with TZ set to a zone without daylight saving time.
TEST(LiveProviders, AnswerTheTimeZoneOfTheEnvironment) {
    const Response info = MavelLibrary(liveFolder()).call("SystemInformation", "GET", "", R"({"timeZone":1})");
    ASSERT_EQ(info.status, 200) << info.text;
    EXPECT_EQ(info.value().get("timeZone").get("offset").intValue(), 330) << info.text;
    EXPECT_EQ(info.value().get("timeZone").get("name").asString(), "India Standard Time") << info.text;
}

TEST(LiveProviders, ScreenBoundsAreThoseOfTheDisplay) {
    const MavelLibrary library(liveFolder());
    const Response screens = library.call("Screens", "PUT");
    ASSERT_EQ(screens.status, 200) << screens.text;
    ASSERT_EQ(screens.value().size(), static_cast<std::size_t>(GetSystemMetrics(SM_CMONITORS))) << screens.text;
    const pocketjson::Value* primary = nullptr;
    for (std::size_t i = 0; i < screens.value().size(); ++i) {
        if (screens.value().at(i).get("isPrimary").boolValue()) primary = &screens.value().at(i);
    }
    ASSERT_NE(primary, nullptr) << screens.text;
    const std::pair<const char*, int> bounds[] = {
        {"x", 0}, {"y", 0}, {"width", GetSystemMetrics(SM_CXSCREEN)}, {"height", GetSystemMetrics(SM_CYSCREEN)}};
    for (const auto& [key, expected] : bounds) {
        EXPECT_EQ(primary->get("bounds").get(key).intValue(), expected) << key << ": " << screens.text;
    }
    const std::string centre =
        std::to_string(GetSystemMetrics(SM_CXSCREEN) / 2) + "x" + std::to_string(GetSystemMetrics(SM_CYSCREEN) / 2);
    const Response atPoint = library.call("ScreensForPoint", "GET", R"({"point":")" + centre + "\"}");
    ASSERT_EQ(atPoint.status, 200) << atPoint.text;
    EXPECT_EQ(atPoint.value().at(0).get("bounds").get("width").intValue(), GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(library.call("ScreensForPoint", "GET", R"({"point":"-5x-5"})").status, 404);
}

// Handles outlive their lists in a host's hands; using one must be harmless.
TEST(LiveProviders, StaleHandlesFindNothing) {
    const kelto::UniqueModule carvel(
        LoadLibraryExW((liveFolder() + L"\\libcarvel2_x64.dll").c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    const kelto::UniqueModule ostrel(
        LoadLibraryExW((liveFolder() + L"\\libostrel_x64.dll").c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    ASSERT_TRUE(carvel && ostrel);
    const auto find = kelto::findExport<decltype(CrvFindScreens)>(carvel.get(), "CrvFindScreens");
    const auto release = kelto::findExport<decltype(CrvReleaseScreens)>(carvel.get(), "CrvReleaseScreens");
    const auto at = kelto::findExport<decltype(CrvGetScreenAtIndex)>(carvel.get(), "CrvGetScreenAtIndex");
    const auto bounds = kelto::findExport<decltype(CrvGetScreenBounds)>(carvel.get(), "CrvGetScreenBounds");
    ASSERT_GT(find(), 0);
    const CrvScreen old = at(0);
    ASSERT_GT(bounds(old).width, 0);
    for (const bool again : {false, true}) {
        release();
        if (again) find();  // a new list numbers its screens anew
        EXPECT_EQ(bounds(old).width, 0) << "after release" << (again ? " and a new list" : "");
    }

    const auto create =
        kelto::findExport<decltype(OstrCreateRunningProcessSnapshot)>(ostrel.get(), "OstrCreateRunningProcessSnapshot");
    const auto enumerate = kelto::findExport<decltype(OstrEnumRunningProcess)>(ostrel.get(), "OstrEnumRunningProcess");
    const auto drop = kelto::findExport<decltype(OstrReleaseSnapshot)>(ostrel.get(), "OstrReleaseSnapshot");
    const OstrHandle snapshot = create();
    ASSERT_NE(enumerate(snapshot, 0), nullptr);
    drop(snapshot);
    EXPECT_EQ(enumerate(snapshot, 0), nullptr);
    drop(snapshot);  // a second release is ignored
}

}  // namespace
