// Per-call cost of the library's resources, measured the way the bridge host
// calls them: the real libmavel_x64.dll beside the stand-ins in bin/, one
// request at a time on this thread, then a mix of requests from 8 threads.
// Every kind of request is answered once and checked before it is timed, so a
// fast wrong answer cannot pass as speed. The floor is what the bridge host
// alone costs for an answer of the same size: creating a promise and setting
// its response, with no library in between.
//
// With --no-logger the host plug-in names a folder without the logging
// library, so the library's logger is silent: what is left is the library's
// own cost. The same run then also times the pieces a 405 answer is made of
// (one throw of BridgeResultError from a called function and its catch, in a
// probe DLL loaded just before the library; the log line formatted and handed
// to a logging function that does nothing), which the bench links from the
// library's own sources, and counts the allocations of the request path's
// pure parts with a counting operator new.
//
// usage: request_bench.exe [--no-logger]   (run under Wine from build/bin)

#include <windows.h>
#include <intrin.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "bridge/bridge.h"
#include "bridgehost_control.h"
#include "platform/closed_libraries.h"
#include "platform/handle_owner.h"
#include "platform/path.h"
#include "pocketjson/block_pool.h"
#include "pocketjson/json.h"
#include "result/result.h"
#include "standin_control.h"
#include "throw_probe.h"

// Every allocation of this program and of the library sources linked into it
// (not those inside the DLL, which has its own run-time library).
std::atomic<std::uint64_t> gAllocations{0};

void* operator new(std::size_t size) {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
    throw std::bad_alloc();
}
// GCC takes the standard operator new for the one paired with these.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
#pragma GCC diagnostic pop

namespace {

using Entry = std::uint32_t(const char*, const char*, const char*, const char*);

constexpr std::size_t kMinSamples = 2000;
constexpr std::size_t kMaxSamples = 20000;
constexpr double kSecondsPerKind = 1.5;
// Answers of half a megabyte take milliseconds: their kinds stop short of
// kMinSamples here, so that the whole run stays near half a minute.
constexpr double kHardSecondsPerKind = 3.0;
constexpr std::size_t kWarmUpCalls = 200;
constexpr double kWarmUpSeconds = 0.2;
// The stand-ins keep every answer, call and log line; clearing them this often
// keeps their memory, and the cost of their growing containers, bounded. A
// bridge host hands each answer on and frees it; the stand-in keeps them all,
// so large answers are cleared after fewer calls: the host then holds a few
// megabytes at most, as a web view's host would.
constexpr std::size_t kBatchCalls = 1000;
constexpr std::size_t kBatchBytes = std::size_t{4} << 20;
constexpr int kThreads = 8;
constexpr double kMixSeconds = 2.0;

std::size_t batchCallsFor(std::size_t answerBytes) {
    return std::clamp<std::size_t>(kBatchBytes / std::max<std::size_t>(answerBytes, 1), 1, kBatchCalls);
}

[[noreturn]] void abortBench(const std::string& message) {
    std::fprintf(stderr, "request_bench: %s\n", message.c_str());
    std::fflush(stderr);
    std::exit(1);
}

// The processor's time-stamp counter: Wine's performance counter ticks in
// tenths of a microsecond, as coarse as the differences the budget decides on.
// The counter runs at a constant rate on this machine's processors.
std::int64_t ticks() { return static_cast<std::int64_t>(__rdtsc()); }

// Measured once against the performance counter, over a twentieth of a second.
double ticksPerMicrosecond() {
    static const double rate = [] {
        LARGE_INTEGER frequency, first, now;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&first);
        const std::int64_t start = ticks();
        do {
            QueryPerformanceCounter(&now);
        } while (now.QuadPart - first.QuadPart < frequency.QuadPart / 20);
        const double microseconds =
            static_cast<double>(now.QuadPart - first.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
        return static_cast<double>(ticks() - start) / microseconds;
    }();
    return rate;
}

template <class Signature>
Signature* standinFunction(const wchar_t* moduleName, const char* name) {
    return kelto::findExport<Signature>(GetModuleHandleW(moduleName), name);
}

std::wstring binFolder() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L'\\'));
}

// The logging stand-in appends every request's log line to this file; it is
// emptied between batches so that a long run does not fill the disk.
std::wstring logFilePath() { return binFolder() + L"\\request_bench-quillon.log"; }

void clearStandinState() {
    BridgeHostReset();
    for (const wchar_t* name : kStandinFiles) {
        if (auto* reset = standinFunction<void()>(name, "StandinResetCallLog")) reset();
    }
    if (auto* clear = standinFunction<void()>(L"libquillon2_x64.dll", "QuillonStandinClear")) clear();
    DeleteFileW(logFilePath().c_str());
}

