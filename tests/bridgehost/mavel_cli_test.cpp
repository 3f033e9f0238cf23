// mavel-cli run as a child process, against the real library beside it.

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "library_harness.h"
#include "platform/handle_owner.h"

namespace {

struct CliResult {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out;
    std::string err;
};

std::wstring executableFolder() { return mavel::test::binFolder() + L"\\"; }

// Reads until the child's end is closed.
std::string drain(const kelto::UniqueKernelHandle& pipe) {
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(pipe.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
        text.append(buffer, got);
    }
    return text;
}

// An inheritable pipe whose read end stays with this process.
struct Pipe {
    kelto::UniqueKernelHandle read;
    kelto::UniqueKernelHandle write;
};

bool createPipe(Pipe& pipe) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!CreatePipe(&read, &write, &inheritable, 0)) return false;
    pipe.read.reset(read);
    pipe.write.reset(write);
    return SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0) != FALSE;
}

// Arguments are quoted whole; none of them holds a quote or ends in a backslash.
CliResult runCli(const std::vector<std::wstring>& arguments) {
    CliResult result;
    // The desktop must exist before the child starts: a child that has to
    // start Wine's desktop process first leaves its error pipe open, and the
    // reads below never end.
    if (GetDesktopWindow() == nullptr) {
        ADD_FAILURE() << "no desktop window";
        return result;
    }
    Pipe out, err;
    if (!createPipe(out) || !createPipe(err)) {
        ADD_FAILURE() << "no pipes for mavel-cli.exe";
        return result;
    }
    const std::wstring program = executableFolder() + L"mavel-cli.exe";
    std::wstring commandLine = L"mavel-cli";
    for (const std::wstring& argument : arguments) {
        commandLine += L" \"" + argument + L"\"";
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out.write.get();
    startup.hStdError = err.write.get();
    PROCESS_INFORMATION child{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &child)) {
        ADD_FAILURE() << "mavel-cli.exe could not be started";
        return result;
    }
    const kelto::UniqueKernelHandle process(child.hProcess);
    const kelto::UniqueKernelHandle thread(child.hThread);
    // Only the child may hold the write ends, or the reads never see the end.
    out.write.reset();
    err.write.reset();
    std::thread errReader([&] { result.err = drain(err.read); });
    result.out = drain(out.read);
    errReader.join();
    WaitForSingleObject(process.get(), INFINITE);
    GetExitCodeProcess(process.get(), &result.exitCode);
    return result;
}

TEST(MavelCli, UsageAndLoadErrorsExitWithACodeAndAMessageOnly) {
    struct Case {
        std::vector<std::wstring> arguments;
        DWORD exitCode;
        const char* message;
    };
    const std::wstring folder = executableFolder();
    const std::vector<Case> cases{
        {{}, 2, "no export"},
        {{L"NoSuchExport"}, 2, "unknown export NoSuchExport"},
        {{L"systeminformation"}, 2, "unknown export"},
        {{L"SystemInformation", L"--frobnicate"}, 2, "unknown option --frobnicate"},
        {{L"SystemInformation", L"-X"}, 2, "-X needs a value"},
        {{L"SystemInformation", L"--params"}, 2, "--params needs a value"},
        {{L"SystemInformation", L"Screens"}, 2, "more than one export"},
        {{L"SystemInformation", L"--world", L"no-such-world.json"}, 2, "world file not found"},
        {{L"SystemInformation", L"--dll", folder + L"no-such-library.dll"}, 3, "cannot load"},
        {{L"SystemInformation", L"--dll", folder + L"libbridgehost_x64.dll"}, 3, "does not export SystemInformation"},
    };
    for (const Case& c : cases) {
        const CliResult result = runCli(c.arguments);
        SCOPED_TRACE(c.message);
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
    }
}

TEST(MavelCli, PrintsTheStatusAndTheAnswerRawOrPretty) {
    struct Case {
        std::vector<std::wstring> arguments;
        DWORD exitCode;
        std::string out;
    };
    const std::vector<Case> cases{
        {{L"SystemInformation", L"-X", L"DELETE", L"--raw"},
         1,
         "405\n{\"error\":{\"message\":\"DELETE method is not allowed.\",\"name\":\"MethodError\"},\"value\":null}\n"},
        {{L"SystemInformation", L"-X", L"DELETE"},
         1,
         "405\n{\n  \"error\": {\n    \"message\": \"DELETE method is not allowed.\",\n"
         "    \"name\": \"MethodError\"\n  },\n  \"value\": null\n}\n"},
        // Restoring with nothing disabled answers 200 and leaves the session's settings alone.
        {{L"PowerManagementSettings", L"-X", L"DELETE", L"--raw"}, 0, "200\n{\"error\":null,\"value\":null}\n"},
        {{L"PowerManagementSettings", L"-X", L"DELETE"}, 0, "200\n{\n  \"error\": null,\n  \"value\": null\n}\n"},
    };
    for (const Case& c : cases) {
        const CliResult result = runCli(c.arguments);
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
        EXPECT_EQ(result.out, c.out);
    }
}

}  // namespace

// A refused world stops the steps but not TearDown. The world file lies in the
// working folder, which the child shares.
TEST(MavelCliWatch, RunsEveryStepAndPrintsOnlyTimedLines) {
    for (const auto& [world, exitCode, expected] :
         {std::tuple{"{}", 0u, "Setup;PUT Screens;world w.json;send session-lock;TearDown;"},
          std::tuple{"[]", 2u, "Setup;PUT Screens;world w.json;TearDown;"}}) {
        std::ofstream("w.json", std::ios::binary) << world;
        const CliResult result = runCli({L"watch", L"--seconds", L"0", L"--call", L"Screens", L"-X", L"PUT",
                                         L"--then-world", L"w.json", L"--send", L"session-lock"});
        EXPECT_EQ(result.exitCode, exitCode) << world;
        std::istringstream lines(result.out);
        std::string actions;
        for (std::string line; std::getline(lines, line);) {
            EXPECT_TRUE(
                std::regex_match(line, std::regex(R"(\d\d:\d\d:\d\d\.\d{3} (> .+|< \d{3} .+|[A-Za-z]+( .+)?)\r?)")))
                << line;
            if (line.compare(13, 2, "> ") == 0) actions += line.substr(15, line.find_last_not_of('\r') - 14) + ";";
        }
        EXPECT_EQ(actions, expected);
    }
}
