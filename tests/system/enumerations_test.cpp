// The six list resources and the single-process query through the shipped
// DLL: members, conversion, and that every snapshot goes back to the library.

#include <gtest/gtest.h>

#include <string>

#include "library_harness.h"

using mavel::test::callCount;
using mavel::test::kOstrel;
using mavel::test::MavelLibrary;
using mavel::test::Response;
using pocketjson::Value;

namespace {

const char* const kListExports[] = {"SystemProcesses", "SystemUSBDevices", "SystemApplications",
                                    "SystemApplicationWindows", "SystemKEXT", "SystemPrinters"};

const char* const kCreateFunctions[] = {"OstrCreateRunningProcessSnapshot", "OstrCreateUSBDeviceSnapshot",
                                        "OstrCreateInstalledApplicationSnapshot",
                                        "OstrCreateCurrentApplicationWindowSnapshot", "OstrCreateLoadedKEXTSnapshot",
                                        "OstrCreatePrinterSnapshot"};

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

Response getList(const MavelLibrary& library, const char* exportName) { return library.call(exportName, "GET"); }

Response queryProcess(const MavelLibrary& library, const std::string& params) {
    return library.call("SystemProcesses", "GET", params);
}

}  // namespace

TEST(SystemEnumerationsLists, ProcessesUsbDevicesApplicationsKextsAndPrinters) {
    MavelLibrary library;
    mavel::test::loadOstrelWorld(R"({
        "processes": [{"name": "a.exe", "pid": 12, "command": "a.exe --x"}, {"name": "b.exe", "pid": -3}],
        "usbDevices": [{"name": "Hub", "vendorId": -1, "productId": 65535, "bcdDevice": 256}],
        "applications": [{"name": "Editor"}, {"name": "Viewer"}],
        "kexts": [{"name": "k.sys", "version": "1.0"}],
        "printers": [{"name": "P1", "driverName": "D1", "driverVersion": "V1", "isDefault": false},
                     {"name": "P2", "isDefault": true}]
    })");

    const Value processes = getList(library, "SystemProcesses").value();
    ASSERT_EQ(processes.size(), 2u);
    EXPECT_EQ(processes.at(0).get("name").asString(), "a.exe");
    EXPECT_EQ(processes.at(0).get("pid").intValue(), 12);
    EXPECT_EQ(processes.at(0).get("command").asString(), "a.exe --x");
    EXPECT_EQ(processes.at(1).get("pid").intValue(), -3);
    EXPECT_EQ(processes.at(1).get("command").asString(), "");

    const Value devices = getList(library, "SystemUSBDevices").value();
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices.at(0).get("vendorId").intValue(), -1);
    EXPECT_EQ(devices.at(0).get("productId").intValue(), 65535);
    EXPECT_EQ(devices.at(0).get("bcdDevice").intValue(), 256);

    const Value applications = getList(library, "SystemApplications").value();
    ASSERT_EQ(applications.size(), 2u);
    EXPECT_EQ(applications.at(1).get("name").asString(), "Viewer");

    const Value kexts = getList(library, "SystemKEXT").value();
    ASSERT_EQ(kexts.size(), 1u);
    EXPECT_EQ(kexts.at(0).get("version").asString(), "1.0");

    const Value printers = getList(library, "SystemPrinters").value();
    ASSERT_EQ(printers.size(), 2u);
    EXPECT_EQ(printers.at(0).get("driverName").asString(), "D1");
    EXPECT_TRUE(printers.at(0).get("isDefault").isBoolean());
    EXPECT_FALSE(printers.at(0).get("isDefault").boolValue());
    EXPECT_TRUE(printers.at(1).get("isDefault").boolValue());
}

TEST(SystemEnumerationsLists, WindowsWithoutClassNameLeaveThatMemberOut) {
    MavelLibrary library;
    mavel::test::loadOstrelWorld(R"({"applicationWindows": [
        {"title": "T1", "processName": "p1.exe", "localizedName": "L1", "className": "C1", "active": true},
        {"title": "T2", "processName": "p2.exe", "localizedName": "L2", "className": "", "active": false}]})");
    const Response response = getList(library, "SystemApplicationWindows");
    ASSERT_EQ(response.status, 200);
    const Value& windows = response.value();
    ASSERT_EQ(windows.size(), 2u);
    EXPECT_EQ(windows.at(0).get("className").asString(), "C1");
    EXPECT_TRUE(windows.at(0).get("active").boolValue());
    EXPECT_FALSE(windows.at(1).hasKey("className"));
    EXPECT_EQ(windows.at(1).get("title").asString(), "T2");
    EXPECT_EQ(windows.at(1).get("localizedName").asString(), "L2");
    EXPECT_TRUE(windows.at(1).get("active").isBoolean());
    EXPECT_FALSE(windows.at(1).get("active").boolValue());
}

TEST(SystemEnumerationsLists, EmptyWorldAnswersEmptyArrays) {
    MavelLibrary library;
    mavel::test::loadOstrelWorld("{}");
    for (const char* name : kListExports) {
        const Response response = getList(library, name);
        EXPECT_EQ(response.status, 200) << name;
        EXPECT_TRUE(response.value().isArray()) << name;
        EXPECT_EQ(response.value().size(), 0u) << name;
    }
}