// Sent to one stand-in only: a document without a library's section would
// reset that library to its demo world.
void loadSection(const wchar_t* moduleName, const char* section, const pocketjson::Value& value) {
    auto* load = standinFunction<std::int32_t(const char*)>(moduleName, "StandinLoadWorld");
    if (load == nullptr) abortBench("stand-in without StandinLoadWorld");
    pocketjson::Value document;
    document[section] = value;
    std::string text;
    if (!pocketjson::writeJson(document, text) || load(text.c_str()) == 0) {
        abortBench(std::string("stand-in refused the ") + section + " world");
    }
}

pocketjson::Value currentSection(const wchar_t* moduleName) {
    auto* world = standinFunction<const char*()>(moduleName, "StandinWorld");
    pocketjson::Value section;
    if (world == nullptr || !pocketjson::parseJson(section, std::string(world()))) {
        abortBench("cannot read a stand-in's world");
    }
    return section;
}

struct Request {
    std::string exportName;
    std::string options;
    std::string params;
    std::string query;
    std::string body;
    Entry* entry = nullptr;

    std::uint32_t call() const { return entry(options.c_str(), params.c_str(), query.c_str(), body.c_str()); }
};

kelto::UniqueModule loadFromBin(const wchar_t* name) {
    kelto::UniqueModule module(
        LoadLibraryExW((binFolder() + L"\\" + name).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!module) abortBench("cannot load a DLL from the executable's folder");
    return module;
}

class Library {
public:
    // The throw probe first: it then sits just before the library in the
    // process's module list.
    Library() : probe_(loadFromBin(L"bench_throw_probe.dll")), module_(loadFromBin(L"libmavel_x64.dll")) {}

    std::int32_t (*throwProbe() const)(bool) {
        auto* probe = kelto::findExport<std::int32_t(bool)>(probe_.get(), "ProbeThrowAndCatch");
        if (probe == nullptr) abortBench("the throw probe exports nothing");
        return probe;
    }

    Request request(const std::string& exportName, const std::string& method, const std::string& params = "",
                    const std::string& query = "", const std::string& body = "") const {
        Request request{exportName, "{\"method\":\"" + method + "\"}", params, query, body, nullptr};
        request.entry = kelto::findExport<Entry>(module_.get(), exportName.c_str());
        if (request.entry == nullptr) abortBench("missing export " + exportName);
        return request;
    }

private:
    kelto::UniqueModule probe_;
    // Never unloaded: the library's workers live until the process ends.
    kelto::UniqueModule module_;
};

struct Answer {
    std::int32_t status = 0;
    std::string text;
    pocketjson::Value envelope;
};

Answer answerOf(const Request& request) {
    const std::uint32_t promise = request.call();
    Answer answer;
    if (BridgeHostResponseCount(promise) != 1) abortBench(request.exportName + " did not answer exactly once");
    answer.status = BridgeHostResponseStatus(promise);
    const char* text = BridgeHostResponseText(promise);
    answer.text = text != nullptr ? text : "";
    if (!pocketjson::parseJson(answer.envelope, answer.text) || !answer.envelope.isObject() ||
        !answer.envelope.hasKey("error") || !answer.envelope.hasKey("value")) {
        abortBench(request.exportName + " answered no envelope: " + answer.text);
    }
    return answer;
}

// Answers the request once, checks it and returns the answer's size.
std::size_t checkedAnswerSize(const std::string& label, const Request& request, std::int32_t status,
                              const std::function<bool(const pocketjson::Value&)>& valueIsRight) {
    const Answer answer = answerOf(request);
    if (answer.status != status) {
        abortBench(label + ": status " + std::to_string(answer.status) + " instead of " + std::to_string(status) +
                   ": " + answer.text.substr(0, 300));
    }
    const pocketjson::Value& error = answer.envelope.get("error");
    const bool errorIsRight = status == 200 ? error.isNull() : error.isObject();
    if (!errorIsRight || !valueIsRight(answer.envelope.get("value"))) {
        abortBench(label + ": unexpected answer: " + answer.text.substr(0, 300));
    }
    clearStandinState();
    return answer.text.size();
}

struct Summary {
    double median = 0;
    double p99 = 0;
    std::size_t samples = 0;
};

Summary summarise(std::vector<double>& microseconds) {
    if (microseconds.empty()) return Summary{};
    std::sort(microseconds.begin(), microseconds.end());
    const auto at = [&](double fraction) {
        const auto index = static_cast<std::size_t>(fraction * static_cast<double>(microseconds.size() - 1));
        return microseconds[index];
    };
    return Summary{at(0.5), at(0.99), microseconds.size()};
}

// One call of each in turn until each has its samples (the sample cap or
// the time budget), clearing the stand-ins between batches outside the timed
// calls: this machine's speed drifts over seconds, and between rows timed one
// after another the drift decided a comparison more than the code did.
std::vector<Summary> timeInTurns(const std::vector<std::function<void()>>& calls,
                                 std::size_t batchCalls = kBatchCalls) {
    const double perMicrosecond = ticksPerMicrosecond();
    const auto after = [perMicrosecond, &calls](double seconds) {
        return ticks() + static_cast<std::int64_t>(seconds * static_cast<double>(calls.size()) * 1e6 * perMicrosecond);
    };
    const std::int64_t warmUpEnd = after(kWarmUpSeconds);
    for (std::size_t round = 1; round <= kWarmUpCalls && ticks() < warmUpEnd; ++round) {
        for (const auto& call : calls) call();
        if (round % batchCalls == 0) clearStandinState();
    }
    clearStandinState();
    std::vector<std::vector<double>> samples(calls.size());
    const std::int64_t deadline = after(kSecondsPerKind);
    const std::int64_t hardDeadline = after(kHardSecondsPerKind);
    for (std::size_t round = 1; round <= kMaxSamples && (round <= kMinSamples || ticks() < deadline) &&
                                (round <= 100 || ticks() < hardDeadline);
         ++round) {
        for (std::size_t k = 0; k < calls.size(); ++k) {
            const std::int64_t start = ticks();
            calls[k]();
            samples[k].push_back(static_cast<double>(ticks() - start) / perMicrosecond);
        }
        if (round % batchCalls == 0) clearStandinState();
    }
    clearStandinState();
    std::vector<Summary> summaries;
    for (std::vector<double>& each : samples) summaries.push_back(summarise(each));
    return summaries;
}

// One call alone.
Summary timeCalls(const std::function<void()>& call, std::size_t batchCalls = kBatchCalls) {
    return timeInTurns({call}, batchCalls).front();
}

// An envelope of that size, with a text value.
std::string floorText(std::size_t bytes) {
    const std::string prefix = R"({"error":null,"value":")";
    return prefix + std::string(bytes > prefix.size() + 2 ? bytes - prefix.size() - 2 : 0, 'x') + "\"}";
}

