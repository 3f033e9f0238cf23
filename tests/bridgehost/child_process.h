#pragma once
// Runs a program of the build folder as a child process and collects what it
// printed, for tests of command-line tools.

#include <windows.h>

#include <string>
#include <vector>

namespace mavel::testing {

struct ChildResult {
    DWORD exitCode = 0;
    std::string out;
    std::string err;
    bool started = false;
};

// Folder of the running test executable, with a trailing backslash.
std::wstring executableFolder();

// Quotes one argument so that CommandLineToArgvW gives it back unchanged.
std::wstring quoteArgument(const std::wstring& argument);

// Runs program with arguments (UTF-16, unquoted) and waits for it to end.
// workingFolder empty means the test's own working folder.
ChildResult runChild(const std::wstring& program, const std::vector<std::wstring>& arguments,
                     const std::wstring& workingFolder = std::wstring());

}  // namespace mavel::testing
