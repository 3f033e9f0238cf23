// The shipped DLL seen from a host: its exports, and requests answered
// through the stand-in bridge host.

#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "bridgehost_control.h"
#include "library_harness.h"
#include "platform/path.h"

using mavel::test::MavelLibrary;

namespace {

const char* const kResourceExports[] = {"DeviceNotification",
                                        "Screens",
                                        "ScreenAtIndex",
                                        "ScreensForMonitor",
                                        "ScreensForPoint",
                                        "PowerManagementSettings",
                                        "SystemInformation",
                                        "SystemProcesses",
                                        "SystemUSBDevices",
                                        "SystemApplications",
                                        "SystemApplicationWindows",
                                        "SystemKEXT",
                                        "SystemPrinters",
                                        "SystemLoginState",
                                        "SystemLockState",
                                        "SystemScreenSaver",
                                        "SystemPreferredLanguage",
                                        "SystemLoginItem",
                                        "SystemEventLogBackup"};

const char* const kPlainExports[] = {"Setup", "TearDown", "MavelResetSystemIdleTimer",
                                     "MavelDisablePowerManagementSettings", "MavelRestorePowerManagementSettings"};

std::string methodError(const std::string& method) {
    return R"({"error":{"message":")" + method + R"( method is not allowed.","name":"MethodError"},"value":null})";
}

}  // namespace

TEST(Exports, ExactlyTheTwentyFourFunctions) {
    MavelLibrary library;
    std::set<std::string> expected(std::begin(kResourceExports), std::end(kResourceExports));
    expected.insert(std::begin(kPlainExports), std::end(kPlainExports));
    EXPECT_EQ(mavel::test::exportedNames(library.module()), expected);
}

TEST(Exports, NoMinGWRuntimeDllIsNeeded) {
    MavelLibrary library;
    for (const wchar_t* runtime : {L"libstdc++-6.dll", L"libgcc_s_seh-1.dll", L"libwinpthread-1.dll"}) {
        EXPECT_EQ(GetModuleHandleW(runtime), nullptr) << "loaded a runtime DLL";
    }
}

TEST(Exports, EveryResourceAnswersEveryMethodExactlyOnce) {
    MavelLibrary library;
    for (const char* name : kResourceExports) {
        for (const char* method : {"GET", "PUT", "POST", "DELETE"}) {
            // Bodies that no resource accepts: every answer must still be one
            // well-formed envelope.
            const auto response = library.call(name, method, "{}", "[]", "\x01not json");
            EXPECT_EQ(response.answers, 1) << name << " " << method;
            EXPECT_TRUE(response.json.hasKey("error") && response.json.hasKey("value")) << name << " " << method;
            EXPECT_EQ(BridgeHostLastPromise(), response.promise);
        }
    }
}

TEST(Exports, MethodsNoResourceImplementsAnswer405ByteForByte) {
    MavelLibrary library;
    // Each resource and the methods it does not serve.
    const struct {
        const char* exportName;
        std::vector<const char*> unserved;
    } resources[] = {
        {"PowerManagementSettings", {"GET"}},
        {"Screens", {"POST"}},
        {"DeviceNotification", {"POST"}},
        {"SystemInformation", {"PUT", "POST", "DELETE"}},
        {"SystemProcesses", {"PUT", "POST", "DELETE"}},
        {"SystemUSBDevices", {"PUT", "POST", "DELETE"}},
        {"SystemApplications", {"PUT", "POST", "DELETE"}},
        {"SystemApplicationWindows", {"PUT", "POST", "DELETE"}},
        {"SystemKEXT", {"PUT", "POST", "DELETE"}},
        {"SystemPrinters", {"PUT", "POST", "DELETE"}},
        {"SystemLoginState", {"PUT", "POST", "DELETE"}},
        {"SystemLockState", {"PUT", "POST", "DELETE"}},
        {"SystemScreenSaver", {"PUT", "POST"}},
        {"SystemPreferredLanguage", {"PUT", "POST", "DELETE"}},
        {"SystemLoginItem", {"GET", "POST", "DELETE"}},
        {"SystemEventLogBackup", {"GET", "PUT", "DELETE"}},
    };
    for (const auto& resource : resources) {
        for (const char* method : resource.unserved) {
            const auto response = library.call(resource.exportName, method);
            EXPECT_EQ(response.status, 405) << resource.exportName << " " << method;
            EXPECT_EQ(response.text, methodError(method)) << resource.exportName << " " << method;
        }
    }
}