// What the bridge host alone does for an answer of that size.
void answerFloor(const std::string& text, std::int32_t status = 200) {
    const std::uint32_t promise = BridgeHelperCreatePromiseID();
    BridgeHelperSetResponse(promise, status, text.c_str());
}

void printHeader() {
    std::printf("%-34s %8s %8s %10s %10s %10s %9s %9s\n", "request", "bytes", "samples", "median us", "p99 us",
                "floor us", "x floor", "p99 x fl");
}

void printRow(const std::string& label, std::size_t bytes, const Summary& summary, const Summary& floor) {
    std::printf("%-34s %8zu %8zu %10.2f %10.1f %10.2f %8.1fx %8.1fx\n", label.c_str(), bytes, summary.samples,
                summary.median, summary.p99, floor.median, summary.median / floor.median, summary.p99 / floor.p99);
    std::fflush(stdout);
}

struct Timed {
    std::size_t bytes = 0;
    Summary summary;
    Summary floor;
    Summary alone;
    Summary inside;  // the stand-in's time inside each request
};

// Times the request, the host's answer of the same size and, when given, what
// the stand-in alone does for the request, in turns. With the stand-in's
// counter of time inside its calls, the share of each request spent in the
// stand-in is measured too.
Timed benchRequest(const std::string& label, const Request& request, std::int32_t status,
                   const std::function<bool(const pocketjson::Value&)>& valueIsRight,
                   const std::function<void()>& alone = nullptr, StandinTicksInsideFn ticksInside = nullptr) {
    Timed timed;
    timed.bytes = checkedAnswerSize(label, request, status, valueIsRight);
    const std::string text = floorText(timed.bytes);
    std::vector<double> inside;
    const double perMicrosecond = ticksPerMicrosecond();
    std::vector<std::function<void()>> calls = {
        [&request, &inside, ticksInside, perMicrosecond] {
            const std::uint64_t before = ticksInside ? ticksInside() : 0;
            request.call();
            if (ticksInside) {
                inside.push_back(static_cast<double>(ticksInside() - before) / perMicrosecond);
            }
        },
        [&text] { answerFloor(text); }};
    if (alone) calls.push_back(alone);
    const std::vector<Summary> turns = timeInTurns(calls, batchCallsFor(timed.bytes));
    timed.summary = turns[0];
    timed.floor = turns[1];
    if (alone) timed.alone = turns[2];
    if (ticksInside) timed.inside = summarise(inside);
    printRow(label, timed.bytes, timed.summary, timed.floor);
    return timed;
}

