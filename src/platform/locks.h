#pragma once
// Locks for std::lock_guard and friends, built on one word and the wait on
// its address. Under Wine a contended std::mutex (winpthreads) waits on an
// event through the Wine server: one round trip per wait, and every waiting
// thread of the process queues behind the one server thread. A wait on an
// address stays in the process (a futex under Wine), and taking a free lock
// is one compare-exchange, where a slim reader/writer lock costs three times
// as much under Wine and a critical section spins its waiters on two cores.

#include <windows.h>

#include <synchapi.h>

#include <atomic>

namespace kelto {

// Exclusive and not recursive.
class SlimLock {
public:
    SlimLock() noexcept = default;
    SlimLock(const SlimLock&) = delete;
    SlimLock& operator=(const SlimLock&) = delete;

    void lock() noexcept {
        LONG seen = kFree;
        if (!state_.compare_exchange_strong(seen, kHeld, std::memory_order_acquire)) waitAndTake(seen);
    }
    bool try_lock() noexcept {
        LONG seen = kFree;
        return state_.compare_exchange_strong(seen, kHeld, std::memory_order_acquire);
    }
    void unlock() noexcept {
        if (state_.exchange(kFree, std::memory_order_release) == kWaited) WakeByAddressSingle(address());
    }

private:
    static constexpr LONG kFree = 0;
    static constexpr LONG kHeld = 1;
    static constexpr LONG kWaited = 2;  // held, and someone may be asleep on it

    // Marks the lock as waited for, so that its holder wakes one sleeper on
    // release; whoever finds it free while marking owns it (still marked,
    // which costs at most one wake too many).
    void waitAndTake(LONG seen) noexcept {
        if (seen != kWaited) seen = state_.exchange(kWaited, std::memory_order_acquire);
        while (seen != kFree) {
            LONG waited = kWaited;
            WaitOnAddress(address(), &waited, sizeof waited, INFINITE);
            seen = state_.exchange(kWaited, std::memory_order_acquire);
        }
    }
    void* address() noexcept { return static_cast<void*>(&state_); }

    std::atomic<LONG> state_{kFree};
    static_assert(sizeof(std::atomic<LONG>) == sizeof(LONG) && std::atomic<LONG>::is_always_lock_free);
};

// The thread that holds it may take it again.
class RecursiveLock {
public:
    RecursiveLock() noexcept = default;
    RecursiveLock(const RecursiveLock&) = delete;
    RecursiveLock& operator=(const RecursiveLock&) = delete;

    void lock() noexcept {
        if (!takeAgain()) {
            lock_.lock();
            own();
        }
    }
    bool try_lock() noexcept {
        if (takeAgain()) return true;
        if (!lock_.try_lock()) return false;
        own();
        return true;
    }
    void unlock() noexcept {
        if (--depth_ != 0) return;
        owner_.store(0, std::memory_order_relaxed);
        lock_.unlock();
    }

private:
    // Only the owner itself can find its own id here: no other thread's
    // store ever writes it.
    bool takeAgain() noexcept {
        if (owner_.load(std::memory_order_relaxed) != GetCurrentThreadId()) return false;
        ++depth_;
        return true;
    }
    void own() noexcept {
        owner_.store(GetCurrentThreadId(), std::memory_order_relaxed);
        depth_ = 1;
    }

    SlimLock lock_;
    std::atomic<DWORD> owner_{0};
    unsigned depth_ = 0;
};

}  // namespace kelto
