#pragma once
// Detached worker threads that keep this library loaded while they run.
//
// The host may unload the library at any moment, also while a worker still
// sleeps before its rescan or screen check. Each worker therefore holds its
// own reference on the module, taken before the thread starts and dropped by
// FreeLibraryAndExitThread as its very last act, so the code it returns into
// is never unmapped under it.

#include <windows.h>

#include <memory>
#include <utility>

#include "platform/handle_owner.h"

namespace kelto {

// A reference on the module that holds this code; empty when none could be had.
UniqueModule referenceThisModule() noexcept;

// The work of one detached thread, deleted on that thread after run().
class DetachedWork {
public:
    virtual ~DetachedWork() = default;
    virtual void run() noexcept = 0;
};

// Starts a thread for work and forgets it. False when no module reference or
// no thread could be had; the work is then dropped without running.
bool startDetachedWork(std::unique_ptr<DetachedWork> work) noexcept;

template <class Function>
bool startDetached(Function function) noexcept {
    struct Work final : DetachedWork {
        explicit Work(Function&& f) : body(std::move(f)) {}
        void run() noexcept override {
            try {
                body();
            } catch (...) {
                // A worker has no one to report to.
            }
        }
        Function body;
    };
    try {
        return startDetachedWork(std::make_unique<Work>(std::move(function)));
    } catch (...) {
        return false;
    }
}

}  // namespace kelto
