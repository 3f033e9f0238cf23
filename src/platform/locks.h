#pragma once
// Locks over the Windows primitives, for std::lock_guard and friends. Under
// Wine a contended std::mutex (winpthreads) waits on an event through the
// Wine server: one round trip per wait, and every waiting thread of the
// process queues behind the one server thread. Slim reader/writer locks and
// critical sections wait inside the process.

#include <windows.h>

namespace kelto {

// Exclusive and not recursive.
class SlimLock {
public:
    SlimLock() noexcept = default;
    SlimLock(const SlimLock&) = delete;
    SlimLock& operator=(const SlimLock&) = delete;

    void lock() noexcept { AcquireSRWLockExclusive(&lock_); }
    bool try_lock() noexcept { return TryAcquireSRWLockExclusive(&lock_) != FALSE; }
    void unlock() noexcept { ReleaseSRWLockExclusive(&lock_); }

private:
    SRWLOCK lock_ = SRWLOCK_INIT;
};

// The thread that holds it may take it again.
class RecursiveLock {
public:
    RecursiveLock() noexcept { InitializeCriticalSectionAndSpinCount(&section_, kSpinCount); }
    ~RecursiveLock() { DeleteCriticalSection(&section_); }
    RecursiveLock(const RecursiveLock&) = delete;
    RecursiveLock& operator=(const RecursiveLock&) = delete;

    void lock() noexcept { EnterCriticalSection(&section_); }
    bool try_lock() noexcept { return TryEnterCriticalSection(&section_) != FALSE; }
    void unlock() noexcept { LeaveCriticalSection(&section_); }

private:
    // Held across a library call or two: a short spin usually wins it
    // without sleeping.
    static constexpr DWORD kSpinCount = 4000;
    CRITICAL_SECTION section_;
};

}  // namespace kelto
