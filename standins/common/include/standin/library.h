#pragma once
// One stand-in library's process-wide state: its model (world plus whatever
// the library remembers between calls), its call log and the lock that
// serialises every call, since the caller uses several threads.
//
// A Model provides
//   void apply(const Json& section);     // replace the world; throws and
//                                        // changes nothing when malformed
//   bool fails(std::string_view) const;  // the world's "fail" list
// and optionally
//   void clearRecords();                 // forget what it recorded besides
//                                        // the call log

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include <intrin.h>

#include "platform/locks.h"
#include "standin/call_log.h"
#include "standin/export.h"
#include "standin/world_document.h"

namespace standin {

// Every world ever applied, kept until process end: texts handed out from an
// older world must stay readable after the world is replaced.
template <typename World>
class Generations {
public:
    const World& current() const noexcept { return *all_.back(); }
    void add(World world) { all_.push_back(std::make_unique<const World>(std::move(world))); }

private:
    std::vector<std::unique_ptr<const World>> all_;
};

template <typename Model>
class Library {
public:
    explicit Library(const char* sectionName) noexcept : sectionName_(sectionName) {}
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    // Runs body(model, failing) under the lock after logging the call; failing
    // tells whether the world lists the function in "fail". No exception
    // leaves: a failure inside gives the empty result (0, null, "").
    template <typename Body>
    auto call(std::string_view function, Body&& body) noexcept {
        using Result = std::invoke_result_t<Body, Model&, bool>;
        const TimeInside timer(timing_.load(std::memory_order_relaxed) ? &ticksInside_ : nullptr);
        try {
            std::lock_guard lock(lock_);
            start();
            log_.record(function);
            return body(model_, model_.fails(function));
        } catch (...) {
            return emptyResult<Result>();
        }
    }

    // Like call, for control functions: not logged, never failing.
    template <typename Body>
    auto control(Body&& body) noexcept {
        using Result = std::invoke_result_t<Body, Model&>;
        try {
            std::lock_guard lock(lock_);
            start();
            return body(model_);
        } catch (...) {
            return emptyResult<Result>();
        }
    }

    std::int32_t loadWorld(const char* documentText) noexcept {
        if (documentText == nullptr) return 0;
        try {
            const std::optional<Json> document = parseWorld(documentText);
            if (!document) return 0;
            std::lock_guard lock(lock_);
            start();
            const Json& section = sectionOf(*document, sectionName_);
            model_.apply(section);
            section_ = section;
            return 1;
        } catch (...) {
            return 0;
        }
    }

    // Valid until the next call of callLog.
    const char* callLog() noexcept { return logText(callLogText_, &CallLog::json); }
    // Valid until the next call of callSequence.
    const char* callSequence() noexcept { return logText(callSequenceText_, &CallLog::sequenceJson); }

    // The section in use as JSON text; valid until the next call of world.
    const char* world() noexcept {
        try {
            std::lock_guard lock(lock_);
            start();
            worldText_ = section_.dump();
            return worldText_.c_str();
        } catch (...) {
            return "";
        }
    }

    void resetCallLog() noexcept {
        std::lock_guard lock(lock_);
        log_.clear();
        if constexpr (requires { model_.clearRecords(); }) {
            model_.clearRecords();
        }
    }

    // Time-stamp counter ticks spent inside logged calls while timing is on:
    // a benchmark reads it around a request to tell the stand-in's share of
    // it. Off, a call costs one load more; on, two reads of the counter.
    std::uint64_t ticksInside() const noexcept { return ticksInside_.load(std::memory_order_relaxed); }
    void timeCalls(bool on) noexcept { timing_.store(on, std::memory_order_relaxed); }

    std::int32_t callCount(const char* function) noexcept {
        if (function == nullptr) return 0;
        std::lock_guard lock(lock_);
        return log_.count(function);
    }

private:
    // Adds the call's ticks to total, when there is one.
    class TimeInside {
    public:
        explicit TimeInside(std::atomic<std::uint64_t>* total) noexcept
            : total_(total), start_(total != nullptr ? __rdtsc() : 0) {}
        TimeInside(const TimeInside&) = delete;
        TimeInside& operator=(const TimeInside&) = delete;
        ~TimeInside() {
            if (total_ != nullptr) total_->fetch_add(__rdtsc() - start_, std::memory_order_relaxed);
        }

    private:
        std::atomic<std::uint64_t>* total_;
        std::uint64_t start_;
    };

    template <typename Result>
    static Result emptyResult() noexcept {
        if constexpr (std::is_same_v<Result, const char*>) {
            return "";
        } else if constexpr (!std::is_void_v<Result>) {
            return Result{};
        }
    }

    const char* logText(std::string& text, std::string (CallLog::*write)() const) noexcept {
        try {
            std::lock_guard lock(lock_);
            text = (log_.*write)();
            return text.c_str();
        } catch (...) {
            return "[]";
        }
    }

    // The world is read on first use, not at load: DllMain runs under the
    // loader lock, too early for file access.
    void start() {
        if (started_) return;
        const std::optional<Json> document = startupWorld();
        const Json* section = &sectionOf(document ? *document : demoWorld(), sectionName_);
        try {
            model_.apply(*section);
        } catch (const std::exception&) {
            // A malformed section in the world file: fall back to the demo.
            section = &sectionOf(demoWorld(), sectionName_);
            model_.apply(*section);
        }
        section_ = *section;
        started_ = true;
    }

    const char* sectionName_;
    kelto::SlimLock lock_;
    bool started_ = false;
    Model model_;
    Json section_;
    std::string worldText_;
    CallLog log_;
    std::string callLogText_;
    std::string callSequenceText_;
    std::atomic<bool> timing_{false};
    std::atomic<std::uint64_t> ticksInside_{0};
};

}  // namespace standin

// The control API of standin_control.h, bound to the Library that the
// expression instance gives: every stand-in states it once, so that a new
// control function reaches all of them alike.
#define STANDIN_CONTROL_EXPORTS(instance)                                                                           \
    STANDIN_EXPORT std::int32_t StandinLoadWorld(const char* worldJson) { return (instance).loadWorld(worldJson); } \
    STANDIN_EXPORT const char* StandinWorld() { return (instance).world(); }                                        \
    STANDIN_EXPORT const char* StandinCallLog() { return (instance).callLog(); }                                    \
    STANDIN_EXPORT void StandinResetCallLog() { (instance).resetCallLog(); }                                        \
    STANDIN_EXPORT std::int32_t StandinCallCount(const char* function) { return (instance).callCount(function); }   \
    STANDIN_EXPORT const char* StandinCallSequence() { return (instance).callSequence(); }                          \
    STANDIN_EXPORT std::uint64_t StandinTicksInside() { return (instance).ticksInside(); }                          \
    STANDIN_EXPORT void StandinTimeCalls(std::int32_t on) { (instance).timeCalls(on != 0); }
