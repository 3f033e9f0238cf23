#pragma once
// What the process holds, for the load, memory and unloading tests, and the
// event driver that keeps every kind of event coming while requests run.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "library_harness.h"

namespace mavel::test {

std::uint64_t privateBytes();
std::uint32_t handleCount();
std::uint32_t threadCount();
// Blocks until no more threads run than baseline; the test's deadline ends a wait that never does.
void waitForThreads(std::uint32_t baseline);

// Forgets every response, event, call log and log line the stand-ins recorded.
void resetRecordings();

// Display changes, session and time messages, device arrivals and removals,
// with the device notification switched on and off, and screen watching on.
// Every event is checked as it is dispatched.
class EventDriver {
public:
    explicit EventDriver(const MavelLibrary& library);
    ~EventDriver();
    // One round of every kind; waits long enough between rounds itself for
    // each message to count as a change of its own.
    void round();

    std::atomic<int> events{0};
    std::atomic<int> deviceEvents{0};
    std::atomic<int> faults{0};
    std::string firstFault;  // written once, under the first fault

private:
    const MavelLibrary& library_;
    int rounds_ = 0;
};

// Prints every thread of this process with the code addresses found on its
// stack, for a test that is stuck.
void printThreadStacks();

}  // namespace mavel::test