// The uri of the request log line names the route of the method served, and
// nothing for a method the resource does not serve.
TEST(Exports, LogLineNamesTheRouteOfEveryServedMethod) {
    MavelLibrary library;
    // Names no one else uses; the login item is only removed, and the event
    // log copy is deleted below wherever the system wrote it.
    const std::string name = "mavel-route-" + std::to_string(GetCurrentProcessId());
    const std::string backupCopy = ":temporary/" + name + ".evtx";
    const struct {
        const char* exportName;
        const char* method;
        std::string params;
        std::string body;
        const char* route;
    } cases[] = {
        // POST first and DELETE last give the session its power settings back.
        {"PowerManagementSettings", "POST", "", "", "PowerManagementSettings"},
        {"PowerManagementSettings", "PUT", "", "", "PowerManagementSettings"},
        {"PowerManagementSettings", "DELETE", "", "", "PowerManagementSettings"},
        {"SystemInformation", "GET", "", "", "System/Information"},
        {"SystemProcesses", "GET", "", "", "System/Processes"},
        {"SystemProcesses", "GET", R"({"process":"Café.exe"})", "", "System/Processes/Caf\xC3\xA9.exe"},
        {"SystemUSBDevices", "GET", "", "", "System/USBDevices"},
        {"SystemApplications", "GET", "", "", "System/Applications"},
        {"SystemApplicationWindows", "GET", "", "", "System/ApplicationWindows"},
        {"SystemKEXT", "GET", "", "", "System/KEXT"},
        {"SystemPrinters", "GET", "", "", "System/Printers"},
        {"SystemLoginState", "GET", "", "", "System/LoginState"},
        {"SystemLockState", "GET", "", "", "System/LockState"},
        {"SystemScreenSaver", "GET", "", "", "System/ScreenSaver"},
        {"SystemScreenSaver", "DELETE", "", "", "System/ScreenSaver"},
        {"SystemPreferredLanguage", "GET", "", "", "System/PreferredLanguage"},
        {"SystemLoginItem", "PUT", "", R"({"name":")" + name + R"(","enable":false})", "System/LoginItem"},
        {"SystemEventLogBackup", "POST", "", R"({"srcPath":"Application","dstPath":")" + backupCopy + "\"}",
         "System/EventLog/Backup"},
        {"Screens", "PUT", "", "", "Screens"},
        {"Screens", "GET", "", "", "Screens"},
        // Single screens name their route before anything can fail.
        {"ScreenAtIndex", "GET", R"({"index":7})", "", "Screens/7"},
        {"ScreenAtIndex", "PUT", R"({"index":"x"})", "", "Screens/x"},
        {"ScreensForMonitor", "DELETE", R"({"serial":"S","product":"P"})", "", "Screens/P/S"},
        {"ScreensForPoint", "GET", R"({"point":"1x2x3"})", "", "Screens/1x2x3"},
        {"Screens", "DELETE", "", "", "Screens"},
        {"DeviceNotification", "GET", "", "", "DeviceNotification"},
        {"DeviceNotification", "PUT", "", "", "DeviceNotification"},
        {"DeviceNotification", "DELETE", "", "", "DeviceNotification"},
        {"SystemInformation", "DELETE", "", "", ""},
    };
    for (const auto& c : cases) {
        mavel::test::clearLog();
        library.call(c.exportName, c.method, c.params, "", c.body);
        EXPECT_EQ(mavel::test::lastLoggedUri(), std::string("/mavel.internal/") + c.route)
            << c.exportName << " " << c.method;
    }
    DeleteFileW(fs::Path::resolve(backupCopy).wide().c_str());
}

TEST(Exports, HostileTextsGetWellFormedAnswers) {
    MavelLibrary library;
    const std::string deep(200'000, '[');
    const std::string braces(200'000, '{');
    const std::string unterminated = "\"" + std::string(100'000, 'a');
    const std::string invalidUtf8 = "\"\xff\xfe\xc3\"";
    for (const std::string* text : {&deep, &braces, &unterminated, &invalidUtf8}) {
        const auto response =
            library.callRaw("SystemInformation", text->c_str(), text->c_str(), text->c_str(), text->c_str());
        EXPECT_EQ(response.answers, 1);
        EXPECT_TRUE(response.json.isObject());
    }
}
