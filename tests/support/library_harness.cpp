#include "library_harness.h"

#include <stdexcept>

#include "bridgehost_control.h"
#include "pocketjson/json.h"
#include "standin_control.h"

namespace mavel::test {

namespace {

const wchar_t* const kStandins[] = {L"libostrel_x64.dll", L"libcarvel2_x64.dll", L"libpltc_x64.dll",
                                    L"libpallet_x64.dll", L"libbramble.dll",     L"libtrellis_x64.dll",
                                    L"libHarbor_x64.dll", L"libquillon2_x64.dll"};

template <class Signature>
Signature* standinFunction(const wchar_t* moduleName, const char* name) {
    HMODULE module = GetModuleHandleW(moduleName);
    if (module == nullptr) return nullptr;
    return reinterpret_cast<Signature*>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

std::string jsonString(const std::string& text) {
    std::string quoted;
    pocketjson::escapeString(quoted, text);
    return quoted;
}

}  // namespace

std::wstring binFolder() {
    wchar_t buffer[MAX_PATH * 4] = {};
    GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(std::size(buffer)));
    std::wstring path(buffer);
    return path.substr(0, path.find_last_of(L"\\/"));
}

std::wstring minimalFolder() { return binFolder() + L"\\minimal"; }

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
    for (const wchar_t* name : kStandins) {
        if (auto* load = standinFunction<std::int32_t(const char*)>(name, "StandinLoadWorld")) {
            if (load(worldJson.c_str()) == 0) throw std::runtime_error("stand-in refused the world");
        }
    }
}

pocketjson::Value callLog(const wchar_t* moduleName) {
    pocketjson::Value log;
    if (auto* read = standinFunction<const char*()>(moduleName, "StandinCallLog")) {
        pocketjson::parseJson(log, std::string(read()));
    }
    return log;
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
