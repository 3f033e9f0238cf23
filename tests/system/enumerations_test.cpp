// The six list resources and the single-process query through the shipped
// DLL: members, conversion, and that every snapshot goes back to the library.
// This file is UTF-8, so a text written here is the UTF-8 the library must answer.

#include <gtest/gtest.h>

#include <string>

#include "library_harness.h"

using mavel::test::callCount;
using mavel::test::kOstrel;
using mavel::test::MavelLibrary;
using mavel::test::Response;

namespace {

const char* const kListExports[] = {"SystemProcesses",          "SystemUSBDevices", "SystemApplications",
                                    "SystemApplicationWindows", "SystemKEXT",       "SystemPrinters"};

const char* const kCreateFunctions[] = {
    "OstrCreateRunningProcessSnapshot",       "OstrCreateUSBDeviceSnapshot",
    "OstrCreateInstalledApplicationSnapshot", "OstrCreateCurrentApplicationWindowSnapshot",
    "OstrCreateLoadedKEXTSnapshot",           "OstrCreatePrinterSnapshot"};

int snapshotsCreated() {
    int created = 0;
    for (const char* create : kCreateFunctions) created += callCount(kOstrel, create);
    return created;
}

// Snapshots the stand-in handed out and has not had back yet.
std::int32_t liveSnapshots() {
    auto* live = kelto::findExport<std::int32_t()>(GetModuleHandleW(kOstrel), "OstrStandinLiveSnapshots");
    return live != nullptr ? live() : -1;
}

std::string answered(const std::string& value) { return R"({"error":null,"value":)" + value + "}"; }

}  // namespace

// Every text member holds a character outside ASCII, which the library must
// convert from the ANSI code page.
TEST(SystemEnumerationsLists, EveryListDescribesTheStandInMachine) {
    MavelLibrary library;
    mavel::test::loadOstrelWorld(R"({
        "processes": [{"name": "Café.exe", "pid": 12, "command": "C:\\Café\\Café.exe --x"}, {"name": "b.exe", "pid": -3}],
        "usbDevices": [{"name": "Hub é", "vendorId": -1, "productId": 65535, "bcdDevice": 256}],
        "applications": [{"name": "Éditeur"}, {"name": "Viewer"}],
        "kexts": [{"name": "k é.sys", "version": "1.é"}],
        "printers": [{"name": "Imprimante é", "driverName": "D é", "driverVersion": "V é", "isDefault": false},
                     {"name": "P2", "isDefault": true}],
        "applicationWindows": [
            {"title": "Résumé", "processName": "p é.exe", "localizedName": "L é", "className": "é", "active": true},
            {"title": "T2", "processName": "p2.exe", "localizedName": "L2", "className": "", "active": false}]
    })");
    const struct {
        const char* exportName;
        const char* value;
    } lists[] = {
        {"SystemProcesses",
         R"([{"command":"C:\\Café\\Café.exe --x","name":"Café.exe","pid":12},{"command":"","name":"b.exe","pid":-3}])"},
        {"SystemUSBDevices", R"([{"bcdDevice":256,"name":"Hub é","productId":65535,"vendorId":-1}])"},
        {"SystemApplications", R"([{"name":"Éditeur"},{"name":"Viewer"}])"},
        {"SystemKEXT", R"([{"name":"k é.sys","version":"1.é"}])"},
        {"SystemPrinters", R"([{"driverName":"D é","driverVersion":"V é","isDefault":false,"name":"Imprimante é"},)"
                           R"({"driverName":"","driverVersion":"","isDefault":true,"name":"P2"}])"},
        // A window whose class name is empty has none.
        {"SystemApplicationWindows",
         R"([{"active":true,"className":"é","localizedName":"L é","processName":"p é.exe","title":"Résumé"},)"
         R"({"active":false,"localizedName":"L2","processName":"p2.exe","title":"T2"}])"},
    };
    for (const auto& list : lists) {
        EXPECT_EQ(library.call(list.exportName).text, answered(list.value)) << list.exportName;
    }
    mavel::test::loadOstrelWorld("{}");
    for (const char* name : kListExports) EXPECT_EQ(library.call(name).text, answered("[]")) << name;
}

TEST(SystemEnumerationsSnapshots, EverySnapshotIsReleasedOnce) {
    MavelLibrary library;
    mavel::test::resetCallLog(kOstrel);
    for (const char* name : kListExports) {
        ASSERT_EQ(library.call(name).status, 200) << name;
        EXPECT_EQ(liveSnapshots(), 0) << name;
    }
    EXPECT_EQ(snapshotsCreated(), 6);
    EXPECT_EQ(callCount(kOstrel, "OstrReleaseSnapshot"), 6);
}

TEST(SystemEnumerationsProcess, NamedProcessAnswersWhetherItRunsWithoutANameTheList) {
    MavelLibrary library;
    mavel::test::loadOstrelWorld(R"({"processes": [{"name": "editor.exe", "pid": 5}, {"name": "42", "pid": 6},
                                                   {"name": "Café.exe", "pid": 7}]})");
    const std::string list = R"([{"command":"","name":"editor.exe","pid":5},{"command":"","name":"42","pid":6},)"
                             R"({"command":"","name":"Café.exe","pid":7}])";
    const struct {
        const char* params;
        std::string value;
    } cases[] = {
        {R"({"process": "editor.exe"})", R"({"isRunning":true})"},
        {R"({"process": "viewer.exe"})", R"({"isRunning":false})"},
        // A number is looked up by its decimal text, a name in the ANSI code page.
        {R"({"process": 42})", R"({"isRunning":true})"},
        {R"({"process": "Café.exe"})", R"({"isRunning":true})"},
        {"", list},
        {"{}", list},
        {R"({"process": ""})", list},
        {R"({"process": null})", list},
    };
    for (const auto& c : cases) {
        mavel::test::resetCallLog(kOstrel);
        EXPECT_EQ(library.call("SystemProcesses", "GET", c.params).text, answered(c.value)) << c.params;
        const bool listed = c.value == list;
        EXPECT_EQ(callCount(kOstrel, "OstrIsProcessRunning"), listed ? 0 : 1) << c.params;
        EXPECT_EQ(callCount(kOstrel, "OstrCreateRunningProcessSnapshot"), listed ? 1 : 0) << c.params;
    }
}

// Without the run-time functions the window list and the single-process
// query answer 404; the imported walks do not depend on them.
TEST(SystemEnumerationsOptional, LibraryWithoutRunTimeFunctionsAnswers404AndLeaksNothing) {
    MavelLibrary library(mavel::test::minimalFolder());
    mavel::test::resetCallLog(kOstrel);
    const std::string notFound =
        R"({"error":{"message":"ostrel does not have a requested function.","name":"FunctionNotFoundError"},)"
        R"("value":null})";
    const struct {
        const char* exportName;
        const char* params;
    } requests[] = {{"SystemApplicationWindows", ""}, {"SystemProcesses", R"({"process": "explorer.exe"})"}};
    for (const auto& request : requests) {
        const Response response = library.call(request.exportName, "GET", request.params);
        EXPECT_EQ(response.status, 404) << request.exportName;
        EXPECT_EQ(response.text, notFound) << request.exportName;
    }
    EXPECT_EQ(liveSnapshots(), 0);
    EXPECT_EQ(callCount(kOstrel, "OstrReleaseSnapshot"), snapshotsCreated());

    const Response processes = library.call("SystemProcesses");
    EXPECT_EQ(processes.status, 200);
    EXPECT_GT(processes.value().size(), 0u);
    EXPECT_EQ(liveSnapshots(), 0);
}