TEST(SystemEnumerationsLists, AnsiNamesArriveAsUtf8) {
    MavelLibrary library;
    mavel::test::loadOstrelWorld(R"({
        "processes": [{"name": "Café.exe", "pid": 1, "command": "C:\\Café\\Café.exe"}],
        "printers": [{"name": "Imprimante é"}],
        "applicationWindows": [{"title": "Résumé", "className": "é"}]
    })");
    const Value process = getList(library, "SystemProcesses").value().at(0);
    EXPECT_EQ(process.get("name").asString(), "Caf\xC3\xA9.exe");
    EXPECT_EQ(process.get("command").asString(), "C:\\Caf\xC3\xA9\\Caf\xC3\xA9.exe");
    EXPECT_EQ(getList(library, "SystemPrinters").value().at(0).get("name").asString(), "Imprimante \xC3\xA9");
    const Value window = getList(library, "SystemApplicationWindows").value().at(0);
    EXPECT_EQ(window.get("title").asString(), "R\xC3\xA9sum\xC3\xA9");
    EXPECT_EQ(window.get("className").asString(), "\xC3\xA9");
}

TEST(SystemEnumerationsSnapshots, EverySnapshotIsReleasedOnce) {
    MavelLibrary library;
    mavel::test::resetCallLog(kOstrel);
    for (const char* name : kListExports) {
        ASSERT_EQ(getList(library, name).status, 200) << name;
        EXPECT_EQ(liveSnapshots(), 0) << name;
    }
    EXPECT_EQ(snapshotsCreated(), 6);
    EXPECT_EQ(callCount(kOstrel, "OstrReleaseSnapshot"), 6);
}

TEST(SystemEnumerationsSnapshots, MissingWindowFunctionsAnswer404AndLeakNothing) {
    MavelLibrary library(mavel::test::minimalFolder());
    mavel::test::resetCallLog(kOstrel);
    const Response response = getList(library, "SystemApplicationWindows");
    EXPECT_EQ(response.status, 404);
    EXPECT_EQ(response.errorName(), "FunctionNotFoundError");
    EXPECT_EQ(response.errorMessage(), "ostrel does not have a requested function.");
    EXPECT_EQ(liveSnapshots(), 0);
    EXPECT_EQ(callCount(kOstrel, "OstrReleaseSnapshot"), snapshotsCreated());

    // The imported walks do not depend on the run-time functions.
    const Response processes = getList(library, "SystemProcesses");
    EXPECT_EQ(processes.status, 200);
    EXPECT_GT(processes.value().size(), 0u);
    EXPECT_EQ(liveSnapshots(), 0);
}

TEST(SystemEnumerationsProcess, NamedProcessAnswersWhetherItRuns) {
    MavelLibrary library;
    mavel::test::loadOstrelWorld(R"({"processes": [{"name": "editor.exe", "pid": 5}, {"name": "42", "pid": 6}]})");
    mavel::test::resetCallLog(kOstrel);

    const Response running = queryProcess(library, R"({"process": "editor.exe"})");
    EXPECT_EQ(running.status, 200);
    EXPECT_EQ(running.text, R"({"error":null,"value":{"isRunning":true}})");
    EXPECT_EQ(queryProcess(library, R"({"process": "viewer.exe"})").text,
              R"({"error":null,"value":{"isRunning":false}})");
    // A number is looked up by its decimal text.
    EXPECT_TRUE(queryProcess(library, R"({"process": 42})").value().get("isRunning").boolValue());

    EXPECT_EQ(callCount(kOstrel, "OstrIsProcessRunning"), 3);
    EXPECT_EQ(callCount(kOstrel, "OstrCreateRunningProcessSnapshot"), 0);
}

TEST(SystemEnumerationsProcess, NameIsConvertedToTheAnsiCodePage) {
    MavelLibrary library;
    mavel::test::loadOstrelWorld(R"({"processes": [{"name": "Café.exe", "pid": 5}]})");
    EXPECT_TRUE(queryProcess(library, R"({"process": "Café.exe"})").value().get("isRunning").boolValue());
}

TEST(SystemEnumerationsProcess, AbsentOrEmptyNameListsEveryProcess) {
    MavelLibrary library;
    mavel::test::loadOstrelWorld(R"({"processes": [{"name": "editor.exe", "pid": 5}]})");
    for (const char* params : {"", "{}", R"({"process": ""})", R"({"process": null})"}) {
        const Response response = queryProcess(library, params);
        ASSERT_TRUE(response.value().isArray()) << params;
        EXPECT_EQ(response.value().at(0).get("name").asString(), "editor.exe") << params;
    }
}

TEST(SystemEnumerationsProcess, LibraryWithoutTheFunctionAnswers404ForOneProcessOnly) {
    MavelLibrary library(mavel::test::minimalFolder());
    const Response one = queryProcess(library, R"({"process": "explorer.exe"})");
    EXPECT_EQ(one.status, 404);
    EXPECT_EQ(one.errorName(), "FunctionNotFoundError");
    EXPECT_EQ(one.errorMessage(), "ostrel does not have a requested function.");
    EXPECT_EQ(queryProcess(library, "").status, 200);
}
