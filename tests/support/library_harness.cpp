#include "library_harness.h"

#include <stdexcept>

#include "bridgehost_control.h"
#include "platform/path.h"
#include "pocketjson/json.h"
#include "standin_control.h"

namespace mavel::test {

namespace {

// Stand-ins are reached where the library loaded them, whichever variant that is.
template <class Signature>
Signature* standinFunction(const wchar_t* moduleName, const char* name) {
    return kelto::findExport<Signature>(GetModuleHandleW(moduleName), name);
}

}  // namespace

std::string jsonString(const std::string& text) {
    std::string quoted;
    pocketjson::escapeString(quoted, text);
    return quoted;
}

std::vector<Event> eventsSince(std::int32_t first) {
    std::vector<Event> events;
    for (std::int32_t i = first; i < BridgeHostEventCount(); ++i) {
        events.push_back({BridgeHostEventName(i), BridgeHostEventPayload(i), BridgeHostEventTicks(i)});
    }
    return events;
}

std::wstring binFolder() { return fs::Path::executableDirectory().wide(); }

std::wstring minimalFolder() { return binFolder() + L"\\minimal"; }
std::wstring liveFolder() { return binFolder() + L"\\live"; }

std::set<std::string> exportedNames(HMODULE module) {
    std::set<std::string> names;
    const auto* base = reinterpret_cast<const unsigned char*>(module);
    const auto* nt =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& entry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (entry.VirtualAddress == 0) return names;
    const auto* directory = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
    const auto* offsets = reinterpret_cast<const DWORD*>(base + directory->AddressOfNames);
    for (DWORD i = 0; i < directory->NumberOfNames; ++i) {
        names.emplace(reinterpret_cast<const char*>(base + offsets[i]));
    }
    return names;
}

MavelLibrary::MavelLibrary(const std::wstring& folder) {
    const std::wstring file = folder + L"\\libmavel_x64.dll";
    module_ = LoadLibraryExW(file.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (module_ == nullptr) throw std::runtime_error("cannot load libmavel_x64.dll");
}

MavelLibrary::~MavelLibrary() {
    // Process-wide objects of the library live until the test process ends;
    // unloading mid-test would race detached workers.
}

Response MavelLibrary::call(const char* exportName, const std::string& method, const std::string& params,
                            const std::string& query, const std::string& body) const {
    const std::string options = "{\"method\":" + jsonString(method) + "}";
    return callRaw(exportName, options.c_str(), params.c_str(), query.c_str(), body.c_str());
}

Response MavelLibrary::callRaw(const char* exportName, const char* options, const char* params, const char* query,
                               const char* body) const {
    using Entry = std::uint32_t(const char*, const char*, const char*, const char*);
    Entry* entry = function<Entry>(exportName);
    if (entry == nullptr) throw std::runtime_error(std::string("missing export ") + exportName);
    Response response;
    response.promise = entry(options, params, query, body);
    response.answers = BridgeHostResponseCount(response.promise);
    response.status = BridgeHostResponseStatus(response.promise);
    const char* text = BridgeHostResponseText(response.promise);
    response.text = text ? text : "";
    pocketjson::parseJson(response.json, response.text);
    return response;
}

void loadWorld(const std::string& worldJson) {
    for (const wchar_t* name : kStandinFiles) {
        if (auto* load = standinFunction<std::int32_t(const char*)>(name, "StandinLoadWorld")) {
            if (load(worldJson.c_str()) == 0) throw std::runtime_error("stand-in refused the world");
        }
    }
}

void resetCallLog(const wchar_t* moduleName) {
    if (auto* reset = standinFunction<void()>(moduleName, "StandinResetCallLog")) reset();
}

int callCount(const wchar_t* moduleName, const std::string& functionName) {
    auto* count = standinFunction<std::int32_t(const char*)>(moduleName, "StandinCallCount");
    return count != nullptr ? count(functionName.c_str()) : 0;
}

std::vector<std::string> logLines() {
    std::vector<std::string> lines;
    auto* read = standinFunction<const char*()>(L"libquillon2_x64.dll", "QuillonStandinLines");
    if (read == nullptr) return lines;
    pocketjson::Value all;
    pocketjson::parseJson(all, std::string(read()));
    for (const pocketjson::Value& line : all.elements()) {
        lines.push_back(line.get("level").asString() + "|" + line.get("message").asString());
    }
    return lines;
}

void clearLog() {
    if (auto* clear = standinFunction<void()>(L"libquillon2_x64.dll", "QuillonStandinClear")) clear();
}

std::string lastLoggedUri() {
    const std::vector<std::string> lines = logLines();
    if (lines.empty()) return std::string();
    const std::string& line = lines.back();
    const std::string label = "\turi:";
    const std::size_t start = line.find(label);
    if (start == std::string::npos) return std::string();
    const std::size_t end = line.find('\t', start + label.size());
    return line.substr(start + label.size(), end == std::string::npos ? std::string::npos : end - start - label.size());
}

}  // namespace mavel::test
