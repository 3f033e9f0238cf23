#pragma once
// Command line of mavel-cli: the export table, argument parsing and the texts
// that do not need Windows, kept apart from main so that tests can reach them.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "devices.h"

namespace mavel::cli {

// Resource exports take the four request texts and answer through the host;
// plain exports take no arguments (the power pair aside, see main.cpp).
enum class ExportKind { Resource, Plain };

struct ExportInfo {
    std::string_view name;
    ExportKind kind;
};

std::span<const ExportInfo> exportTable() noexcept;
const ExportInfo* findExport(std::string_view name) noexcept;

// A window message the host forwards to the library's native observer, by
// the name watch --send knows it as. The session id of a session message is
// added when it is sent.
struct WindowMessage {
    std::string_view kind;
    std::uint32_t message;
    std::uint64_t wParam;
};

const WindowMessage* findWindowMessage(std::string_view kind) noexcept;

enum class Command { Call, Watch, Devices, List, Help };

// One call of a resource export: the export and its request texts.
struct Request {
    const ExportInfo* target = nullptr;
    std::string method = "GET";
    std::string params;
    std::string query;
    std::string body;
};

// What watch does after Setup, one step after another in the order given.
enum class StepKind { Call, Send, LoadWorld, Plug, Unplug };

struct Step {
    StepKind kind = StepKind::Call;
    Request call;                            // Call
    const WindowMessage* message = nullptr;  // Send
    std::string world;                       // LoadWorld: UTF-8, as given
    const DeviceKind* device = nullptr;      // Plug, Unplug
};

struct Invocation {
    Command command = Command::Call;
    Request request;  // Call
    bool raw = false;
    bool log = false;
    std::optional<std::string> world;  // UTF-8, as given; also for Devices
    std::optional<std::string> dll;    // UTF-8, as given
    bool live = false;                 // the library of live/, beside the live providers
    std::vector<Step> steps;           // Watch
    int seconds = 3;                   // Watch: how long to go on after the last step
};

struct ParseOutcome {
    std::optional<Invocation> invocation;  // empty on a usage error
    std::string error;                     // why, when invocation is empty
};

// arguments excludes the program name; texts are UTF-8.
ParseOutcome parseArguments(std::span<const std::string> arguments);

// The options text the host would send for method: {"method":"<method>"}.
std::string optionsText(std::string_view method);

std::string usageText();
std::string listText();

}  // namespace mavel::cli
