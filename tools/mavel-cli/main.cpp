// mavel-cli: plays the bridge host for one call of the library and prints the
// answer the library handed to the host, or watches the events it dispatches.

#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "arguments.h"
#include "bridgehost_control.h"
#include "cfgmgr32_control.h"
#include "devices.h"
#include "platform/handle_owner.h"
#include "platform/path.h"
#include "pocketjson/json.h"
#include "serve.h"
#include "standin_control.h"

namespace {

using kelto::findExport;
using kelto::UniqueModule;
using mavel::cli::DeviceKind;
using mavel::cli::Invocation;
using mavel::cli::Request;

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
using LoadWorldExport = std::remove_pointer_t<StandinLoadWorldFn>;
using WorldExport = std::remove_pointer_t<StandinWorldFn>;
using FireExport = std::remove_pointer_t<Cfgmgr32StandinFireFn>;

constexpr const char* kLibraryFile = "libmavel_x64.dll";
constexpr const wchar_t* kLoggingLibraryFile = L"libquillon2_x64.dll";
// The library ignores a message that follows its own start, or the previous
// message of its kind, within at most 100 ms; this leaves a margin.
constexpr DWORD kSendSpacingMs = 250;
// A device change reaches the host after the library's settling pause (at
// most 600 ms) and a rescan; a plug or unplug waits for it at most this long.
constexpr ULONGLONG kDeviceEventLimitMs = 3000;
constexpr ULONGLONG kEventPollMs = 20;
// CM_NOTIFY_ACTION_DEVICEINTERFACEARRIVAL and CM_NOTIFY_ACTION_DEVICEINTERFACEREMOVAL.
constexpr std::uint32_t kArrival = 0;
constexpr std::uint32_t kRemoval = 1;
constexpr const char* kNoStandinConfigurationManager =
    "mavel-cli: the loaded cfgmgr32.dll is not the configuration-manager stand-in, the only one that can\n"
    "report a device change; run mavel-cli with the DLL override\n"
    "  WINEDLLOVERRIDES=\"cfgmgr32=n,b;mscoree,mshtml=;winemenubuilder.exe=d\"\n";

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
std::optional<std::wstring> setWorld(const std::string& file) {
    const std::wstring path = absolutePath(fs::toUtf16(file));
    if (!isFile(path)) {
        writeError("mavel-cli: world file not found: " + fs::toUtf8(path) + "\n");
        return std::nullopt;
    }
    SetEnvironmentVariableW(L"MAVEL_WORLD", path.c_str());
    _wputenv((L"MAVEL_WORLD=" + path).c_str());
    return path;
}

std::string hex(std::uintptr_t number) {
    char digits[2 * sizeof number];
    const auto result = std::to_chars(std::begin(digits), std::end(digits), number, 16);
    return "0x" + std::string(digits, result.ptr);
}

// LOAD_WITH_ALTERED_SEARCH_PATH lets a library given with --dll or --live find its
// closed libraries in its own folder; the bridge host is found already
// loaded, so the library and this program share it.
UniqueModule loadLibrary(const Invocation& invocation) {
    const std::wstring path = invocation.dll ? absolutePath(fs::toUtf16(*invocation.dll))
                              : invocation.live
                                  ? fs::Path::executableDirectory().append("live").append(kLibraryFile).wide()
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

struct Answer {
    std::int32_t status = 0;
    std::string text;
};

// Calls a resource export as the host would and reads its first answer;
// anything else than kSuccess is reported already.
int askResource(HMODULE library, const Request& request, Answer& answer) {
    const std::string name(request.target->name);
    const auto function = findExport<ResourceExport>(library, name.c_str());
    if (function == nullptr) {
        reportMissingExport(name);
        return kLoadError;
    }
    const std::string options = mavel::cli::optionsText(request.method);
    const std::uint32_t promise =
        function(options.c_str(), request.params.c_str(), request.query.c_str(), request.body.c_str());

    const std::int32_t count = BridgeHostResponseCount(promise);
    if (count == 0) {
        writeError("mavel-cli: " + name + " returned promise " + std::to_string(promise) +
                   " but set no response for it\n");
        return kNoResponse;
    }
    if (count > 1) {
        writeError("mavel-cli: warning: promise " + std::to_string(promise) + " was answered " + std::to_string(count) +
                   " times; showing the first answer\n");
    }
    answer.status = BridgeHostResponseStatus(promise);
    answer.text = BridgeHostResponseText(promise);
    return kSuccess;
}

int callResource(HMODULE library, const Invocation& invocation) {
    Answer answer;
    if (const int failed = askResource(library, invocation.request, answer); failed != kSuccess) {
        return failed;
    }
    writeOut(std::to_string(answer.status) + "\n");
    writeOut((invocation.raw ? answer.text : prettyAnswer(answer.text)) + "\n");
    return isSuccessStatus(answer.status) ? kSuccess : kNotSuccessStatus;
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
    const std::string name(invocation.request.target->name);
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

// Local wall-clock time, so that events can be set against what was done and
// against the times they report themselves.
std::string clockText() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char text[16];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u.%03u", now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    return text;
}

// Events arrive on the library's own threads; one lock keeps lines whole and
// their times in order, and each line is out before the next thing happens.
void printLine(std::string_view what) {
    static std::mutex mutex;
    const std::lock_guard lock(mutex);
    std::string line = clockText();
    line.append(" ").append(what).append("\n");
    writeOut(line);
    std::fflush(stdout);
}

// Holds no state of its own, so a dispatch still under way when the sink is
// removed finds nothing gone.
void printEvent(const char* name, const char* payload, void* /*context*/) {
    std::string line = name != nullptr ? name : "";
    if (payload != nullptr && *payload != '\0') {
        line.append(" ").append(payload);
    }
    printLine(line);
}

// Waits the way a host's window thread does, handling messages meanwhile, in
// case the library relies on windows or timers of the thread that set it up;
// stops early once the host has recorded untilEvents events, which arrive on
// the library's threads without a message.
void pumpMessagesFor(ULONGLONG milliseconds, std::int32_t untilEvents = INT32_MAX) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (ULONGLONG now = GetTickCount64(); now < end && BridgeHostEventCount() < untilEvents; now = GetTickCount64()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min(end - now, kEventPollMs)),
                                  QS_ALLINPUT);
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

// A session message names the session it is about: mavel-cli's own.
std::int64_t sessionOf(const mavel::cli::WindowMessage& message) {
    DWORD session = 0;
    if (message.message == WM_WTSSESSION_CHANGE) {
        ProcessIdToSessionId(GetCurrentProcessId(), &session);
    }
    return session;
}

// MAVEL_WORLD is set as well, for the stand-ins the library loads later.
int loadWorldWhileWatching(const std::string& file) {
    const std::optional<std::wstring> path = setWorld(file);
    if (!path) {
        return kUsageError;
    }
    std::ifstream stream(std::filesystem::path(*path), std::ios::binary);
    const std::string world{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
    for (const wchar_t* standin : kStandinFiles) {
        const auto load = findExport<LoadWorldExport>(GetModuleHandleW(standin), "StandinLoadWorld");
        if (load != nullptr && load(world.c_str()) == 0) {
            writeError("mavel-cli: " + fs::toUtf8(standin) + " refused the world " + fs::toUtf8(*path) + "\n");
            return kUsageError;
        }
    }
    return kSuccess;
}

// The library loads some stand-ins only when it first needs them, by file
// name, which finds them beside mavel-cli: loading one from there first gives
// the library that same module, so it stays loaded as the library's would.
HMODULE standinModule(const wchar_t* file) {
    if (HMODULE loaded = GetModuleHandleW(file)) {
        return loaded;
    }
    return LoadLibraryW(fs::Path::executableDirectory().append(fs::toUtf8(file)).wide().c_str());
}

// The world section the stand-in uses now; reported when it cannot be read.
bool readSection(const DeviceKind& kind, pocketjson::Value& section) {
    const auto world = findExport<WorldExport>(standinModule(kind.standinFile), "StandinWorld");
    if (world == nullptr || !pocketjson::parseJson(section, world()) || !section.isObject()) {
        writeError("mavel-cli: cannot read the world of " + fs::toUtf8(kind.standinFile) + " through StandinWorld\n");
        return false;
    }
    return true;
}

int listDevices() {
    for (const DeviceKind& kind : mavel::cli::deviceKinds()) {
        pocketjson::Value section;
        if (!readSection(kind, section)) {
            return kLoadError;
        }
        writeOut(mavel::cli::devicesText(kind, section));
    }
    return kSuccess;
}

// The stand-in's world changes first, as the hardware does before the system
// reports it; then the step waits for the library's event, so that the next
// step's change is not part of this one's rescan.
int changeDevice(const mavel::cli::Step& step) {
    const auto fire = findExport<FireExport>(GetModuleHandleW(L"cfgmgr32.dll"), "Cfgmgr32StandinFire");
    if (fire == nullptr) {
        writeError(kNoStandinConfigurationManager);
        return kLoadError;
    }
    const DeviceKind& kind = *step.device;
    const bool plug = step.kind == mavel::cli::StepKind::Plug;
    pocketjson::Value section;
    if (!readSection(kind, section)) {
        return kLoadError;
    }
    const pocketjson::Value device =
        plug ? mavel::cli::plugDevice(kind, section) : mavel::cli::unplugDevice(kind, section);
    if (device.isNull()) {
        writeError("mavel-cli: the world has no " + std::string(kind.label) + " to unplug\n");
        return kUsageError;
    }
    printLine(std::string(plug ? "> plug " : "> unplug ") + std::string(kind.name) + " " + kind.describe(device) +
              (plug ? ": arrival of " : ": removal of ") + kind.instanceId);
    pocketjson::Value world;
    world[kind.section] = section;
    const auto load = findExport<LoadWorldExport>(standinModule(kind.standinFile), "StandinLoadWorld");
    if (load == nullptr || load(pocketjson::toJson(world).c_str()) == 0) {
        writeError("mavel-cli: " + fs::toUtf8(kind.standinFile) + " refused the changed world\n");
        return kUsageError;
    }
    const std::int32_t eventsBefore = BridgeHostEventCount();
    fire(plug ? kArrival : kRemoval, kind.instanceId);
    pumpMessagesFor(kDeviceEventLimitMs, eventsBefore + 1);
    return kSuccess;
}

int runStep(HMODULE library, const mavel::cli::Step& step) {
    switch (step.kind) {
        case mavel::cli::StepKind::Call: {
            printLine("> " + step.call.method + " " + std::string(step.call.target->name));
            Answer answer;
            const int result = askResource(library, step.call, answer);
            if (result == kSuccess) {
                printLine("< " + std::to_string(answer.status) + " " + answer.text);
            }
            return result;
        }
        case mavel::cli::StepKind::Send:
            pumpMessagesFor(kSendSpacingMs);
            printLine("> send " + std::string(step.message->kind));
            BridgeHostSendWindowMessage(step.message->message, step.message->wParam, sessionOf(*step.message));
            return kSuccess;
        case mavel::cli::StepKind::LoadWorld:
            printLine("> world " + step.world);
            return loadWorldWhileWatching(step.world);
        case mavel::cli::StepKind::Plug:
        case mavel::cli::StepKind::Unplug: return changeDevice(step);
    }
    return kSuccess;
}

// The sink is in place before Setup, so that nothing the library dispatches
// while setting up goes unseen.
int watch(HMODULE library, const Invocation& invocation) {
    const auto setup = findExport<PlainExport>(library, "Setup");
    const auto tearDown = findExport<PlainExport>(library, "TearDown");
    if (setup == nullptr || tearDown == nullptr) {
        reportMissingExport(setup == nullptr ? "Setup" : "TearDown");
        return kLoadError;
    }
    BridgeHostSetEventSink(&printEvent, nullptr);
    printLine("> Setup");
    setup();
    int result = kSuccess;
    for (const mavel::cli::Step& step : invocation.steps) {
        if ((result = runStep(library, step)) != kSuccess) {
            break;
        }
    }
    if (result == kSuccess) {
        pumpMessagesFor(static_cast<ULONGLONG>(invocation.seconds) * 1000);
    }
    printLine("> TearDown");
    tearDown();
    BridgeHostSetEventSink(nullptr, nullptr);
    return result;
}

int run(const Invocation& invocation) {
    if (invocation.world && !setWorld(*invocation.world)) {
        return kUsageError;
    }
    if (invocation.command == mavel::cli::Command::Devices) {
        return listDevices();
    }
    UniqueModule library = loadLibrary(invocation);
    if (!library) {
        return kLoadError;
    }
    int result = kSuccess;
    if (invocation.command == mavel::cli::Command::Watch) {
        result = watch(library.get(), invocation);
        // A worker the library started for an event may still be on its way
        // out after TearDown; the library stays mapped until the process ends.
        static_cast<void>(library.release());
    } else if (invocation.request.target->kind == mavel::cli::ExportKind::Resource) {
        result = callResource(library.get(), invocation);
    } else {
        result = callPlain(library.get(), invocation);
    }
    if (invocation.log && result != kLoadError) {
        printLogLines();
    }
    return result;
}

int runCommandLine() {
    const std::vector<std::string> arguments = commandLineArguments();
    if (!arguments.empty() && arguments.front() == "serve") {
        return mavel::cli::serve({arguments.begin() + 1, arguments.end()});
    }
    const mavel::cli::ParseOutcome outcome = mavel::cli::parseArguments(arguments);
    if (!outcome.invocation) {
        writeError("mavel-cli: " + outcome.error + "\n\n" + mavel::cli::usageText());
        return kUsageError;
    }
    switch (outcome.invocation->command) {
        case mavel::cli::Command::Help: writeOut(mavel::cli::usageText()); return kSuccess;
        case mavel::cli::Command::List: writeOut(mavel::cli::listText()); return kSuccess;
        case mavel::cli::Command::Call:
        case mavel::cli::Command::Watch:
        case mavel::cli::Command::Devices: break;
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
