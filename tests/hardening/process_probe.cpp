#include "process_probe.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "bridgehost_control.h"
#include "platform/handle_owner.h"
#include "request_corpus.h"
#include "standin_control.h"

namespace mavel::test {

namespace {

constexpr UINT kDisplayChange = 0x7E;
constexpr UINT kTimeChange = 0x1E;
constexpr UINT kSessionChange = 0x2B1;

void checkEvent(const char* name, const char* payload, void* context) {
    auto& driver = *static_cast<EventDriver*>(context);
    ++driver.events;
    if (std::strcmp(name, "monitorChanged") == 0) ++driver.deviceEvents;
    const std::string fault = eventFault(name, payload);
    if (!fault.empty() && driver.faults++ == 0) driver.firstFault = fault;
}

std::int32_t fire(std::uint32_t action, const char* instanceId) {
    auto* fire = kelto::findExport<std::int32_t(std::uint32_t, const char*)>(GetModuleHandleW(L"cfgmgr32.dll"),
                                                                             "Cfgmgr32StandinFire");
    if (fire == nullptr) throw std::runtime_error("no configuration-manager stand-in");
    return fire(action, instanceId);
}

// "module+offset" for a code address, empty when no module holds it.
std::string codeAddress(std::uintptr_t address) {
    HMODULE module = nullptr;
    const DWORD flags = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
    if (!GetModuleHandleExW(flags, reinterpret_cast<LPCWSTR>(address), &module)) return "";
    if (address < reinterpret_cast<std::uintptr_t>(module)) return "";
    char name[MAX_PATH] = {};
    GetModuleFileNameA(module, name, MAX_PATH);
    const char* base = std::strrchr(name, '\\');
    char text[MAX_PATH + 32];
    std::snprintf(text, sizeof text, "%s+0x%llx", base ? base + 1 : name,
                  static_cast<unsigned long long>(address - reinterpret_cast<std::uintptr_t>(module)));
    return text;
}

void printStack(DWORD threadId) {
    const kelto::UniqueKernelHandle thread(OpenThread(THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT, FALSE, threadId));
    if (!thread || SuspendThread(thread.get()) == static_cast<DWORD>(-1)) return;
    CONTEXT context{};
    context.ContextFlags = CONTEXT_FULL;
    std::string line = "thread " + std::to_string(threadId) + ":";
    if (GetThreadContext(thread.get(), &context)) {
        line += " at " + codeAddress(context.Rip);
        // No unwinder for foreign code: return addresses are what the stack
        // holds that points into a module.
        int found = 0;
        for (std::uintptr_t slot = context.Rsp; found < 16 && slot < context.Rsp + 0x10000; slot += 8) {
            std::uintptr_t value = 0;
            if (!ReadProcessMemory(GetCurrentProcess(), reinterpret_cast<void*>(slot), &value, sizeof value, nullptr)) {
                break;
            }
            const std::string frame = codeAddress(value);
            if (!frame.empty()) line += (found++ ? " < " : " from ") + frame;
        }
    }
    ResumeThread(thread.get());
    std::fprintf(stderr, "%s\n", line.c_str());
}

template <class Visit>
void forEachThread(Visit visit) {
    const kelto::UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) visit(entry.th32ThreadID);
    }
}

}  // namespace

// Wine leaves PrivateUsage at 0; PagefileUsage is the same private commit there and on Windows.
std::uint64_t privateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    return std::max<std::uint64_t>(counters.PrivateUsage, counters.PagefileUsage);
}

// Wine answers GetProcessHandleCount with 0; there the handle values, handed
// out lowest first in steps of 4, are probed until a long run of free ones.
std::uint32_t handleCount() {
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count != 0) return count;
    DWORD flags = 0;
    for (std::uintptr_t value = 4, free = 0; free < 1024; value += 4) {
        const bool open = GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) != FALSE;
        count += open;
        free = open ? 0 : free + 1;
    }
    return count;
}

std::uint32_t threadCount() {
    std::uint32_t count = 0;
    forEachThread([&count](DWORD) { ++count; });
    return count;
}

void waitForThreads(std::uint32_t baseline) {
    while (threadCount() > baseline) Sleep(100);
}

void printThreadStacks() {
    forEachThread([](DWORD id) {
        if (id != GetCurrentThreadId()) printStack(id);
    });
}

void resetRecordings() {
    BridgeHostReset();
    for (const wchar_t* name : kStandinFiles) resetCallLog(name);
    clearLog();
}

// The library ignores a time or session message that comes within the
// spacing of its event filter's creation. The host's Setup makes the filter
// now, not in the middle of the first round, and the wait lets its spacing
// pass, so that every round's messages count.
EventDriver::EventDriver(const MavelLibrary& library) : library_(library) {
    BridgeHostSetEventSink(&checkEvent, this);
    if (auto* setup = library_.function<void()>("Setup")) setup();
    Sleep(200);
}

EventDriver::~EventDriver() { BridgeHostSetEventSink(nullptr, nullptr); }

void EventDriver::round() {
    for (const char* exportName : {"Screens", "DeviceNotification"}) {
        const std::string fault = envelopeFault(library_.call(exportName, exportName[0] == 'S' ? "GET" : "PUT"));
        if (!fault.empty() && faults++ == 0) firstFault = fault;
    }
    // Every other round another monitor controller is attached after PUT's
    // own rescan, so the workers' rescans find a change to announce. Only the
    // monitor-control stand-in changes: the others keep the objects they
    // handed out.
    auto* load = kelto::findExport<std::int32_t(const char*)>(GetModuleHandleW(L"libpltc_x64.dll"), "StandinLoadWorld");
    if (load != nullptr) load(++rounds_ % 2 ? R"({"pltc":{"controllers":[{"serial":"S1","product":"P1"}]}})" : "{}");
    for (const char* id : {R"(USB\VID_056D&PID_4014\1)", R"(USB\VID_0403&PID_6001\2)", R"(USB\VID_0765&PID_5020\3)",
                           R"(USB\VID_056D&PID_8100\4)", ""}) {
        fire(rounds_ % 3 ? 0 : 1, id);
    }
    BridgeHostSendWindowMessage(kDisplayChange, 32, 0);
    BridgeHostSendWindowMessage(kTimeChange, 0, 0);
    BridgeHostSendWindowMessage(kSessionChange, rounds_ % 2 ? WTS_SESSION_LOCK : WTS_SESSION_UNLOCK, 1);
    library_.call("DeviceNotification", "DELETE");
    // Past the monitor worker's 600 ms, so the next PUT's rescan does not
    // take its change first.
    Sleep(800);
}

}  // namespace mavel::test
