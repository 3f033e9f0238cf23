// "System/LoginItem" through the shipped DLL: the link file in the Startup
// folder, read back through the shell's own link object.

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>

#include "library_harness.h"
#include "platform/path.h"

using mavel::test::MavelLibrary;
using mavel::test::Response;

namespace {

std::wstring startupFolder() {
    wchar_t folder[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_STARTUP, nullptr, SHGFP_TYPE_CURRENT, folder);
    return folder;
}

std::wstring hostExecutable() {
    wchar_t file[MAX_PATH * 4] = {};
    GetModuleFileNameW(nullptr, file, static_cast<DWORD>(std::size(file)));
    return file;
}

bool isFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

struct LinkContents {
    std::wstring target;
    std::wstring arguments;
    std::wstring description;
    std::wstring iconPath;
    int iconIndex = -1;
};

// Reads a link back the way the shell does; empty contents when it cannot.
LinkContents readLink(const std::wstring& path) {
    LinkContents contents;
    kelto::ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.receive()))) {
        return contents;
    }
    kelto::ComPtr<IPersistFile> file;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.receive()))) {
        if (SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
            wchar_t buffer[MAX_PATH * 2] = {};
            if (SUCCEEDED(link->GetPath(buffer, MAX_PATH * 2, nullptr, 0))) contents.target = buffer;
            buffer[0] = 0;
            if (SUCCEEDED(link->GetArguments(buffer, MAX_PATH * 2))) contents.arguments = buffer;
            buffer[0] = 0;
            if (SUCCEEDED(link->GetDescription(buffer, MAX_PATH * 2))) contents.description = buffer;
            buffer[0] = 0;
            if (SUCCEEDED(link->GetIconLocation(buffer, MAX_PATH * 2, &contents.iconIndex))) contents.iconPath = buffer;
        }
    }
    return contents;
}

class LoginItemTest : public ::testing::Test {
protected:
    // The library leaves COM to the thread that serves the request.
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        name_ = "mavel-login-item-" + std::to_string(GetCurrentProcessId());
        linkPath_ = startupFolder() + L"\\" + fs::toUtf16(name_) + L".lnk";
        DeleteFileW(linkPath_.c_str());
    }
    void TearDown() override {
        DeleteFileW(linkPath_.c_str());
        RemoveDirectoryW(linkPath_.c_str());
        CoUninitialize();
    }

    Response put(const std::string& members) const {
        return library_.call("SystemLoginItem", "PUT", "", "", R"({"name": ")" + name_ + "\"" + members + "}");
    }

    MavelLibrary library_;
    std::string name_;
    std::wstring linkPath_;
};

}  // namespace

TEST_F(LoginItemTest, CreatesTheLinkWithEveryGivenPartAndRemovesIt) {
    const Response created = put(R"(, "enable": true, "executablePath": "C:\\windows\\notepad.exe",
        "arguments": "--minimized", "description": "Starts the editor", "iconPath": "C:\\windows\\notepad.exe")");
    EXPECT_EQ(created.text, R"({"error":null,"value":null})");
    ASSERT_TRUE(isFile(linkPath_));
    const LinkContents link = readLink(linkPath_);
    EXPECT_EQ(link.target, L"C:\\windows\\notepad.exe");
    EXPECT_EQ(link.arguments, L"--minimized");
    EXPECT_EQ(link.description, L"Starts the editor");
    EXPECT_EQ(link.iconPath, L"C:\\windows\\notepad.exe");
    EXPECT_EQ(link.iconIndex, 0);

    const Response removed = put(R"(, "enable": false)");
    EXPECT_EQ(removed.status, 200);
    EXPECT_FALSE(isFile(linkPath_));
}

TEST_F(LoginItemTest, LinkPointsAtTheHostWithoutAnExecutablePath) {
    ASSERT_EQ(put(R"(, "enable": true)").status, 200);
    const LinkContents link = readLink(linkPath_);
    EXPECT_EQ(CompareStringOrdinal(link.target.c_str(), -1, hostExecutable().c_str(), -1, TRUE), CSTR_EQUAL)
        << fs::toUtf8(link.target);
    EXPECT_EQ(link.arguments, L"");
    EXPECT_EQ(link.description, L"");
}

TEST_F(LoginItemTest, EnablingAgainReplacesTheLink) {
    ASSERT_EQ(put(R"(, "enable": true, "executablePath": "C:\\windows\\notepad.exe")").status, 200);
    ASSERT_EQ(put(R"(, "enable": true, "executablePath": "C:\\windows\\regedit.exe")").status, 200);
    EXPECT_EQ(readLink(linkPath_).target, L"C:\\windows\\regedit.exe");
}

TEST_F(LoginItemTest, OnlyTrueValuesEnable) {
    for (const char* truthy : {"true", "1", "-2", "0.5", "\"true\""}) {
        DeleteFileW(linkPath_.c_str());
        EXPECT_EQ(put(std::string(R"(, "enable": )") + truthy).status, 200) << truthy;
        EXPECT_TRUE(isFile(linkPath_)) << truthy;
    }
    for (const char* falsy : {"false", "0", "0.0", "\"TRUE\"", "\"1\"", "null", "[true]", "{\"a\": 1}"}) {
        ASSERT_EQ(put(R"(, "enable": true)").status, 200);
        EXPECT_EQ(put(std::string(R"(, "enable": )") + falsy).status, 200) << falsy;
        EXPECT_FALSE(isFile(linkPath_)) << falsy;
    }
    ASSERT_EQ(put(R"(, "enable": true)").status, 200);
    EXPECT_EQ(put("").status, 200);
    EXPECT_FALSE(isFile(linkPath_)) << "absent enable";
}

TEST_F(LoginItemTest, RemovingAMissingLinkSucceeds) {
    ASSERT_FALSE(isFile(linkPath_));
    EXPECT_EQ(put(R"(, "enable": false)").text, R"({"error":null,"value":null})");
}

TEST_F(LoginItemTest, DirectoryInTheLinksPlaceIsNeitherRemovedNorReplaced) {
    ASSERT_TRUE(CreateDirectoryW(linkPath_.c_str(), nullptr));
    EXPECT_EQ(put(R"(, "enable": false)").status, 200);
    const Response create = put(R"(, "enable": true)");
    EXPECT_EQ(create.status, 500);
    EXPECT_EQ(create.errorName(), "InternalError");
    EXPECT_EQ(create.errorMessage(), "Set login item.");
    const DWORD attributes = GetFileAttributesW(linkPath_.c_str());
    EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST_F(LoginItemTest, NameInAMissingSubfolderFailsToSave) {
    const std::string body = R"({"name": "mavel-missing-folder/)" + name_ + R"(", "enable": true})";
    const Response response = library_.call("SystemLoginItem", "PUT", "", "", body);
    EXPECT_EQ(response.status, 500);
    EXPECT_EQ(response.errorMessage(), "Set login item.");
}

TEST_F(LoginItemTest, EmptyNameIsABadRequest) {
    for (const char* body : {R"({"name": "", "enable": true})", R"({"enable": true})", "not json", ""}) {
        const Response response = library_.call("SystemLoginItem", "PUT", "", "", body);
        EXPECT_EQ(response.status, 400) << body;
        EXPECT_EQ(response.errorName(), "BadRequestError") << body;
        EXPECT_EQ(response.errorMessage(), "name is empty.") << body;
    }
}
