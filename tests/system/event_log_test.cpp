// "System/EventLog/Backup" through the shipped DLL. Wine's backup writes no
// file and refuses only a destination that exists, so the tests look at
// which destination the library really asked for.

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "library_harness.h"
#include "platform/handle_owner.h"
#include "platform/path.h"

TEST(EventLogBackup, DestinationTokensAreResolvedBeforeTheBackup) {
    const mavel::test::MavelLibrary library;
    const std::string fileName = "mavel-backup-" + std::to_string(GetCurrentProcessId()) + ".evtx";
    wchar_t temporary[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temporary);
    wchar_t desktop[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_DESKTOP, nullptr, SHGFP_TYPE_CURRENT, desktop);
    const std::wstring temporaryFile = temporary + fs::toUtf16(fileName);
    const std::wstring desktopFile = desktop + (L"\\" + fs::toUtf16(fileName));

    const std::string backedUp = R"({"error":null,"value":null})";
    const std::string refused = R"({"error":{"message":"Failed to backup event log.","name":"InternalError"},)"
                                R"("value":null})";
    const struct {
        const char* destination;
        const std::wstring* existing;  // a file created there first, or null
        const std::string& answer;
    } cases[] = {
        {":temporary/", nullptr, backedUp},
        {":temporary/", &temporaryFile, refused},
        {":desktop/", nullptr, backedUp},
        {":desktop/", &desktopFile, refused},
        // Tokens are case-sensitive: this is a relative name that does not exist.
        {":DESKTOP/", &desktopFile, backedUp},
    };
    for (const auto& c : cases) {
        DeleteFileW(temporaryFile.c_str());
        DeleteFileW(desktopFile.c_str());
        if (c.existing != nullptr) {
            ASSERT_TRUE(kelto::UniqueFile(CreateFileW(c.existing->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                      FILE_ATTRIBUTE_NORMAL, nullptr)));
        }
        const std::string body =
            R"({"srcPath": "Application", "dstPath": ")" + std::string(c.destination) + fileName + "\"}";
        EXPECT_EQ(library.call("SystemEventLogBackup", "POST", "", "", body).text, c.answer) << body;
    }
    DeleteFileW(temporaryFile.c_str());
    DeleteFileW(desktopFile.c_str());
}
