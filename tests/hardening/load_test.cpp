// Many threads of mixed hostile requests while every kind of event fires, and
// a long run of requests that must leave memory, handles and threads where a
// warm-up left them. Runs in the sealed prefix, like the corpus it draws from.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include "bridgehost_control.h"
#include "library_harness.h"
#include "process_probe.h"
#include "request_corpus.h"

using mavel::test::EventDriver;
using mavel::test::HostileCorpus;
using mavel::test::MavelLibrary;

namespace {

// Ends the process with the threads' stacks when the test outlives its
// deadline, so a deadlock shows where it sits rather than as a bare timeout.
class Watchdog {
public:
    explicit Watchdog(DWORD deadlineMs) : done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        thread_ = std::thread([this, deadlineMs] {
            if (WaitForSingleObject(done_.get(), deadlineMs) == WAIT_OBJECT_0) return;
            std::fprintf(stderr, "deadline passed; threads of this process:\n");
            mavel::test::printThreadStacks();
            std::fflush(stderr);
            TerminateProcess(GetCurrentProcess(), 3);
        });
    }
    ~Watchdog() {
        SetEvent(done_.get());
        thread_.join();
    }

private:
    kelto::UniqueKernelHandle done_;
    std::thread thread_;
};

struct Tally {
    std::atomic<int> calls{0};
    std::atomic<int> faults{0};
    std::mutex lock;
    std::string first;

    void check(const mavel::test::Response& response, const mavel::test::HostileRequest& request) {
        ++calls;
        const std::string fault = mavel::test::envelopeFault(response);
        if (fault.empty() || faults++ != 0) return;
        const std::lock_guard hold(lock);
        first = fault + " for " + mavel::test::describe(request);
    }
};

TEST(Load, EightThreadsOfMixedCallsWhileEveryEventFires) {
    const Watchdog watchdog(mavel::test::setting("MAVEL_LOAD_DEADLINE_S", 270) * 1000);
    MavelLibrary library;
    EventDriver driver(library);
    const std::uint32_t perThread = mavel::test::setting("MAVEL_LOAD_CALLS", 10000);
    Tally tally;
    std::atomic<int> running{8};
    std::vector<std::thread> threads;
    for (std::uint32_t seed = 1; seed <= 8; ++seed) {
        threads.emplace_back([&, seed] {
            HostileCorpus corpus(seed);
            for (std::uint32_t i = 0; i < perThread; ++i) {
                const mavel::test::HostileRequest request = corpus.next(false);
                tally.check(mavel::test::send(library, request), request);
            }
            --running;
        });
    }
    int rounds = 0;
    for (; running > 0; ++rounds) driver.round();
    for (std::thread& thread : threads) thread.join();
    // The last round's workers announce after their waits.
    Sleep(2000);
    std::printf("%d calls, %d event rounds, %d events, %u threads now\n", tally.calls.load(), rounds,
                driver.events.load(), mavel::test::threadCount());
    EXPECT_EQ(tally.calls, static_cast<int>(8 * perThread));
    EXPECT_EQ(tally.faults, 0) << tally.first;
    EXPECT_EQ(driver.faults, 0) << driver.firstFault;
    // Each round a time and a session change; the monitor-controller changes
    // come from workers, and a busy round may let PUT's rescan take one first.
    EXPECT_GE(driver.events - driver.deviceEvents, 2 * rounds) << "events stopped coming";
    EXPECT_GE(driver.deviceEvents, rounds / 2) << "device events stopped coming";
}

