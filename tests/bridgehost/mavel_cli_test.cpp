// mavel-cli: its argument handling in-process, and the program itself run as
// a child process, against a scripted library instead of the real one.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "arguments.h"
#include "child_process.h"
#include "pocketjson/json.h"

namespace {

using mavel::testing::ChildResult;
using mavel::testing::executableFolder;
using mavel::testing::runChild;

ChildResult runCli(const std::vector<std::wstring>& arguments, const std::wstring& workingFolder = {}) {
    ChildResult result = runChild(executableFolder() + L"mavel-cli.exe", arguments, workingFolder);
    EXPECT_TRUE(result.started) << "mavel-cli.exe could not be started";
    return result;
}

ChildResult runScripted(std::vector<std::wstring> arguments, const std::wstring& workingFolder = {}) {
    arguments.push_back(L"--dll");
    arguments.push_back(executableFolder() + L"scripted_mavel_x64.dll");
    return runCli(arguments, workingFolder);
}

std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

std::string afterFirstLine(const std::string& text) {
    const std::size_t end = text.find('\n');
    return end == std::string::npos ? std::string() : text.substr(end + 1);
}

bool mentionsUsage(const std::string& text) { return text.find("usage: mavel-cli") != std::string::npos; }

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        result.push_back(text.substr(start, end - start));
    }
    return result;
}

mavelcli::ParseOutcome parse(std::vector<std::string> arguments) { return mavelcli::parseArguments(arguments); }

// ---- argument parsing, in-process -------------------------------------------

TEST(MavelCliArguments, ResourceCallTakesEveryRequestText) {
    const auto outcome = parse({"--query", R"({"supports":1})", "ScreenAtIndex", "-X", "PUT", "--params",
                                R"({"index":0})", "--body", "{}", "--raw", "--log", "--world", "w.json"});
    ASSERT_TRUE(outcome.invocation) << outcome.error;
    const mavelcli::Invocation& call = *outcome.invocation;
    EXPECT_EQ(call.command, mavelcli::Command::Call);
    ASSERT_NE(call.target, nullptr);
    EXPECT_EQ(call.target->name, "ScreenAtIndex");
    EXPECT_EQ(call.method, "PUT");
    EXPECT_EQ(call.params, R"({"index":0})");
    EXPECT_EQ(call.query, R"({"supports":1})");
    EXPECT_EQ(call.body, "{}");
    EXPECT_TRUE(call.raw);
    EXPECT_TRUE(call.log);
    EXPECT_EQ(call.world, "w.json");
    EXPECT_FALSE(call.dll);
}

TEST(MavelCliArguments, DefaultsAreGetWithEmptyTexts) {
    const auto outcome = parse({"SystemInformation"});
    ASSERT_TRUE(outcome.invocation) << outcome.error;
    EXPECT_EQ(outcome.invocation->method, "GET");
    EXPECT_EQ(outcome.invocation->params, "");
    EXPECT_EQ(outcome.invocation->query, "");
    EXPECT_EQ(outcome.invocation->body, "");
    EXPECT_FALSE(outcome.invocation->raw);
}

TEST(MavelCliArguments, ValuesThatLookLikeOptionsAreTakenAsValues) {
    const auto outcome = parse({"SystemLoginItem", "--body", "-1", "--method", "--raw"});
    ASSERT_TRUE(outcome.invocation) << outcome.error;
    EXPECT_EQ(outcome.invocation->body, "-1");
    EXPECT_EQ(outcome.invocation->method, "--raw");
    EXPECT_FALSE(outcome.invocation->raw);
}

TEST(MavelCliArguments, UsageErrorsSayWhatIsWrong) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{}, "no export"},
        {{"Bogus"}, "unknown export Bogus"},
        {{"systeminformation"}, "unknown export"},
        {{"SystemInformation", "--frobnicate"}, "unknown option --frobnicate"},
        {{"SystemInformation", "-X"}, "-X needs a value"},
        {{"SystemInformation", "--body"}, "--body needs a value"},
        {{"SystemInformation", "--world"}, "--world needs a path"},
        {{"SystemInformation", "--dll", ""}, "--dll needs a path"},
        {{"SystemInformation", "Screens"}, "more than one export"},
    };
    for (const auto& [arguments, message] : cases) {
        const auto outcome = parse(arguments);
        EXPECT_FALSE(outcome.invocation) << message;
        EXPECT_NE(outcome.error.find(message), std::string::npos) << outcome.error;
    }
}

TEST(MavelCliArguments, HelpAndListNeedNoExport) {
    const auto commandOf = [](std::vector<std::string> arguments) {
        const auto outcome = parse(std::move(arguments));
        return outcome.invocation ? std::optional(outcome.invocation->command) : std::nullopt;
    };
    EXPECT_EQ(commandOf({"--list"}), mavelcli::Command::List);
    EXPECT_EQ(commandOf({"-h"}), mavelcli::Command::Help);
    EXPECT_EQ(commandOf({"--list", "--help"}), mavelcli::Command::Help);
}

