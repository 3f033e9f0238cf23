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
#include "platform/handle_owner.h"
#include "platform/path.h"

using mavel::test::MavelLibrary;
using mavel::test::Response;

namespace {

std::wstring startupFolder() {
    wchar_t folder[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_STARTUP, nullptr, SHGFP_TYPE_CURRENT, folder);
    return folder;
}

// What stands at a path: "nothing", "directory" or "file".
std::string whatIsAt(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return "nothing";
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? "directory" : "file";
}

// A link read back the way the shell does, as "target|arguments|description|icon,index"
// (the index only with an icon); empty when it cannot be read.
std::wstring readLink(const std::wstring& path) {
    kelto::ComPtr<IShellLinkW> link;
    kelto::ComPtr<IPersistFile> file;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.receive())) ||
        FAILED(link->QueryInterface(IID_IPersistFile, file.receive())) || FAILED(file->Load(path.c_str(), STGM_READ))) {
        return L"";
    }
    wchar_t target[MAX_PATH * 2] = {}, arguments[MAX_PATH * 2] = {}, description[MAX_PATH * 2] = {},
                              icon[MAX_PATH * 2] = {};
    int iconIndex = -1;
    link->GetPath(target, MAX_PATH * 2, nullptr, 0);
    link->GetArguments(arguments, MAX_PATH * 2);
    link->GetDescription(description, MAX_PATH * 2);
    link->GetIconLocation(icon, MAX_PATH * 2, &iconIndex);
    return std::wstring(target) + L"|" + arguments + L"|" + description + L"|" + icon +
           (icon[0] != 0 ? L"," + std::to_wstring(iconIndex) : L"");
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

    std::string named(const std::string& members) const { return R"({"name": ")" + name_ + "\"" + members + "}"; }
    Response put(const std::string& members) const {
        return library_.call("SystemLoginItem", "PUT", "", "", named(members));
    }

    MavelLibrary library_;
    std::string name_;
    std::wstring linkPath_;
};

}  // namespace

TEST_F(LoginItemTest, LinkHoldsTheGivenPartsIsReplacedAndRemoved) {
    wchar_t host[MAX_PATH * 4] = {};
    GetModuleFileNameW(nullptr, host, static_cast<DWORD>(std::size(host)));
    const struct {
        const char* members;
        std::wstring link;
    } steps[] = {
        {R"(, "enable": true, "executablePath": "C:\\windows\\notepad.exe", "arguments": "--minimized",
            "description": "Starts the editor", "iconPath": "C:\\windows\\notepad.exe")",
         L"C:\\windows\\notepad.exe|--minimized|Starts the editor|C:\\windows\\notepad.exe,0"},
        // Without an executable path the link starts the host; enabling again replaces the link.
        {R"(, "enable": true)", std::wstring(host) + L"|||"},
        {R"(, "enable": true, "executablePath": "C:\\windows\\regedit.exe")", L"C:\\windows\\regedit.exe|||"},
    };
    for (const auto& step : steps) {
        EXPECT_EQ(put(step.members).text, R"({"error":null,"value":null})") << step.members;
        const std::wstring link = readLink(linkPath_);
        // The shell may spell the host's folder in another case.
        EXPECT_EQ(CompareStringOrdinal(link.c_str(), -1, step.link.c_str(), -1, TRUE), CSTR_EQUAL)
            << step.members << "\n"
            << fs::toUtf8(link);
    }
    EXPECT_EQ(put(R"(, "enable": false)").status, 200);
    EXPECT_EQ(whatIsAt(linkPath_), "nothing");
}

TEST_F(LoginItemTest, OnlyTrueValuesEnable) {
    for (const char* truthy : {"true", "1", "-2", "0.5", "\"true\""}) {
        DeleteFileW(linkPath_.c_str());
        EXPECT_EQ(put(std::string(R"(, "enable": )") + truthy).status, 200) << truthy;
        EXPECT_EQ(whatIsAt(linkPath_), "file") << truthy;
    }
    for (const char* falsy : {"false", "0", "0.0", "\"TRUE\"", "\"1\"", "null", "[true]", "{\"a\": 1}", ""}) {
        ASSERT_EQ(put(R"(, "enable": true)").status, 200);
        const std::string members = *falsy ? std::string(R"(, "enable": )") + falsy : "";
        EXPECT_EQ(put(members).status, 200) << falsy;
        EXPECT_EQ(whatIsAt(linkPath_), "nothing") << falsy;
    }
}

TEST_F(LoginItemTest, FailuresAndWhatStaysInTheLinksPlace) {
    const std::string done = R"({"error":null,"value":null})";
    const std::string notSet = R"({"error":{"message":"Set login item.","name":"InternalError"},"value":null})";
    const std::string noName = R"({"error":{"message":"name is empty.","name":"BadRequestError"},"value":null})";
    const struct {
        bool directory;  // one stands in the link's place first
        std::string body;
        const std::string& answer;
    } cases[] = {
        {false, named(R"(, "enable": false)"), done},
        // A directory in the link's place is neither removed nor replaced.
        {true, named(R"(, "enable": false)"), done},
        {true, named(R"(, "enable": true)"), notSet},
        {false, R"({"name": "mavel-missing-folder/)" + name_ + R"(", "enable": true})", notSet},
        {false, R"({"name": "", "enable": true})", noName},
        {false, R"({"enable": true})", noName},
        {false, "not json", noName},
        {false, "", noName},
    };
    for (const auto& c : cases) {
        if (c.directory) {
            ASSERT_TRUE(CreateDirectoryW(linkPath_.c_str(), nullptr));
        }
        EXPECT_EQ(library_.call("SystemLoginItem", "PUT", "", "", c.body).text, c.answer) << c.body;
        EXPECT_EQ(whatIsAt(linkPath_), c.directory ? "directory" : "nothing") << c.body;
        RemoveDirectoryW(linkPath_.c_str());
    }
}
