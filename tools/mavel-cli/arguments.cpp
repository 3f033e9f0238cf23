#include "arguments.h"

#include <algorithm>
#include <array>

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

// Options that take the next argument as their value, and where it goes.
std::string* valueSlot(Invocation& invocation, std::string_view option) {
    if (option == "-X" || option == "--method") {
        return &invocation.method;
    }
    if (option == "--params") {
        return &invocation.params;
    }
    if (option == "--query") {
        return &invocation.query;
    }
    if (option == "--body") {
        return &invocation.body;
    }
    return nullptr;
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

bool* switchSlot(Invocation& invocation, std::string_view option) {
    if (option == "--raw") {
        return &invocation.raw;
    }
    if (option == "--log") {
        return &invocation.log;
    }
    return nullptr;
}

ParseOutcome failure(std::string message) { return ParseOutcome{std::nullopt, std::move(message)}; }

}  // namespace

std::span<const ExportInfo> exportTable() noexcept { return kExports; }

const ExportInfo* findExport(std::string_view name) noexcept {
    const auto found = std::ranges::find(kExports, name, &ExportInfo::name);
    return found != kExports.end() ? &*found : nullptr;
}

ParseOutcome parseArguments(std::span<const std::string> arguments) {
    Invocation invocation;
    bool list = false;
    bool help = false;
    std::optional<std::string> exportName;

    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (argument == "-h" || argument == "--help") {
            help = true;
        } else if (argument == "--list") {
            list = true;
        } else if (bool* flag = switchSlot(invocation, argument)) {
            *flag = true;
        } else if (std::string* slot = valueSlot(invocation, argument)) {
            if (!hasValue) {
                return failure("option " + argument + " needs a value");
            }
            *slot = arguments[++i];
        } else if (std::optional<std::string>* path = optionalValueSlot(invocation, argument)) {
            if (!hasValue || arguments[i + 1].empty()) {
                return failure("option " + argument + " needs a path");
            }
            *path = arguments[++i];
        } else if (argument.size() > 1 && argument.front() == '-') {
            return failure("unknown option " + argument);
        } else if (exportName) {
            return failure("more than one export given: " + *exportName + " and " + argument);
        } else {
            exportName = argument;
        }
    }

    if (help) {
        invocation.command = Command::Help;
    } else if (list) {
        invocation.command = Command::List;
    } else if (!exportName) {
        return failure("no export given");
    } else if ((invocation.target = findExport(*exportName)) == nullptr) {
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
                 [--raw] [--world FILE] [--log] [--dll PATH]
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