TEST(MavelCliArguments, ExportTableHoldsNineteenResourcesAndFivePlainExports) {
    const auto table = mavelcli::exportTable();
    EXPECT_EQ(table.size(), 24u);
    EXPECT_EQ(std::ranges::count(table, mavelcli::ExportKind::Resource, &mavelcli::ExportInfo::kind), 19);
    for (const char* plain : {"Setup", "TearDown", "MavelResetSystemIdleTimer", "MavelDisablePowerManagementSettings",
                              "MavelRestorePowerManagementSettings"}) {
        ASSERT_NE(mavelcli::findExport(plain), nullptr) << plain;
        EXPECT_EQ(mavelcli::findExport(plain)->kind, mavelcli::ExportKind::Plain) << plain;
    }
}

TEST(MavelCliArguments, OptionsTextEscapesTheMethod) {
    EXPECT_EQ(mavelcli::optionsText("DELETE"), R"({"method":"DELETE"})");
    EXPECT_EQ(mavelcli::optionsText(R"(a"b\c)"), R"({"method":"a\"b\\c"})");
    EXPECT_EQ(mavelcli::optionsText("a\nb"), R"({"method":"a\nb"})");
    pocketjson::Value options;
    ASSERT_TRUE(pocketjson::parseJson(options, mavelcli::optionsText("\x01\t\"")));
    EXPECT_EQ(options.get("method").stringValue(), "\x01\t\"");
}

// ---- the program: usage ------------------------------------------------------

TEST(MavelCliUsage, BadArgumentsExitWithTwoAndShowUsageOnStderr) {
    const std::vector<std::vector<std::wstring>> cases{
        {},
        {L"NoSuchExport"},
        {L"SystemInformation", L"--frobnicate"},
        {L"SystemInformation", L"-X"},
        {L"SystemInformation", L"--params"},
        {L"SystemInformation", L"Screens"},
    };
    for (const auto& arguments : cases) {
        const ChildResult result = runCli(arguments);
        EXPECT_EQ(result.exitCode, 2u) << result.err;
        EXPECT_TRUE(mentionsUsage(result.err)) << result.err;
        EXPECT_EQ(result.out, "");
    }
}

TEST(MavelCliUsage, HelpGoesToStdoutAndSucceeds) {
    const ChildResult result = runCli({L"--help"});
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_TRUE(mentionsUsage(result.out)) << result.out;
    EXPECT_EQ(result.err, "");
}

TEST(MavelCliUsage, ListMarksEveryExportWithItsKind) {
    const ChildResult result = runCli({L"--list"});
    EXPECT_EQ(result.exitCode, 0u);
    const std::vector<std::string> listed = lines(result.out);
    ASSERT_EQ(listed.size(), 24u) << result.out;
    EXPECT_EQ(std::ranges::count_if(listed, [](const std::string& l) { return l.starts_with("resource  "); }), 19);
    EXPECT_NE(std::ranges::find(listed, "resource  SystemEventLogBackup"), listed.end());
    EXPECT_NE(std::ranges::find(listed, "plain     MavelRestorePowerManagementSettings"), listed.end());
}

TEST(MavelCliUsage, MissingLibraryExitsWithThree) {
    const ChildResult result = runCli({L"SystemInformation", L"--dll", executableFolder() + L"no-such-library.dll"});
    EXPECT_EQ(result.exitCode, 3u);
    EXPECT_NE(result.err.find("cannot load"), std::string::npos) << result.err;
}

TEST(MavelCliUsage, MissingWorldFileIsAUsageError) {
    const ChildResult result = runScripted({L"SystemInformation", L"--world", L"no-such-world.json"});
    EXPECT_EQ(result.exitCode, 2u);
    EXPECT_NE(result.err.find("world file not found"), std::string::npos) << result.err;
}

// ---- the program: calls ------------------------------------------------------

TEST(MavelCliCall, OptionsCarryTheMethodWithJsonEscaping) {
    ChildResult result = runScripted({L"SystemInformation", L"--raw"});
    EXPECT_EQ(result.exitCode, 0u) << result.err;
    EXPECT_EQ(result.out, "200\n{\"method\":\"GET\"}\n");

    result = runScripted({L"SystemInformation", L"--raw", L"-X", L"de\"l\\e"});
    EXPECT_EQ(result.out, "200\n{\"method\":\"de\\\"l\\\\e\"}\n");
}

TEST(MavelCliCall, RequestTextsArriveUnchangedAsUtf8) {
    const ChildResult result = runScripted({L"SystemProcesses", L"--raw", L"--params", L"{\"index\": 1}",
                                            L"--query", L"", L"--body", L"caf\u00e9 \"x\""});
    EXPECT_EQ(result.exitCode, 0u) << result.err;
    EXPECT_EQ(result.out, "200\n{\"index\": 1}\n\ncaf\xc3\xa9 \"x\"\n");
}

TEST(MavelCliCall, AnswerIsPrettyPrintedByDefault) {
    const ChildResult result = runScripted({L"SystemUSBDevices"});
    EXPECT_EQ(result.exitCode, 0u) << result.err;
    pocketjson::Value answer;
    ASSERT_TRUE(pocketjson::parseJson(answer, R"({"error":null,"value":[1,{"name":"Hub","ports":[]}]})"));
    EXPECT_EQ(firstLine(result.out), "200");
    EXPECT_EQ(afterFirstLine(result.out), pocketjson::toJson(answer, pocketjson::kPretty) + "\n");
    EXPECT_NE(afterFirstLine(result.out).find("\n  "), std::string::npos) << "not indented: " << result.out;
}

TEST(MavelCliCall, StatusOutsideTwoHundredsExitsWithOne) {
    const ChildResult result = runScripted({L"SystemKEXT", L"--raw"});
    EXPECT_EQ(result.exitCode, 1u);
    EXPECT_EQ(result.out,
              "404\n{\"error\":{\"message\":\"screen is not found.\",\"name\":\"NotFoundError\"},\"value\":null}\n");
}

TEST(MavelCliCall, AnswerThatIsNotJsonIsShownAsReceived) {
    const ChildResult result = runScripted({L"SystemLockState"});
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(result.out, "200\nnot json\n");
    EXPECT_NE(result.err.find("not JSON"), std::string::npos) << result.err;
}

TEST(MavelCliCall, SecondAnswerIsReportedAndTheFirstShown) {
    const ChildResult result = runScripted({L"SystemPrinters", L"--raw"});
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(result.out, "200\n[]\n");
    EXPECT_NE(result.err.find("answered 2 times"), std::string::npos) << result.err;
}

TEST(MavelCliCall, MissingAnswerExitsWithFour) {
    const ChildResult result = runScripted({L"Screens"});
    EXPECT_EQ(result.exitCode, 4u);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("set no response"), std::string::npos) << result.err;
}