pocketjson::Value processesSection(const pocketjson::Value& demo, int count) {
    pocketjson::Value section = demo;
    pocketjson::Value& processes = section["processes"];
    processes = pocketjson::Value();
    for (int i = 0; i < count; ++i) {
        pocketjson::Value process;
        process["name"] = "worker" + std::to_string(i) + ".exe";
        process["command"] = "C:\\Program Files\\Worker\\worker" + std::to_string(i) + ".exe --serve";
        process["pid"] = 1000 + i;
        processes.append(process);
    }
    return section;
}

pocketjson::Value screensSection(const pocketjson::Value& demo, int count) {
    const pocketjson::Value& model = demo.get("screens").at(0);
    if (!model.isObject()) abortBench("the demo world has no screen to copy");
    pocketjson::Value section = demo;
    pocketjson::Value& screens = section["screens"];
    screens = pocketjson::Value();
    for (int i = 0; i < count; ++i) {
        pocketjson::Value screen = model;
        screen["deviceId"] = "\\\\.\\DISPLAY" + std::to_string(i + 1);
        screen["isPrimary"] = i == 0;
        screen["supportsGraphicsCardGamma"] = true;
        pocketjson::Value& bounds = screen["bounds"];
        bounds["x"] = i * 2560;
        screens.append(screen);
    }
    return section;
}

std::string gammaBody() {
    std::string ramp;
    for (int i = 0; i < 256; ++i) {
        if (i > 0) ramp += ',';
        ramp += std::to_string(i / 255.0);
    }
    return R"({"gamma":{"red":[)" + ramp + R"(],"green":[)" + ramp + R"(],"blue":[)" + ramp + "]}}";
}

struct MixResult {
    double callsPerSecond = 0;
    Summary summary;
};

// Each thread goes round the mix until the time is up; this thread clears
// the stand-ins meanwhile (their state is locked, so clearing is safe).
MixResult runMix(const std::vector<Request>& mix, int threadCount) {
    const double perMicrosecond = ticksPerMicrosecond();
    std::atomic<bool> stop{false};
    std::vector<std::vector<double>> samples(threadCount);
    std::vector<std::thread> threads;
    const std::uint32_t firstPromise = BridgeHostLastPromise();
    const std::int64_t start = ticks();
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([&, t] {
            std::vector<double>& mine = samples[t];
            mine.reserve(1 << 16);
            for (std::size_t i = t; !stop.load(std::memory_order_relaxed); ++i) {
                const std::int64_t begin = ticks();
                mix[i % mix.size()].call();
                mine.push_back(static_cast<double>(ticks() - begin) / perMicrosecond);
            }
        });
    }
    const std::int64_t deadline = start + static_cast<std::int64_t>(kMixSeconds * 1e6 * perMicrosecond);
    while (ticks() < deadline) {
        Sleep(50);
        clearStandinState();
    }
    stop = true;
    for (std::thread& thread : threads) thread.join();
    const double seconds = static_cast<double>(ticks() - start) / perMicrosecond / 1e6;
    std::vector<double> all;
    for (const std::vector<double>& mine : samples) all.insert(all.end(), mine.begin(), mine.end());
    const std::uint32_t promises = BridgeHostLastPromise() - firstPromise;
    if (promises != all.size()) abortBench("the mix made a different number of promises than calls");
    clearStandinState();
    MixResult result;
    result.callsPerSecond = static_cast<double>(all.size()) / seconds;
    result.summary = summarise(all);
    return result;
}

// Blocks of a JSON record's sizes allocated and freed, as many rounds as the
// threads manage in half the mix's time: the ceiling any request that
// allocates meets when it runs on several threads under Wine's one heap lock.
double heapRoundsPerSecond(int threadCount) {
    std::atomic<bool> stop{false};
    std::atomic<std::uint64_t> rounds{0};
    std::vector<std::thread> threads;
    const std::int64_t start = ticks();
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([&] {
            std::vector<void*> blocks(80);
            std::uint64_t mine = 0;
            while (!stop.load(std::memory_order_relaxed)) {
                for (std::size_t i = 0; i < blocks.size(); ++i) blocks[i] = std::malloc(16 + i * 4);
                for (void* block : blocks) std::free(block);
                ++mine;
            }
            rounds += mine;
        });
    }
    Sleep(static_cast<DWORD>(kMixSeconds * 500));
    stop = true;
    for (std::thread& thread : threads) thread.join();
    return static_cast<double>(rounds.load()) / (static_cast<double>(ticks() - start) / ticksPerMicrosecond() / 1e6);
}