// With the stand-ins' recordings emptied as it goes, what grows is the library's.
TEST(Load, LongRunsKeepMemoryHandlesAndThreadsAtTheWarmUpLevel) {
    const Watchdog watchdog(mavel::test::setting("MAVEL_LOAD_DEADLINE_S", 270) * 1000);
    MavelLibrary library;
    EventDriver driver(library);
    HostileCorpus corpus(29);
    Tally tally;
    for (const mavel::test::HostileRequest& request : corpus.sweep())
        tally.check(mavel::test::send(library, request), request);
    for (int i = 0; i < 3; ++i) driver.round();
    for (int i = 0; i < 3000; ++i) {
        const mavel::test::HostileRequest request = corpus.next(false);
        tally.check(mavel::test::send(library, request), request);
    }
    // Past every worker's wait: 600 ms for devices, 1.5 s for screens.
    Sleep(2500);
    mavel::test::resetRecordings();
    const std::uint32_t threads = mavel::test::threadCount();
    const std::uint64_t warm = mavel::test::privateBytes();
    const std::uint32_t handles = mavel::test::handleCount();
    std::uint64_t peak = warm;

    const std::uint32_t calls = mavel::test::setting("MAVEL_MEMORY_CALLS", 100000);
    for (std::uint32_t i = 1; i <= calls; ++i) {
        const mavel::test::HostileRequest request = corpus.next(false);
        tally.check(mavel::test::send(library, request), request);
        if (i % 5000 == 0) driver.round();
        if (i % 1000 == 0) {
            mavel::test::resetRecordings();
            peak = std::max(peak, mavel::test::privateBytes());
        }
    }
    mavel::test::waitForThreads(threads);
    mavel::test::resetRecordings();
    const std::uint64_t last = mavel::test::privateBytes();
    std::printf("%u calls; private bytes warm %llu, peak %llu, final %llu; handles %u -> %u; threads %u -> %u\n", calls,
                static_cast<unsigned long long>(warm), static_cast<unsigned long long>(peak),
                static_cast<unsigned long long>(last), handles, mavel::test::handleCount(), threads,
                mavel::test::threadCount());
    EXPECT_EQ(tally.faults, 0) << tally.first;
    EXPECT_EQ(driver.faults, 0) << driver.firstFault;
    // The heaps keep what they once held, so the level moves by up to a
    // megabyte and a half either way between runs; a leaked answer, request
    // text or log line would add 64 bytes and more a call on top of that.
    EXPECT_LE(last, warm + (2ull << 20) + 8ull * calls);
    EXPECT_LE(mavel::test::handleCount(), handles + 16);
}

// A host's thread pool comes and goes: what the library keeps for a thread
// must go back when the thread ends, or every ended thread leaves its share.
TEST(Load, ThreadsThatEndLeaveNothingBehind) {
    const Watchdog watchdog(mavel::test::setting("MAVEL_LOAD_DEADLINE_S", 270) * 1000);
    MavelLibrary library;
    HostileCorpus corpus(31);
    std::vector<mavel::test::HostileRequest> requests;
    for (int i = 0; i < 400; ++i) requests.push_back(corpus.next(false));
    Tally tally;
    const auto runThreads = [&](int count) {
        for (int i = 0; i < count; ++i) {
            std::thread([&] {
                for (const mavel::test::HostileRequest& request : requests)
                    tally.check(mavel::test::send(library, request), request);
            }).join();
            mavel::test::resetRecordings();
        }
    };
    // Sixteen threads have used every one of the library's heaps at least once.
    runThreads(16);
    const std::uint64_t warm = mavel::test::privateBytes();
    runThreads(48);
    const std::uint64_t last = mavel::test::privateBytes();
    std::printf("%d calls on 64 threads; private bytes after 16 threads %llu, after 64 %llu\n", tally.calls.load(),
                static_cast<unsigned long long>(warm), static_cast<unsigned long long>(last));
    EXPECT_EQ(tally.faults, 0) << tally.first;
    EXPECT_LE(last, warm + (1ull << 20));
}

// An answer of several hundred kilobytes leaves its buffers with the thread
// that made it, for the next long answer; they too must go when it ends.
TEST(Load, ThreadsThatSentLongAnswersLeaveNothingBehind) {
    MavelLibrary library;
    const std::string process =
        R"({"name":"worker.exe","pid":7,"command":"C:\\Program Files\\Worker\\worker.exe --serve"})";
    std::string processes = process;
    for (int i = 1; i < 6000; ++i) processes += "," + process;
    mavel::test::loadOstrelWorld(R"({"processes":[)" + processes + "]}");
    std::size_t longest = 0;
    const auto runThreads = [&](int count) {
        for (int i = 0; i < count; ++i) {
            std::thread([&] {
                for (int call = 0; call < 2; ++call) {
                    const mavel::test::Response answer = library.call("SystemProcesses");
                    EXPECT_EQ(answer.value().size(), 6000u);
                    longest = std::max(longest, answer.text.size());
                }
            }).join();
            mavel::test::resetRecordings();
        }
    };
    runThreads(16);
    const std::uint64_t warm = mavel::test::privateBytes();
    runThreads(32);
    EXPECT_GT(longest, std::size_t{512} << 10);
    // A thread that kept its buffers would leave a megabyte or more each.
    EXPECT_LE(mavel::test::privateBytes(), warm + (16ull << 20));
}

}  // namespace