TEST(MavelCliCall, MissingExportExitsWithThree) {
    const ChildResult result = runScripted({L"SystemEventLogBackup"});
    EXPECT_EQ(result.exitCode, 3u);
    EXPECT_NE(result.err.find("does not export SystemEventLogBackup"), std::string::npos) << result.err;
}

TEST(MavelCliCall, PlainExportsPrintOk) {
    ChildResult result = runScripted({L"Setup"});
    EXPECT_EQ(result.exitCode, 0u) << result.err;
    EXPECT_EQ(result.out, "ok\n");

    result = runScripted({L"MavelRestorePowerManagementSettings"});
    EXPECT_EQ(result.exitCode, 0u) << result.err;
    EXPECT_EQ(result.out, "ok\n");

    result = runScripted({L"TearDown"});
    EXPECT_EQ(result.exitCode, 3u) << "the scripted library has no TearDown";
}

TEST(MavelCliCall, DisablingPowerManagementRestoresWithTheSameHandle) {
    const ChildResult result = runScripted({L"MavelDisablePowerManagementSettings"});
    EXPECT_EQ(result.exitCode, 0u) << "70 means a foreign handle was restored";
    const std::vector<std::string> printed = lines(result.out);
    ASSERT_EQ(printed.size(), 2u) << result.out;
    EXPECT_TRUE(printed[0].starts_with("disabled: handle 0x")) << printed[0];
    EXPECT_NE(printed[0], "disabled: handle 0x0");
    EXPECT_EQ(printed[1], "restored");
}

TEST(MavelCliCall, WorldFileIsHandedOverAsAnAbsolutePath) {
    wchar_t tempFolder[MAX_PATH];
    ASSERT_NE(GetTempPathW(MAX_PATH, tempFolder), 0u);
    const std::wstring folder = tempFolder;
    const std::wstring name = L"mavel-cli-world-" + std::to_wstring(GetCurrentProcessId()) + L".json";
    std::ofstream(std::filesystem::path(folder + name)) << "{}";

    const ChildResult result = runScripted({L"SystemLoginState", L"--raw", L"--world", name}, folder);
    DeleteFileW((folder + name).c_str());

    wchar_t full[MAX_PATH];
    ASSERT_NE(GetFullPathNameW((folder + name).c_str(), MAX_PATH, full, nullptr), 0u);
    char expected[MAX_PATH * 3];
    WideCharToMultiByte(CP_ACP, 0, full, -1, expected, sizeof expected, nullptr, nullptr);
    EXPECT_EQ(result.exitCode, 0u) << result.err;
    EXPECT_EQ(result.out, "200\n" + std::string(expected) + "\n" + expected + "\n");
}

TEST(MavelCliCall, LogWithoutLoggingLibrarySaysSo) {
    const ChildResult result = runScripted({L"SystemKEXT", L"--raw", L"--log"});
    EXPECT_EQ(result.exitCode, 1u);
    EXPECT_EQ(lines(result.out).back(), "(no logging library)");
}

}  // namespace
