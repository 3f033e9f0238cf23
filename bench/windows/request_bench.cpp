// Per-call cost of the library's resources, measured the way the bridge host
// calls them: the real libmavel_x64.dll beside the stand-ins in bin/, one
// request at a time on this thread, then a mix of requests from 8 threads.
// Every kind of request is answered once and checked before it is timed, so a
// fast wrong answer cannot pass as speed. The floor is what the bridge host
// alone costs for an answer of the same size: creating a promise and setting
// its response, with no library in between.
//
// usage: request_bench.exe   (run under Wine from build/bin)

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "bridgehost_control.h"
#include "platform/closed_libraries.h"
#include "platform/handle_owner.h"
#include "pocketjson/json.h"
#include "standin_control.h"

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
// keeps their memory, and the cost of their growing containers, bounded.
constexpr std::size_t kBatchCalls = 1000;
constexpr int kThreads = 8;
constexpr double kMixSeconds = 2.0;

[[noreturn]] void abortBench(const std::string& message) {
    std::fprintf(stderr, "request_bench: %s\n", message.c_str());
    std::fflush(stderr);
    std::exit(1);
}

std::int64_t ticks() {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

double ticksPerMicrosecond() {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(frequency.QuadPart) / 1e6;
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

class Library {
public:
    Library()
        : module_(
              LoadLibraryExW((binFolder() + L"\\libmavel_x64.dll").c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)) {
        if (!module_) abortBench("cannot load libmavel_x64.dll from the executable's folder");
    }

    Request request(const std::string& exportName, const std::string& method, const std::string& params = "",
                    const std::string& query = "", const std::string& body = "") const {
        Request request{exportName, "{\"method\":\"" + method + "\"}", params, query, body, nullptr};
        request.entry = kelto::findExport<Entry>(module_.get(), exportName.c_str());
        if (request.entry == nullptr) abortBench("missing export " + exportName);
        return request;
    }

private:
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

// Times one call at a time until the sample cap or the time budget is
// reached, clearing the stand-ins between batches outside the timed calls.
Summary timeCalls(const std::function<void()>& call) {
    const double perMicrosecond = ticksPerMicrosecond();
    const auto after = [perMicrosecond](double seconds) {
        return ticks() + static_cast<std::int64_t>(seconds * 1e6 * perMicrosecond);
    };
    const std::int64_t warmUpEnd = after(kWarmUpSeconds);
    for (std::size_t i = 0; i < kWarmUpCalls && ticks() < warmUpEnd; ++i) call();
    clearStandinState();
    std::vector<double> samples;
    samples.reserve(kMaxSamples);
    const std::int64_t deadline = after(kSecondsPerKind);
    const std::int64_t hardDeadline = after(kHardSecondsPerKind);
    while (samples.size() < kMaxSamples && (samples.size() < kMinSamples || ticks() < deadline) &&
           (samples.size() < 100 || ticks() < hardDeadline)) {
        const std::int64_t start = ticks();
        call();
        samples.push_back(static_cast<double>(ticks() - start) / perMicrosecond);
        if (samples.size() % kBatchCalls == 0) clearStandinState();
    }
    clearStandinState();
    return summarise(samples);
}

// What the bridge host alone costs for an answer of that size.
class Floor {
public:
    const Summary& forSize(std::size_t bytes) {
        auto found = summaries_.find(bytes);
        if (found != summaries_.end()) return found->second;
        const std::string prefix = R"({"error":null,"value":")";
        const std::string text =
            prefix + std::string(bytes > prefix.size() + 2 ? bytes - prefix.size() - 2 : 0, 'x') + "\"}";
        const Summary summary = timeCalls([&text] {
            const std::uint32_t promise = BridgeHelperCreatePromiseID();
            BridgeHelperSetResponse(promise, 200, text.c_str());
        });
        return summaries_.emplace(bytes, summary).first->second;
    }

private:
    std::map<std::size_t, Summary> summaries_;
};

void printHeader() {
    std::printf("%-34s %8s %8s %10s %10s %10s %9s %9s\n", "request", "bytes", "samples", "median us", "p99 us",
                "floor us", "x floor", "p99 x fl");
}

void printRow(const std::string& label, std::size_t bytes, const Summary& summary, const Summary& floor) {
    std::printf("%-34s %8zu %8zu %10.1f %10.1f %10.2f %8.1fx %8.1fx\n", label.c_str(), bytes, summary.samples,
                summary.median, summary.p99, floor.median, summary.median / floor.median, summary.p99 / floor.p99);
    std::fflush(stdout);
}

void benchRequest(Floor& floor, const std::string& label, const Request& request, std::int32_t status,
                  const std::function<bool(const pocketjson::Value&)>& valueIsRight) {
    const std::size_t bytes = checkedAnswerSize(label, request, status, valueIsRight);
    const Summary& floorSummary = floor.forSize(bytes);
    const Summary summary = timeCalls([&request] { request.call(); });
    printRow(label, bytes, summary, floorSummary);
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

}  // namespace

int main() {
    SetEnvironmentVariableW(L"QUILLON_LOG_FILE", logFilePath().c_str());
    const Library library;
    Floor floor;

    const auto isObjectWith = [](const char* key) {
        return [key](const pocketjson::Value& value) { return value.isObject() && value.hasKey(key); };
    };
    const auto isArrayOf = [](std::size_t count) {
        return [count](const pocketjson::Value& value) { return value.isArray() && value.size() == count; };
    };

    std::printf("libmavel_x64.dll under the stand-ins; one call at a time unless stated; times in microseconds\n");
    std::printf("floor: BridgeHelperCreatePromiseID + BridgeHelperSetResponse with a text of the answer's size\n\n");
    printHeader();

    // The library's first calls load the stand-ins; the worlds are read after that.
    const Request information = library.request("SystemInformation", "GET");
    checkedAnswerSize("SystemInformation", information, 200, isObjectWith("os"));
    const pocketjson::Value demoOstrel = currentSection(L"libostrel_x64.dll");
    const pocketjson::Value demoCarvel = currentSection(L"libcarvel2_x64.dll");

    const Summary& smallFloor = floor.forSize(100);
    printRow("floor alone", 100, smallFloor, smallFloor);

    benchRequest(floor, "DELETE SystemInformation (405)", library.request("SystemInformation", "DELETE"), 405,
                 [](const pocketjson::Value& value) { return value.isNull(); });
    benchRequest(floor, "GET SystemInformation", information, 200, [](const pocketjson::Value& value) {
        for (const char* key : {"os", "locale", "timeZone", "cpu", "memory", "pc", "ipAddress", "graphicsCards"}) {
            if (!value.hasKey(key)) return false;
        }
        return true;
    });

    const Request processes = library.request("SystemProcesses", "GET");
    for (const int count : {50, 500, 5000}) {
        loadSection(L"libostrel_x64.dll", "ostrel", processesSection(demoOstrel, count));
        benchRequest(floor, "GET SystemProcesses (" + std::to_string(count) + ")", processes, 200,
                     [count](const pocketjson::Value& value) {
                         return value.isArray() && value.size() == static_cast<std::size_t>(count) &&
                                value.at(count - 1).get("name").asString() ==
                                    "worker" + std::to_string(count - 1) + ".exe";
                     });
    }
    loadSection(L"libostrel_x64.dll", "ostrel", demoOstrel);

    const Request enumerate = library.request("Screens", "PUT");
    const Request screens = library.request("Screens", "GET");
    for (const int count : {1, 4, 16}) {
        loadSection(L"libcarvel2_x64.dll", "carvel2", screensSection(demoCarvel, count));
        checkedAnswerSize("PUT Screens", enumerate, 200, isArrayOf(count));
        benchRequest(floor, "GET Screens (" + std::to_string(count) + ")", screens, 200, isArrayOf(count));
    }

    const Request gamma = library.request("ScreenAtIndex", "PUT", R"({"index":0})", "", gammaBody());
    benchRequest(floor, "PUT ScreenAtIndex (gamma 3x256)", gamma, 200,
                 [](const pocketjson::Value& value) { return value.isNull(); });

    const Request language =
        library.request("SystemPreferredLanguage", "GET", "", R"({"resources":"ja-JP,en-GB,en-US","fallback":"en"})");
    benchRequest(floor, "GET SystemPreferredLanguage", language, 200,
                 [](const pocketjson::Value& value) { return value.asString() == "en-US"; });

    // Every request writes one log line; this is what the logging stand-in
    // alone costs for one, to set beside the requests' times.
    auto* getLogger = standinFunction<decltype(quillon_get_logger)>(L"libquillon2_x64.dll", "quillon_get_logger");
    auto* writeLog = standinFunction<decltype(quillon_log)>(L"libquillon2_x64.dll", "quillon_log");
    if (getLogger == nullptr || writeLog == nullptr) abortBench("the logging stand-in is not loaded");
    void* logger = getLogger();
    const std::string line = "statusCode:200\tmethod:GET\turi:System/PreferredLanguage\tmsg:Success";
    if (writeLog(logger, "Mavel", 2, line.c_str()) != 0) abortBench("the logging stand-in refused a line");
    const Summary logSummary = timeCalls([&] { writeLog(logger, "Mavel", 2, line.c_str()); });
    printRow("log line alone (quillon_log)", line.size(), logSummary, smallFloor);

    // The mix runs on the demo world, its screens enumerated.
    loadSection(L"libcarvel2_x64.dll", "carvel2", demoCarvel);
    const std::size_t demoScreens = demoCarvel.get("screens").size();
    checkedAnswerSize("PUT Screens", enumerate, 200, isArrayOf(demoScreens));
    const std::vector<Request> mix = {information, screens, processes, library.request("SystemLockState", "GET")};
    checkedAnswerSize("GET Screens", screens, 200, isArrayOf(demoScreens));
    checkedAnswerSize("GET SystemProcesses", processes, 200, isArrayOf(demoOstrel.get("processes").size()));
    checkedAnswerSize("GET SystemLockState", mix[3], 200, isObjectWith("state"));

    const MixResult single = runMix(mix, 1);
    const MixResult parallel = runMix(mix, kThreads);
    std::printf("\nmix of GET SystemInformation, Screens, SystemProcesses, SystemLockState for %.0f s\n", kMixSeconds);
    std::printf("%-10s %12s %10s %10s\n", "threads", "calls/s", "median us", "p99 us");
    std::printf("%-10d %12.0f %10.1f %10.1f\n", 1, single.callsPerSecond, single.summary.median, single.summary.p99);
    std::printf("%-10d %12.0f %10.1f %10.1f\n", kThreads, parallel.callsPerSecond, parallel.summary.median,
                parallel.summary.p99);
    std::printf("%d threads / 1 thread: %.2fx calls/s\n", kThreads, parallel.callsPerSecond / single.callsPerSecond);
    DeleteFileW(logFilePath().c_str());
    return 0;
}
