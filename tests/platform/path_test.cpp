// Paths: normalisation, joining and the special-folder tokens, checked
// against the folders Windows itself reports.

#include <gtest/gtest.h>

#include <windows.h>
#include <icm.h>
#include <shlobj.h>

#include "platform/path.h"

using fs::Path;

namespace {

std::string shellFolderOf(int csidl) {
    wchar_t buffer[MAX_PATH] = {};
    if (SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer) != S_OK) return "";
    return fs::toUtf8(buffer);
}

std::string executableFolder() {
    wchar_t buffer[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    std::wstring path(buffer);
    return fs::toUtf8(path.substr(0, path.rfind(L'\\')));
}

}  // namespace

TEST(PathNormalisation, SeparatorsAndOneTrailingSeparator) {
    EXPECT_EQ(Path("C:/data/").text(), "C:\\data");
    EXPECT_EQ(Path("C:\\").text(), "C:");
    EXPECT_EQ(Path("C:\\data\\\\").text(), "C:\\data\\");
    EXPECT_EQ(Path("a/b/c").text(), "a\\b\\c");
    EXPECT_EQ(Path("").text(), "");
    EXPECT_EQ(Path("/").text(), "");
}

TEST(PathJoining, OneLeadingSeparatorOfTheSegmentIsDropped) {
    const Path base("C:\\data");
    EXPECT_EQ(base.append("\\report.evtx").text(), base.append("report.evtx").text());
    EXPECT_EQ(base.append("/report.evtx").text(), "C:\\data\\report.evtx");
    EXPECT_EQ(base.append("sub/name.lnk").text(), "C:\\data\\sub\\name.lnk");
    EXPECT_EQ(base.append("").text(), "C:\\data");
}

TEST(PathConversion, Utf8RoundTripsThroughUtf16) {
    const std::string text = "C:\\caf\xC3\xA9\\\xE6\x97\xA5\xE6\x9C\xAC\\\xF0\x9F\x98\x80";
    const std::wstring wide = fs::toUtf16(text);
    EXPECT_EQ(wide, L"C:\\caf\u00e9\\\u65e5\u672c\\\U0001F600");
    EXPECT_EQ(fs::toUtf8(wide), text);
    EXPECT_EQ(fs::toUtf16(""), L"");
}

TEST(SpecialFolders, MatchWhatWindowsReports) {
    EXPECT_EQ(Path::shellFolder(CSIDL_DESKTOP).text(), shellFolderOf(CSIDL_DESKTOP));
    EXPECT_FALSE(Path::shellFolder(CSIDL_STARTUP).empty());
    EXPECT_EQ(Path::executableDirectory().text(), executableFolder());

    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    EXPECT_EQ(Path::temporaryDirectory().text(), Path(fs::toUtf8(temp)).text());

    wchar_t color[MAX_PATH] = {};
    DWORD size = sizeof color;
    ASSERT_TRUE(GetColorDirectoryW(nullptr, color, &size));
    EXPECT_EQ(Path::colorDirectory().text(), Path(fs::toUtf8(color)).text());
}

TEST(TokenResolution, TokensAnywhereAndRepeatedAreReplaced) {
    const std::string desktop = shellFolderOf(CSIDL_DESKTOP);
    EXPECT_EQ(Path::resolve(":desktop/report.evtx").text(), desktop + "\\report.evtx");
    EXPECT_EQ(Path::resolve("x/:desktop/y").text(), "x\\" + desktop + "\\y");
    EXPECT_EQ(Path::resolve(":desktop|:desktop").text(), desktop + "|" + desktop);
    EXPECT_EQ(Path::resolve(":home").text(), shellFolderOf(CSIDL_PROFILE));
    EXPECT_EQ(Path::resolve(":system_root").text(), shellFolderOf(CSIDL_WINDOWS));
    EXPECT_EQ(Path::resolve(":user_application_data").text(), shellFolderOf(CSIDL_APPDATA));
    EXPECT_EQ(Path::resolve(":common_application_data").text(), shellFolderOf(CSIDL_COMMON_APPDATA));
    EXPECT_EQ(Path::resolve(":bundle").text(), Path::resolve(":executable").text());
    EXPECT_EQ(Path::resolve(":user_color_profile").text(), Path::colorDirectory().text());
}

TEST(TokenResolution, TokensAreCaseSensitiveAndNeedTheirColon) {
    EXPECT_EQ(Path::resolve(":DESKTOP/a").text(), ":DESKTOP\\a");
    EXPECT_EQ(Path::resolve("desktop/a").text(), "desktop\\a");
    EXPECT_EQ(Path::resolve("C:/plain/").text(), "C:\\plain");
}
