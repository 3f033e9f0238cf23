// A library with some of the real export names and scripted answers, so that
// the command-line host can be tested on every road (answers of any status,
// no answer, two answers, missing exports) without the real library.

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "bridge_helper.h"

namespace {

std::uint32_t answer(std::int32_t status, const std::string& text) {
    const std::uint32_t promise = BridgeHelperCreatePromiseID();
    BridgeHelperSetResponse(promise, status, text.c_str());
    return promise;
}

std::string environmentVariable(const char* name) {
    const DWORD length = GetEnvironmentVariableA(name, nullptr, 0);
    if (length == 0) {
        return "(unset)";
    }
    std::string value(length, '\0');
    value.resize(GetEnvironmentVariableA(name, value.data(), length));
    return value;
}

int powerToken = 0;

}  // namespace

extern "C" {

// Answers with the options text as it arrived.
__declspec(dllexport) std::uint32_t SystemInformation(const char* options, const char*, const char*, const char*) {
    return answer(200, options);
}

// Answers with the other three texts, one per line.
__declspec(dllexport) std::uint32_t SystemProcesses(const char*, const char* params, const char* query,
                                                    const char* body) {
    return answer(200, std::string(params) + "\n" + query + "\n" + body);
}

__declspec(dllexport) std::uint32_t SystemUSBDevices(const char*, const char*, const char*, const char*) {
    return answer(200, R"({"error":null,"value":[1,{"name":"Hub","ports":[]}]})");
}

__declspec(dllexport) std::uint32_t SystemKEXT(const char*, const char*, const char*, const char*) {
    return answer(404, R"({"error":{"message":"screen is not found.","name":"NotFoundError"},"value":null})");
}

__declspec(dllexport) std::uint32_t SystemLockState(const char*, const char*, const char*, const char*) {
    return answer(200, "not json");
}

// Both the process environment and the C runtime's copy of it.
__declspec(dllexport) std::uint32_t SystemLoginState(const char*, const char*, const char*, const char*) {
    const char* runtime = std::getenv("MAVEL_WORLD");
    return answer(200, environmentVariable("MAVEL_WORLD") + "\n" + (runtime != nullptr ? runtime : "(unset)"));
}

// Answers twice: a fault the command-line host reports.
__declspec(dllexport) std::uint32_t SystemPrinters(const char*, const char*, const char*, const char*) {
    const std::uint32_t promise = answer(200, "[]");
    BridgeHelperSetResponse(promise, 500, "{}");
    return promise;
}

// Never answers.
__declspec(dllexport) std::uint32_t Screens(const char*, const char*, const char*, const char*) {
    return BridgeHelperCreatePromiseID();
}

__declspec(dllexport) void Setup(void) {}

__declspec(dllexport) void* MavelDisablePowerManagementSettings(void) { return &powerToken; }

// A handle other than the one handed out is a fault: the exit code shows it.
__declspec(dllexport) void MavelRestorePowerManagementSettings(void* state) {
    if (state != nullptr && state != &powerToken) {
        ExitProcess(70);
    }
}

}  // extern "C"