// The walk the processes resource makes through the system-information
// stand-in, without the library: its snapshot, three getters per process.
void walkProcesses(std::size_t& sink) {
    const OstrHandle snapshot = OstrCreateRunningProcessSnapshot();
    for (std::uint32_t index = 0;; ++index) {
        const OstrHandle process = OstrEnumRunningProcess(snapshot, index);
        if (process == nullptr) break;
        const char* name = OstrGetProcessName(process);
        const char* command = OstrGetProcessCommand(process);
        sink += static_cast<std::size_t>(OstrGetProcessPID(process)) + (name != nullptr) + (command != nullptr);
    }
    OstrReleaseSnapshot(snapshot);
}

// The calls the screen list makes to the screen-information stand-in,
// without the library: the list, then what each screen's record reads.
std::function<void()> screenCalls(double& sink) {
    auto* pixelRatio =
        standinFunction<decltype(CrvGetScreenPixelRatio)>(L"libcarvel2_x64.dll", "CrvGetScreenPixelRatio");
    auto* year =
        standinFunction<decltype(CrvGetEdidManufactureYear)>(L"libcarvel2_x64.dll", "CrvGetEdidManufactureYear");
    if (pixelRatio == nullptr || year == nullptr) abortBench("the screen stand-in lacks its optional functions");
    return [&sink, pixelRatio, year] {
        const std::uint32_t count = CrvGetScreenCount();
        for (std::uint32_t index = 0; index < count; ++index) {
            const CrvScreen screen = CrvGetScreenAtIndex(index);
            sink += CrvGetScreenBounds(screen).width + CrvGetScreenColorDepth(screen) +
                    CrvGetScreenRefreshRate(screen) + CrvGetScreenRotation(screen) + CrvGetScreenScale(screen).x +
                    CrvGetScreenRenderingSize(screen).width;
            sink += CrvGetScreenScale(screen).y + CrvGetScreenRenderingSize(screen).height +
                    CrvIsScreenPrimary(screen) + CrvIsScreenMirroring(screen) + CrvSupportsScreenProfile(screen) +
                    CrvSupportsScreenGraphicsCardGamma(screen) + pixelRatio(screen).x;
            const CrvEdid edid = CrvGetScreenEdid(screen);
            if (edid == nullptr) continue;
            sink += CrvIsEdidTavroMonitor(edid) + (CrvGetEdidManufacturer(edid) != nullptr) +
                    (CrvGetEdidProductName(edid) != nullptr) + (CrvGetEdidSerialNumber(edid) != nullptr) +
                    CrvGetEdidPreferredResolution(edid).width + CrvGetEdidChromaticity(edid).red.x + year(edid).year;
        }
    };
}

// The host plug-in names a folder without the logging library; must run
// before the library's first request, which looks for that library once.
void silenceLogger() {
    pocketjson::Value harbor;
    harbor["exportsPath"] = fs::toUtf8(binFolder()) + "\\no-logger";
    loadSection(L"libHarbor_x64.dll", "harbor", harbor);
}

// Stands for a logging library that drops every line.
std::uint32_t dropLine(void*, const char*, std::uint32_t, const char*) { return 0; }
// Through a volatile pointer, so that the call is made as the library makes it.
decltype(&dropLine) volatile gDropLine = &dropLine;

RequestArgs parsedArgs(const Request& request) {
    RequestArgs args;
    const std::string* texts[] = {&request.options, &request.params, &request.query, &request.body};
    for (std::size_t i = 0; i < 4; ++i) pocketjson::parseJson(args.values[i], *texts[i]);
    return args;
}

