#include "arguments.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <utility>

#include "pocketjson/json.h"

namespace mavel::cli {

namespace {

constexpr std::array<ExportInfo, 24> kExports{{
    {"DeviceNotification", ExportKind::Resource},
    {"Screens", ExportKind::Resource},
    {"ScreenAtIndex", ExportKind::Resource},
    {"ScreensForMonitor", ExportKind::Resource},
    {"ScreensForPoint", ExportKind::Resource},
    {"PowerManagementSettings", ExportKind::Resource},
    {"SystemInformation", ExportKind::Resource},
    {"SystemProcesses", ExportKind::Resource},
    {"SystemUSBDevices", ExportKind::Resource},
    {"SystemApplications", ExportKind::Resource},
    {"SystemApplicationWindows", ExportKind::Resource},
    {"SystemKEXT", ExportKind::Resource},
    {"SystemPrinters", ExportKind::Resource},
    {"SystemLoginState", ExportKind::Resource},
    {"SystemLockState", ExportKind::Resource},
    {"SystemScreenSaver", ExportKind::Resource},
    {"SystemPreferredLanguage", ExportKind::Resource},
    {"SystemLoginItem", ExportKind::Resource},
    {"SystemEventLogBackup", ExportKind::Resource},
    {"Setup", ExportKind::Plain},
    {"TearDown", ExportKind::Plain},
    {"MavelResetSystemIdleTimer", ExportKind::Plain},
    {"MavelDisablePowerManagementSettings", ExportKind::Plain},
    {"MavelRestorePowerManagementSettings", ExportKind::Plain},
}};

// WM_DISPLAYCHANGE, WM_TIMECHANGE and WM_WTSSESSION_CHANGE with its WTS_* codes.
constexpr std::array<WindowMessage, 6> kWindowMessages{{
    {"display-change", 0x7E, 0},
    {"time-change", 0x1E, 0},
    {"session-lock", 0x2B1, 7},
    {"session-unlock", 0x2B1, 8},
    {"console-connect", 0x2B1, 1},
    {"console-disconnect", 0x2B1, 2},
}};

constexpr int kMaxSeconds = 86400;

// Options that take the next argument as a request text, and where it goes.
constexpr std::array<std::pair<std::string_view, std::string Request::*>, 5> kRequestOptions{{
    {"-X", &Request::method},
    {"--method", &Request::method},
    {"--params", &Request::params},
    {"--query", &Request::query},
    {"--body", &Request::body},
}};

std::string Request::*requestSlot(std::string_view option) {
    const auto found =
        std::ranges::find(kRequestOptions, option, &std::pair<std::string_view, std::string Request::*>::first);
    return found != kRequestOptions.end() ? found->second : nullptr;
}

// The request that request texts fill: the call's own, or under watch the
// --call just before them (none when the last step is not a call).
Request* currentRequest(Invocation& invocation) {
    if (invocation.command != Command::Watch) {
        return &invocation.request;
    }
    if (invocation.steps.empty() || invocation.steps.back().kind != StepKind::Call) {
        return nullptr;
    }
    return &invocation.steps.back().call;
}

std::optional<std::string>* optionalValueSlot(Invocation& invocation, std::string_view option) {
    if (option == "--world") {
        return &invocation.world;
    }
    if (option == "--dll") {
        return &invocation.dll;
    }
    return nullptr;
}

// A watch prints answers as the library sent them, so --raw means nothing there.
bool* switchSlot(Invocation& invocation, std::string_view option) {
    if (option == "--raw" && invocation.command != Command::Watch) {
        return &invocation.raw;
    }
    if (option == "--log") {
        return &invocation.log;
    }
    if (option == "--live") {
        return &invocation.live;
    }
    return nullptr;
}

bool isWatchOption(std::string_view option) {
    return option == "--call" || option == "--send" || option == "--then-world" || option == "--seconds" ||
           option == "--plug" || option == "--unplug";
}

// Device events flow only once the library watches devices, so the first
// --plug or --unplug brings a PUT DeviceNotification unless one came before.
void watchDevices(Invocation& invocation) {
    const bool watching = std::ranges::any_of(invocation.steps, [](const Step& step) {
        return step.kind == StepKind::Call && step.call.target->name == "DeviceNotification" &&
               step.call.method == "PUT";
    });
    if (watching) return;
    Step step;
    step.call.target = findExport("DeviceNotification");
    step.call.method = "PUT";
    invocation.steps.push_back(std::move(step));
}

// Takes in one watch option with its value; the reason when the value is not usable.
std::string addWatchOption(Invocation& invocation, std::string_view option, const std::string& value) {
    if (option == "--seconds") {
        const char* const end = value.data() + value.size();
        int seconds = -1;
        const auto [stop, error] = std::from_chars(value.data(), end, seconds);
        if (error != std::errc() || stop != end || seconds < 0 || seconds > kMaxSeconds) {
            return "--seconds needs a whole number from 0 to " + std::to_string(kMaxSeconds) + ", not " + value;
        }
        invocation.seconds = seconds;
        return std::string();
    }
    Step step;
    if (option == "--call") {
        step.call.target = findExport(value);
        if (step.call.target == nullptr || step.call.target->kind != ExportKind::Resource) {
            return "--call needs a resource export (mavel-cli --list shows them), not " + value;
        }
    } else if (option == "--send") {
        step.kind = StepKind::Send;
        if ((step.message = findWindowMessage(value)) == nullptr) {
            return "--send knows no message " + value + " (mavel-cli --help lists them)";
        }
    } else if (option == "--plug" || option == "--unplug") {
        step.kind = option == "--plug" ? StepKind::Plug : StepKind::Unplug;
        if ((step.device = findDeviceKind(value)) == nullptr) {
            return std::string(option) + " knows no device kind " + value +
                   " (monitor, sensor, serial-sensor or lighting)";
        }
        watchDevices(invocation);
    } else {
        if (value.empty()) {
            return "option --then-world needs a path";
        }
        step.kind = StepKind::LoadWorld;
        step.world = value;
    }
    invocation.steps.push_back(std::move(step));
    return std::string();
}

ParseOutcome failure(std::string message) { return ParseOutcome{std::nullopt, std::move(message)}; }

}  // namespace

std::span<const ExportInfo> exportTable() noexcept { return kExports; }

const ExportInfo* findExport(std::string_view name) noexcept {
    const auto found = std::ranges::find(kExports, name, &ExportInfo::name);
    return found != kExports.end() ? &*found : nullptr;
}

const WindowMessage* findWindowMessage(std::string_view kind) noexcept {
    const auto found = std::ranges::find(kWindowMessages, kind, &WindowMessage::kind);
    return found != kWindowMessages.end() ? &*found : nullptr;
}

ParseOutcome parseArguments(std::span<const std::string> arguments) {
    Invocation invocation;
    bool list = false;
    bool help = false;
    std::optional<std::string> exportName;
    const std::string_view first = arguments.empty() ? std::string_view() : arguments.front();
    if (first == "watch") {
        invocation.command = Command::Watch;
    } else if (first == "devices") {
        invocation.command = Command::Devices;
    }
    const bool watch = invocation.command == Command::Watch;

    for (std::size_t i = invocation.command == Command::Call ? 0 : 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (argument == "-h" || argument == "--help") {
            help = true;
        } else if (invocation.command == Command::Devices && argument != "--world") {
            return failure("devices takes only --world FILE, not " + argument);
        } else if (argument == "--list") {
            list = true;
        } else if (bool* flag = switchSlot(invocation, argument)) {
            *flag = true;
        } else if (std::string Request::*slot = requestSlot(argument)) {
            if (!hasValue) {
                return failure("option " + argument + " needs a value");
            }
            Request* request = currentRequest(invocation);
            if (request == nullptr) {
                return failure("option " + argument + " belongs to a --call Export before it");
            }
            request->*slot = arguments[++i];
        } else if (std::optional<std::string>* path = optionalValueSlot(invocation, argument)) {
            if (!hasValue || arguments[i + 1].empty()) {
                return failure("option " + argument + " needs a path");
            }
            *path = arguments[++i];
        } else if (watch && isWatchOption(argument)) {
            if (!hasValue) {
                return failure("option " + argument + " needs a value");
            }
            if (std::string error = addWatchOption(invocation, argument, arguments[++i]); !error.empty()) {
                return failure(std::move(error));
            }
        } else if (argument.size() > 1 && argument.front() == '-') {
            return failure("unknown option " + argument);
        } else if (watch) {
            return failure("watch calls exports only as --call Export, not " + argument);
        } else if (exportName) {
            return failure("more than one export given: " + *exportName + " and " + argument);
        } else {
            exportName = argument;
        }
    }

    if (invocation.live && invocation.dll) {
        return failure("--live and --dll both choose the library; give one");
    }
    if (help) {
        invocation.command = Command::Help;
    } else if (list) {
        invocation.command = Command::List;
    } else if (invocation.command != Command::Call) {
        return ParseOutcome{std::move(invocation), std::string()};
    } else if (!exportName) {
        return failure("no export given");
    } else if ((invocation.request.target = findExport(*exportName)) == nullptr) {
        return failure("unknown export " + *exportName + " (mavel-cli --list shows them)");
    }
    return ParseOutcome{std::move(invocation), std::string()};
}

std::string optionsText(std::string_view method) {
    std::string text = "{\"method\":";
    pocketjson::escapeString(text, std::string(method));
    text += '}';
    return text;
}

std::string usageText() {
    return R"(usage: mavel-cli <Export> [-X METHOD] [--params JSON] [--query JSON] [--body JSON]
                 [--raw] [--world FILE] [--log] [--dll PATH | --live]
       mavel-cli watch [--world FILE] [--dll PATH | --live] [--log] [--seconds N] [STEP]...
       mavel-cli devices [--world FILE]
       mavel-cli serve [--port N] [--web DIR]
       mavel-cli --list
       mavel-cli --help

Calls one export of libmavel_x64.dll the way the bridge host does and prints
what the library answered to the host: the status code on the first line, then
the answer, pretty-printed unless --raw is given.

  <Export>           one of the 24 exports (see --list); names are case-sensitive
  -X, --method NAME  request method, sent as the options {"method":"NAME"} (default GET)
  --params JSON      route parameters text, passed unchanged (default empty)
  --query JSON       query parameters text, passed unchanged (default empty)
  --body JSON        body text, passed unchanged (default empty)
  --raw              print the answer exactly as the library sent it
  --world FILE       world file for the closed-library stand-ins: sets MAVEL_WORLD
                     to its absolute path before the library is loaded
  --log              afterwards, print the lines the logging library received
                     as "[level] message"
  --dll PATH         load this file instead of libmavel_x64.dll beside mavel-cli
  --live             load live/libmavel_x64.dll: the library beside the live
                     providers, answering facts of this machine (--world then
                     changes nothing but the remaining stand-ins)
  --list             list the exports and their kinds
  -h, --help         show this text

Plain exports take no request texts (-X, --params, --query, --body and --raw
are ignored for them):
  Setup, TearDown, MavelResetSystemIdleTimer       called once; prints "ok"
  MavelDisablePowerManagementSettings              disables power management,
      prints the handle, then hands it straight back to
      MavelRestorePowerManagementSettings (a handle cannot outlive this process)
  MavelRestorePowerManagementSettings              called with a null handle,
      which restores nothing; prints "ok"

Exit status: 0 the call was made and the status is 2xx (or a plain export ran),
1 the status is not 2xx, 2 usage error, 3 the library or the export cannot be
loaded, 4 the library set no response for the promise it returned.

mavel-cli watch shows the events the library dispatches to the host. It loads
the library as a call does (--world, --dll, --log alike), calls Setup, which
registers the library's observer of native events with the host, runs the
steps one after another in the order given, watches N seconds more (--seconds,
default 3; 0 to 86400), calls TearDown and ends. The host's messages are
handled meanwhile, as a web view host's window thread would. Every line starts
with the local time HH:MM:SS.mmm and is printed the moment it happens:
  TIME NAME PAYLOAD     an event, its payload exactly as dispatched (compact
                        JSON, or for systemTimeChanged a bare date-time text)
  TIME > WHAT           what mavel-cli does: Setup, a call, a world, a message,
                        a plug or unplug, TearDown
  TIME < STATUS ANSWER  the answer to a --call, as the library sent it

Steps:
  --call Export      call a resource export; the -X, --params, --query and
                     --body after it are its own. Screen events flow only once
                     screen watching is on: "--call Screens -X PUT" turns it on
  --then-world FILE  load another world into the loaded stand-ins (and set
                     MAVEL_WORLD to it for those not loaded yet), for example
                     tools/mavel-cli/one-screen-world.json, the demo world
                     with its second screen unplugged, so that a display
                     change changes the screen list
  --send KIND        the host forwards a window message of this kind:
                       display-change      WM_DISPLAYCHANGE
                       time-change         WM_TIMECHANGE
                       session-lock        WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK
                       session-unlock      WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK
                       console-connect     WM_WTSSESSION_CHANGE, WTS_CONSOLE_CONNECT
                       console-disconnect  WM_WTSSESSION_CHANGE, WTS_CONSOLE_DISCONNECT
                     (session messages carry mavel-cli's own session id). Each
                     --send first waits 250 ms: the library ignores a message
                     that follows its own start, or the previous message of
                     its kind, too closely.
  --plug KIND        attach a new device of this kind to the stand-ins' world
  --unplug KIND      detach the last device of this kind listed in the world
                     (nothing listed: exit 2); then the configuration manager
                     reports the device's arrival or removal, and the step
                     waits for the library's event (at most 3 s; it comes
                     300 ms, for the monitor maker's vendor 056D 600 ms,
                     after the report). KIND and the instance id reported:
                       monitor        monitor controller   USB\VID_056D&PID_4014\...
                       sensor         sensor               USB\VID_0765&PID_5020\...
                       serial-sensor  serial sensor        USB\VID_0403&PID_6001\...
                       lighting       lighting equipment   USB\VID_056D&PID_8100\...
                     The first --plug or --unplug is preceded by a call of
                     DeviceNotification -X PUT, which switches device events
                     on, unless such a call came before. Device changes need
                     the configuration-manager stand-in, which Wine loads only
                     under the override
                       WINEDLLOVERRIDES="cfgmgr32=n,b;mscoree,mshtml=;winemenubuilder.exe=d"
                     (without it the step ends the watch with exit 3).
A display change leads to screenChanged about 1.5 s later, and only when the
screen list changed. A watch exits 0 whatever the calls answered; 2, 3 or 4
as above when a world file is missing or refused, an export is missing, or a
call is not answered (the watch then stops, TearDown still runs).

mavel-cli devices prints the USB devices attached in the stand-ins' world
(after --world FILE when given), one line each: monitor controllers (product
and serial), sensors (device and individual ID), serial sensors (device ID)
and lighting equipment (product and serial); "none" for a kind without any.
It exits 0, 2 when the world file is missing, 3 when a stand-in cannot be
loaded or read.

mavel-cli serve is a bridge host for browsers: HTTP on 127.0.0.1 and [::1]
(port 8640, 0 lets the system choose), the dashboard of web/ at /, the
resources at /mavel.internal/<route>, their events at /mavel.internal/events.
It prints a token that every request needs and the address to open, and runs
until ended. The README ("The browser bridge") has the mapping and the rules.
)";
}

std::string listText() {
    std::string text;
    for (const ExportInfo& info : kExports) {
        text += info.kind == ExportKind::Resource ? "resource  " : "plain     ";
        text += info.name;
        text += '\n';
    }
    return text;
}

}  // namespace mavel::cli
