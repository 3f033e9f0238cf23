// mavel-cli: plays the bridge host for one call of the library and prints the
// answer the library handed to the host.

#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <objbase.h>
#include <shellapi.h>

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "arguments.h"
#include "bridgehost_control.h"
#include "platform/handle_owner.h"
#include "platform/path.h"
#include "pocketjson/json.h"

namespace {

using kelto::findExport;
using kelto::UniqueModule;
using mavel::cli::Invocation;

enum ExitCode : int {
    kSuccess = 0,
    kNotSuccessStatus = 1,
    kUsageError = 2,
    kLoadError = 3,
    kNoResponse = 4,
};

using ResourceExport = std::uint32_t(const char*, const char*, const char*, const char*);
using PlainExport = void();
using DisableExport = void*();
using RestoreExport = void(void*);
using LogLinesExport = const char*();

constexpr const char* kLibraryFile = "libmavel_x64.dll";
constexpr const wchar_t* kLoggingLibraryFile = L"libquillon2_x64.dll";

// The CRT's argv is in the ANSI code page; JSON texts must arrive as UTF-8.
std::vector<std::string> commandLineArguments() {
    int count = 0;
    const std::unique_ptr<LPWSTR, decltype(&LocalFree)> argv(CommandLineToArgvW(GetCommandLineW(), &count), &LocalFree);
    std::vector<std::string> arguments;
    for (int i = 1; argv && i < count; ++i) {
        arguments.push_back(fs::toUtf8(argv.get()[i]));
    }
    return arguments;
}

void writeOut(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stdout); }

void writeError(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stderr); }

std::wstring absolutePath(const std::wstring& path) {
    const DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (length == 0) {
        return path;
    }
    std::wstring full(length, L'\0');
    const DWORD written = GetFullPathNameW(path.c_str(), length, full.data(), nullptr);
    full.resize(written);
    return full;
}

bool isFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The stand-ins may read the variable through the process environment or
// through the C runtime's copy of it, which SetEnvironmentVariableW alone
// does not update; msvcrt is one module shared by all of them.
bool setWorld(const std::string& file) {
    const std::wstring path = absolutePath(fs::toUtf16(file));
    if (!isFile(path)) {
        writeError("mavel-cli: world file not found: " + fs::toUtf8(path) + "\n");
        return false;
    }
    SetEnvironmentVariableW(L"MAVEL_WORLD", path.c_str());
    _wputenv((L"MAVEL_WORLD=" + path).c_str());
    return true;
}

std::string hex(std::uintptr_t number) {
    char digits[2 * sizeof number];
    const auto result = std::to_chars(std::begin(digits), std::end(digits), number, 16);
    return "0x" + std::string(digits, result.ptr);
}

// LOAD_WITH_ALTERED_SEARCH_PATH lets a library given with --dll find its
// closed libraries in its own folder; the bridge host is found already
// loaded, so the library and this program share it.
UniqueModule loadLibrary(const Invocation& invocation) {
    const std::wstring path = invocation.dll ? absolutePath(fs::toUtf16(*invocation.dll))
                                             : fs::Path::executableDirectory().append(kLibraryFile).wide();
    UniqueModule module(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!module) {
        writeError("mavel-cli: cannot load " + fs::toUtf8(path) + " (error " + std::to_string(GetLastError()) + ")\n");
    }
    return module;
}

void reportMissingExport(std::string_view name) {
    writeError("mavel-cli: the library does not export " + std::string(name) + "\n");
}

bool isSuccessStatus(std::int32_t status) noexcept { return status >= 200 && status <= 299; }

std::string prettyAnswer(const std::string& text) {
    pocketjson::Value value;
    std::string error;
    std::string pretty;
    if (!pocketjson::parseJson(value, text, 0, &error) || !pocketjson::writeJson(value, pretty, pocketjson::kPretty)) {
        writeError("mavel-cli: the answer is not JSON that can be reprinted (" + error + "); shown as received\n");
        return text;
    }
    return pretty;
}

int callResource(HMODULE library, const Invocation& invocation) {
    const auto function = findExport<ResourceExport>(library, std::string(invocation.target->name).c_str());
    if (function == nullptr) {
        reportMissingExport(invocation.target->name);
        return kLoadError;
    }
    const std::string options = mavel::cli::optionsText(invocation.method);
    const std::uint32_t promise =
        function(options.c_str(), invocation.params.c_str(), invocation.query.c_str(), invocation.body.c_str());

    const std::int32_t count = BridgeHostResponseCount(promise);
    if (count == 0) {
        writeError("mavel-cli: " + std::string(invocation.target->name) + " returned promise " +
                   std::to_string(promise) + " but set no response for it\n");
        return kNoResponse;
    }
    if (count > 1) {
        writeError("mavel-cli: warning: promise " + std::to_string(promise) + " was answered " + std::to_string(count) +
                   " times; showing the first answer\n");
    }
    const std::int32_t status = BridgeHostResponseStatus(promise);
    const std::string text = BridgeHostResponseText(promise);
    writeOut(std::to_string(status) + "\n");
    writeOut((invocation.raw ? text : prettyAnswer(text)) + "\n");
    return isSuccessStatus(status) ? kSuccess : kNotSuccessStatus;
}

