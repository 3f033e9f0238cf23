#pragma once
// Integration-test access to the real libmavel_x64.dll: loads it from a
// folder (build/bin, or build/bin/minimal for the stand-in variant without
// optional functions), calls its exports the way the bridge host does, and
// reads the answers and events back from the stand-in bridge host.

#include <windows.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "platform/handle_owner.h"
#include "pocketjson/value.h"

namespace mavel::test {

// Folder of the running test executable (build/bin).
std::wstring binFolder();
// The stand-in variant without optional functions.
std::wstring minimalFolder();
// The live providers (facts of this machine) with the other stand-ins.
std::wstring liveFolder();

// Names in a loaded module's export table, as the loader sees them.
std::set<std::string> exportedNames(HMODULE module);

struct Response {
    std::uint32_t promise = 0;
    std::int32_t status = 0;
    std::int32_t answers = 0;  // how many times the library answered this promise
    std::string text;          // the exact envelope text
    pocketjson::Value json;    // the envelope parsed

    const pocketjson::Value& value() const { return json.get("value"); }
    const pocketjson::Value& error() const { return json.get("error"); }
    std::string errorName() const { return error().get("name").asString(); }
    std::string errorMessage() const { return error().get("message").asString(); }
};

class MavelLibrary {
public:
    explicit MavelLibrary(const std::wstring& folder = binFolder());
    ~MavelLibrary();
    MavelLibrary(const MavelLibrary&) = delete;
    MavelLibrary& operator=(const MavelLibrary&) = delete;

    HMODULE module() const noexcept { return module_; }

    // Calls a resource export with {"method": method} as options; params,
    // query and body are passed as given.
    Response call(const char* exportName, const std::string& method = "GET", const std::string& params = "",
                  const std::string& query = "", const std::string& body = "") const;
    // Calls a resource export with raw options text.
    Response callRaw(const char* exportName, const char* options, const char* params, const char* query,
                     const char* body) const;

    template <class Signature>
    Signature* function(const char* name) const {
        return kelto::findExport<Signature>(module_, name);
    }

private:
    HMODULE module_ = nullptr;
};

// text as a quoted, escaped JSON string.
std::string jsonString(const std::string& text);

// An event the library dispatched, with GetTickCount64 when it did.
struct Event {
    std::string name;
    std::string payload;
    std::uint64_t ticks;
};
// The events the stand-in host recorded, from index first on.
std::vector<Event> eventsSince(std::int32_t first);

// Replaces the world of every loaded closed-library stand-in (sections that
// the document lacks keep the demo world).
void loadWorld(const std::string& worldJson);
// Replaces the system-information world only; other stand-ins keep the demo.
inline void loadOstrelWorld(const std::string& section) { loadWorld("{\"ostrel\":" + section + "}"); }

inline constexpr const wchar_t* kOstrel = L"libostrel_x64.dll";

// Empties a loaded stand-in's call log.
void resetCallLog(const wchar_t* moduleName);
// How many times a function name occurs in a stand-in's call log.
int callCount(const wchar_t* moduleName, const std::string& functionName);

// Log lines the stand-in logging library received, as "level|message".
std::vector<std::string> logLines();
void clearLog();
// The uri field of the newest request log line; empty when nothing was logged.
std::string lastLoggedUri();

}  // namespace mavel::test
