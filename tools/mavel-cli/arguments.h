#pragma once
// Command line of mavel-cli: the export table, argument parsing and the texts
// that do not need Windows, kept apart from main so that tests can reach them.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

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

enum class Command { Call, List, Help };

struct Invocation {
    Command command = Command::Call;
    const ExportInfo* target = nullptr;
    std::string method = "GET";
    std::string params;
    std::string query;
    std::string body;
    bool raw = false;
    bool log = false;
    std::optional<std::string> world;  // UTF-8, as given
    std::optional<std::string> dll;    // UTF-8, as given
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