// A power handle cannot outlive this process, so disabling is followed by
// restoring at once; restoring alone can only be shown with a null handle.
int callPowerPair(HMODULE library, std::string_view name) {
    const auto restore = findExport<RestoreExport>(library, "MavelRestorePowerManagementSettings");
    if (restore == nullptr) {
        reportMissingExport("MavelRestorePowerManagementSettings");
        return kLoadError;
    }
    if (name == "MavelRestorePowerManagementSettings") {
        restore(nullptr);
        writeOut("ok\n");
        return kSuccess;
    }
    const auto disable = findExport<DisableExport>(library, "MavelDisablePowerManagementSettings");
    if (disable == nullptr) {
        reportMissingExport("MavelDisablePowerManagementSettings");
        return kLoadError;
    }
    void* const handle = disable();
    writeOut("disabled: handle " + hex(reinterpret_cast<std::uintptr_t>(handle)) + "\n");
    restore(handle);
    writeOut("restored\n");
    return kSuccess;
}

int callPlain(HMODULE library, const Invocation& invocation) {
    const std::string name(invocation.target->name);
    if (name.starts_with("Mavel") && name.ends_with("PowerManagementSettings")) {
        return callPowerPair(library, name);
    }
    const auto function = findExport<PlainExport>(library, name.c_str());
    if (function == nullptr) {
        reportMissingExport(name);
        return kLoadError;
    }
    function();
    writeOut("ok\n");
    return kSuccess;
}

void printLogLines() {
    const auto lines = findExport<LogLinesExport>(GetModuleHandleW(kLoggingLibraryFile), "QuillonStandinLines");
    const char* text = lines != nullptr ? lines() : nullptr;
    if (text == nullptr) {
        writeOut("(no logging library)\n");
        return;
    }
    pocketjson::Value list;
    if (!pocketjson::parseJson(list, text) || !list.isArray()) {
        writeError("mavel-cli: the logging library's lines are not a JSON array\n");
        return;
    }
    for (const pocketjson::Value& line : list.elements()) {
        // Appended piece by piece: GCC 12 misreads the chained + as overlapping copies.
        std::string shown = "[";
        shown.append(line.get("level").asString()).append("] ").append(line.get("message").asString()).append("\n");
        writeOut(shown);
    }
}

int run(const Invocation& invocation) {
    if (invocation.world && !setWorld(*invocation.world)) {
        return kUsageError;
    }
    const UniqueModule library = loadLibrary(invocation);
    if (!library) {
        return kLoadError;
    }
    const int result = invocation.target->kind == mavel::cli::ExportKind::Resource
                           ? callResource(library.get(), invocation)
                           : callPlain(library.get(), invocation);
    if (invocation.log && result != kLoadError) {
        printLogLines();
    }
    return result;
}

int runCommandLine() {
    const std::vector<std::string> arguments = commandLineArguments();
    const mavel::cli::ParseOutcome outcome = mavel::cli::parseArguments(arguments);
    if (!outcome.invocation) {
        writeError("mavel-cli: " + outcome.error + "\n\n" + mavel::cli::usageText());
        return kUsageError;
    }
    switch (outcome.invocation->command) {
        case mavel::cli::Command::Help: writeOut(mavel::cli::usageText()); return kSuccess;
        case mavel::cli::Command::List: writeOut(mavel::cli::listText()); return kSuccess;
        case mavel::cli::Command::Call: break;
    }
    return run(*outcome.invocation);
}

}  // namespace

int main() {
    // Answers are printed byte for byte; text mode would rewrite line breaks.
    _setmode(_fileno(stdout), _O_BINARY);
    // A web view host calls the library on a thread with COM initialised;
    // resources such as login items rely on that.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int result = kLoadError;
    try {
        result = runCommandLine();
    } catch (const std::exception& error) {
        writeError(std::string("mavel-cli: ") + error.what() + "\n");
    }
    std::fflush(stdout);
    if (SUCCEEDED(com)) CoUninitialize();
    return result;
}