// The 405 answer and the pieces of its budget, timed in turns; prints them
// and the verdict. The budget's throw is timed in the probe beside the
// library; the same throw in this program, found first in the module list,
// and caught in its own frame, are timed beside it.
void timeBudget(const Request& rejected, std::int32_t (*throwProbe)(bool)) {
    std::int32_t sink = 0;
    volatile bool reject = true;
    if (throwProbe(reject) != 405) abortBench("the throw probe caught nothing");
    const RequestArgs args = parsedArgs(rejected);
    const BridgeResult result = methodError();
    const std::string uri = kelto::kRouteBase;
    const std::string expected =
        "statusCode:405\tmethod:DELETE\turi:/mavel.internal/\terr:MethodError\tmsg:DELETE "
        "method is not allowed.";
    if (kelto::requestLogLine(uri, args, result) != expected) abortBench("unexpected log line");
    const std::size_t bytes =
        checkedAnswerSize("405", rejected, 405, [](const pocketjson::Value& value) { return value.isNull(); });
    const std::string floorText =
        R"({"error":{"message":"DELETE method is not allowed.","name":"MethodError"},"value":null})";
    if (floorText.size() != bytes) abortBench("the 405 floor's text is not the answer's size");

    const std::vector<Summary> turns = timeInTurns({
        [&floorText] { answerFloor(floorText, 405); },
        [&rejected] { rejected.call(); },
        [&sink, &reject, throwProbe] { sink += throwProbe(reject); },
        [&] {
            gDropLine(nullptr, "Mavel", kelto::requestLogLevel(result),
                      kelto::requestLogLine(uri, args, result).c_str());
        },
        [&sink, &reject] { sink += throwAndCatch(reject); },
        [&sink] {
            try {
                throw methodError();
            } catch (const BridgeResultError& error) {
                sink += error.statusCode;
            }
        },
    });
    if (sink == 0) abortBench("nothing was caught");
    const Summary& floor = turns[0];
    std::printf("\nthe 405 and its budget's pieces, one call of each in turn\n");
    printRow("floor", bytes, floor, floor);
    printRow("DELETE SystemInformation (405)", bytes, turns[1], floor);
    printRow("throw+catch BridgeResultError", 0, turns[2], floor);
    printRow("log line (format + no-op quillon_log)", expected.size(), turns[3], floor);
    printRow("  throw+catch in this program", 0, turns[4], floor);
    printRow("  the same in one frame of it", 0, turns[5], floor);
    const double budget = floor.median + turns[2].median + turns[3].median + 0.5;
    std::printf("405 budget: floor %.2f + throw+catch %.2f + log line %.2f + 0.5 = %.2f us; 405 median %.2f us: %s\n",
                floor.median, turns[2].median, turns[3].median, budget, turns[1].median,
                turns[1].median <= budget ? "within" : "over");
}

// Three costs of Wine's own that a request can pay many times over: looking
// a function up by name, one text through UTF-16 to UTF-8, one allocation.
void timeWineCosts(const Summary& smallFloor) {
    const HMODULE ostrel = GetModuleHandleW(L"libostrel_x64.dll");
    if (GetProcAddress(ostrel, "OstrGetOSReleaseID") == nullptr) abortBench("no OstrGetOSReleaseID");
    const Summary lookup = timeCalls([ostrel] { GetProcAddress(ostrel, "OstrGetOSReleaseID"); });
    printRow("Wine: GetProcAddress", 0, lookup, smallFloor);
    const std::string text = "Intel(R) Core(TM) i7-10700 CPU";
    const Summary conversion = timeCalls([&text] {
        wchar_t wide[64];
        char narrow[64];
        const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide, 64);
        WideCharToMultiByte(CP_UTF8, 0, wide, length, narrow, 64, nullptr, nullptr);
    });
    printRow("Wine: ANSI -> UTF-16 -> UTF-8", text.size(), conversion, smallFloor);
    // A JSON record is a box per container or string and a node per member.
    void* volatile kept = nullptr;
    const Summary allocation = timeCalls([&kept] {
        kept = std::malloc(64);
        std::free(kept);
    });
    printRow("Wine: malloc + free (64 bytes)", 64, allocation, smallFloor);
}

// The value's nodes and boxes come from the JSON library's block pool, which
// takes memory from operator new a chunk at a time: its blocks are counted
// apart and added.
std::uint64_t allocationsSoFar() noexcept { return gAllocations.load() + pocketjson::blocksTakenByThisThread(); }

template <class Step>
std::uint64_t allocationsOf(const Step& step) {
    const std::uint64_t before = allocationsSoFar();
    step();
    return allocationsSoFar() - before;
}

// Allocations of the request path's pure parts for one request, the answer
// value taken from the answer the library sent.
void printAllocations(const std::string& label, const Request& request, const Answer& answer) {
    RequestArgs args;
    const std::uint64_t parse = allocationsOf([&] { args = parsedArgs(request); });
    BridgeResult result(answer.envelope.get("value"));
    if (answer.status != 200) result = methodError();
    std::string text;
    const std::uint64_t envelope = allocationsOf([&] {
        if (!writeEnvelope(result, text)) abortBench("envelope not written");
    });
    if (text != answer.text) abortBench(label + ": the envelope differs from the library's answer");
    const std::uint64_t line = allocationsOf([&] { kelto::requestLogLine(kelto::kRouteBase, args, result); });
    std::printf("%-34s %8llu %9llu %9llu %7llu\n", label.c_str(), static_cast<unsigned long long>(parse),
                static_cast<unsigned long long>(envelope), static_cast<unsigned long long>(line),
                static_cast<unsigned long long>(parse + envelope + line));
}

}  // namespace

