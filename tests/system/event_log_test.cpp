// "System/EventLog/Backup" through the shipped DLL. Wine's backup writes no
// file and refuses only a destination that exists, so the tests look at
// which destination the library really asked for.

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "library_harness.h"
#include "platform/path.h"

using mavel::test::MavelLibrary;
using mavel::test::Response;

namespace {

std::wstring temporaryFolder() {
    wchar_t folder[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, folder);
    return folder;
}

std::wstring desktopFolder() {
    wchar_t folder[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_DESKTOP, nullptr, SHGFP_TYPE_CURRENT, folder);
    return folder;
}

void createFile(const std::wstring& path) {
    ASSERT_TRUE(kelto::UniqueFile(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)));
}

class EventLogBackupTest : public ::testing::Test {
protected:
    void SetUp() override {
        fileName_ = "mavel-backup-" + std::to_string(GetCurrentProcessId()) + ".evtx";
        temporaryFile_ = temporaryFolder() + fs::toUtf16(fileName_);
        desktopFile_ = desktopFolder() + L"\\" + fs::toUtf16(fileName_);
        DeleteFileW(temporaryFile_.c_str());
        DeleteFileW(desktopFile_.c_str());
    }
    void TearDown() override {
        DeleteFileW(temporaryFile_.c_str());
        DeleteFileW(desktopFile_.c_str());
    }

    Response backUp(const std::string& destination) const {
        return library_.call("SystemEventLogBackup", "POST", "", "",
                             R"({"srcPath": "Application", "dstPath": ")" + destination + R"("})");
    }

    MavelLibrary library_;
    std::string fileName_;
    std::wstring temporaryFile_;
    std::wstring desktopFile_;
};

}  // namespace

TEST_F(EventLogBackupTest, FreshDestinationSucceeds) {
    const Response response = backUp(":temporary/" + fileName_);
    EXPECT_EQ(response.text, R"({"error":null,"value":null})");
}

TEST_F(EventLogBackupTest, ExistingDestinationFailsAfterTokenResolution) {
    createFile(temporaryFile_);
    const Response response = backUp(":temporary/" + fileName_);
    EXPECT_EQ(response.status, 500);
    EXPECT_EQ(response.errorName(), "InternalError");
    EXPECT_EQ(response.errorMessage(), "Failed to backup event log.");
}

TEST_F(EventLogBackupTest, DesktopTokenNamesTheDesktopFolder) {
    EXPECT_EQ(backUp(":desktop/" + fileName_).status, 200);
    createFile(desktopFile_);
    EXPECT_EQ(backUp(":desktop/" + fileName_).status, 500);
    // The same text without its token is a relative name that does not exist.
    EXPECT_EQ(backUp(":DESKTOP/" + fileName_).status, 200);
}