int main(int argc, char** argv) {
    const bool noLogger = argc > 1 && std::string(argv[1]) == "--no-logger";
    SetEnvironmentVariableW(L"QUILLON_LOG_FILE", logFilePath().c_str());
    const Library library;
    if (noLogger) silenceLogger();

    const auto isObjectWith = [](const char* key) {
        return [key](const pocketjson::Value& value) { return value.isObject() && value.hasKey(key); };
    };
    const auto isArrayOf = [](std::size_t count) {
        return [count](const pocketjson::Value& value) { return value.isArray() && value.size() == count; };
    };

    std::printf("libmavel_x64.dll under the stand-ins; one call at a time unless stated; times in microseconds\n");
    std::printf("floor: BridgeHelperCreatePromiseID + BridgeHelperSetResponse with a text of the answer's size\n");
    std::printf("logger: %s\n\n", noLogger ? "none (the host plug-in folder has no logging library)"
                                           : "the logging stand-in, appending every line to a file");
    printHeader();

    // The library's first calls load the stand-ins; the worlds are read after that.
    const Request information = library.request("SystemInformation", "GET");
    checkedAnswerSize("SystemInformation", information, 200, isObjectWith("os"));
    const pocketjson::Value demoOstrel = currentSection(L"libostrel_x64.dll");
    const pocketjson::Value demoCarvel = currentSection(L"libcarvel2_x64.dll");

    const std::string smallText = floorText(100);
    const Summary smallFloor = timeCalls([&smallText] { answerFloor(smallText); });
    printRow("floor alone", 100, smallFloor, smallFloor);

    const Request rejected = library.request("SystemInformation", "DELETE");
    benchRequest("DELETE SystemInformation (405)", rejected, 405,
                 [](const pocketjson::Value& value) { return value.isNull(); });
    benchRequest("GET SystemInformation", information, 200, [](const pocketjson::Value& value) {
        for (const char* key : {"os", "locale", "timeZone", "cpu", "memory", "pc", "ipAddress", "graphicsCards"}) {
            if (!value.hasKey(key)) return false;
        }
        return true;
    });

    const Request processes = library.request("SystemProcesses", "GET");
    // The library's own cost per process: what the request costs above the
    // stand-in's walk and the host's answer, between 50 and 5,000 processes.
    // The walk is timed in turns with the request and the host's answer, so
    // that the machine's speed drift hits all three alike.
    std::map<int, double> ownCost;
    std::map<int, double> ownCostInside;
    auto* const ostrelTicksInside = standinFunction<std::uint64_t()>(L"libostrel_x64.dll", "StandinTicksInside");
    auto* const ostrelTimeCalls = standinFunction<void(std::int32_t)>(L"libostrel_x64.dll", "StandinTimeCalls");
    if (ostrelTicksInside == nullptr || ostrelTimeCalls == nullptr) {
        abortBench("the system-information stand-in does not time its calls");
    }
    // Only these rows time the stand-in's calls, which costs it two reads of
    // the counter per call, in the walk alone as inside the request.
    ostrelTimeCalls(1);
    for (const int count : {50, 500, 5000}) {
        loadSection(L"libostrel_x64.dll", "ostrel", processesSection(demoOstrel, count));
        std::size_t sink = 0;
        const Timed timed = benchRequest(
            "GET SystemProcesses (" + std::to_string(count) + ")", processes, 200,
            [count](const pocketjson::Value& value) {
                return value.isArray() && value.size() == static_cast<std::size_t>(count) &&
                       value.at(count - 1).get("name").asString() == "worker" + std::to_string(count - 1) + ".exe";
            },
            [&sink] { walkProcesses(sink); }, ostrelTicksInside);
        if (sink == 0) abortBench("the process walk saw no process");
        printRow("  stand-in walk alone (" + std::to_string(count) + ")", 0, timed.alone, timed.floor);
        if (!(timed.inside.median > 0.0)) abortBench("the stand-in timed none of its calls");
        printRow("  stand-in inside the request (" + std::to_string(count) + ")", 0, timed.inside, timed.floor);
        ownCost[count] = timed.summary.median - timed.alone.median - timed.floor.median;
        ownCostInside[count] = timed.summary.median - timed.inside.median - timed.floor.median;
    }
    std::printf("%-34s %.3f us per process (50 to 5,000; request - stand-in walk - floor)\n", "  library's own cost",
                (ownCost[5000] - ownCost[50]) / 4950.0);
    std::printf("%-34s %.3f us per process (50 to 5,000; request - stand-in inside it - floor)\n",
                "  library's own cost", (ownCostInside[5000] - ownCostInside[50]) / 4950.0);
    ostrelTimeCalls(0);
    loadSection(L"libostrel_x64.dll", "ostrel", demoOstrel);

    const Request enumerate = library.request("Screens", "PUT");
    const Request screens = library.request("Screens", "GET");
    for (const int count : {1, 4, 16}) {
        loadSection(L"libcarvel2_x64.dll", "carvel2", screensSection(demoCarvel, count));
        checkedAnswerSize("PUT Screens", enumerate, 200, isArrayOf(count));
        double sink = 0;
        const Timed timed = benchRequest("GET Screens (" + std::to_string(count) + ")", screens, 200, isArrayOf(count),
                                         screenCalls(sink));
        if (sink == 0) abortBench("the screen calls saw nothing");
        printRow("  stand-in calls alone (" + std::to_string(count) + ")", 0, timed.alone, timed.floor);
    }

    const Request gamma = library.request("ScreenAtIndex", "PUT", R"({"index":0})", "", gammaBody());
    benchRequest("PUT ScreenAtIndex (gamma 3x256)", gamma, 200,
                 [](const pocketjson::Value& value) { return value.isNull(); });

    const Request language =
        library.request("SystemPreferredLanguage", "GET", "", R"({"resources":"ja-JP,en-GB,en-US","fallback":"en"})");
    benchRequest("GET SystemPreferredLanguage", language, 200,
                 [](const pocketjson::Value& value) { return value.asString() == "en-US"; });

    if (noLogger) {
        timeWineCosts(smallFloor);
        timeBudget(rejected, library.throwProbe());
        clearStandinState();
        const std::pair<std::string, const Request*> counted[] = {{"DELETE SystemInformation (405)", &rejected},
                                                                  {"GET SystemInformation", &information},
                                                                  {"GET Screens (16)", &screens},
                                                                  {"PUT ScreenAtIndex (gamma 3x256)", &gamma},
                                                                  {"GET SystemPreferredLanguage", &language}};
        for (const auto& [label, request] : counted) {
            printAllocations(label, *request, answerOf(*request));
            clearStandinState();
        }
    } else {
        // Every request writes one log line; this is what the logging
        // stand-in alone costs for one, to set beside the requests' times.
        auto* getLogger = standinFunction<decltype(quillon_get_logger)>(L"libquillon2_x64.dll", "quillon_get_logger");
        auto* writeLog = standinFunction<decltype(quillon_log)>(L"libquillon2_x64.dll", "quillon_log");
        if (getLogger == nullptr || writeLog == nullptr) abortBench("the logging stand-in is not loaded");
        void* logger = getLogger();
        const std::string line = "statusCode:200\tmethod:GET\turi:System/PreferredLanguage\tmsg:Success";
        if (writeLog(logger, "Mavel", 2, line.c_str()) != 0) abortBench("the logging stand-in refused a line");
        const Summary logSummary = timeCalls([&] { writeLog(logger, "Mavel", 2, line.c_str()); });
        printRow("log line alone (quillon_log)", line.size(), logSummary, smallFloor);
    }

    // The mix runs on the demo world, its screens enumerated; each of its
    // resources reads another library: the system-information stand-in, the
    // screen-information stand-in, and Wine's own desktops.
    loadSection(L"libcarvel2_x64.dll", "carvel2", demoCarvel);
    const std::size_t demoScreens = demoCarvel.get("screens").size();
    checkedAnswerSize("PUT Screens", enumerate, 200, isArrayOf(demoScreens));
    const std::vector<Request> mix = {information, screens, library.request("SystemLockState", "GET")};
    checkedAnswerSize("GET Screens", screens, 200, isArrayOf(demoScreens));
    checkedAnswerSize("GET SystemLockState", mix[2], 200, isObjectWith("state"));

    const MixResult single = runMix(mix, 1);
    const MixResult parallel = runMix(mix, kThreads);
    std::printf("\nmix of GET SystemInformation, Screens, SystemLockState for %.0f s\n", kMixSeconds);
    std::printf("%-10s %12s %10s %10s\n", "threads", "calls/s", "median us", "p99 us");
    std::printf("%-10d %12.0f %10.1f %10.1f\n", 1, single.callsPerSecond, single.summary.median, single.summary.p99);
    std::printf("%-10d %12.0f %10.1f %10.1f\n", kThreads, parallel.callsPerSecond, parallel.summary.median,
                parallel.summary.p99);
    std::printf("%d threads / 1 thread: %.2fx calls/s, %.2fx p99\n", kThreads,
                parallel.callsPerSecond / single.callsPerSecond, parallel.summary.p99 / single.summary.p99);
    const double heapSingle = heapRoundsPerSecond(1);
    std::printf("Wine heap alone (80 blocks allocated and freed), %d threads / 1 thread: %.2fx rounds/s\n", kThreads,
                heapRoundsPerSecond(kThreads) / heapSingle);
    DeleteFileW(logFilePath().c_str());
    return 0;
}
