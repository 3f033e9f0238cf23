#pragma once
// The one way into the screen-information library: every call into it is
// made under the registry's recursive lock, so requests on any thread and
// the screen-change worker never interleave inside the library.

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/carvel2.h"
#include "platform/locks.h"
#include "pocketjson/value.h"

namespace kelto {

using ScreenHandle = CrvScreen;
// Non-null handles in the library's order, valid for the request that listed them.
using ScreenList = std::vector<ScreenHandle>;

class ScreenRegistry {
public:
    static ScreenRegistry& instance();

    ScreenRegistry(const ScreenRegistry&) = delete;
    ScreenRegistry& operator=(const ScreenRegistry&) = delete;
    ~ScreenRegistry();

    // Runs call under the lock and returns what it returns.
    template <class Call>
    decltype(auto) locked(Call&& call) {
        const std::lock_guard hold(lock_);
        return call();
    }

    ScreenList screens();
    ScreenList screensForMonitor(const std::string& serial, const std::string& product);
    ScreenList screensForPoint(std::int32_t x, std::int32_t y);

    // The screen record; null for a null handle.
    pocketjson::Value describeScreen(ScreenHandle screen);
    // Every screen's record, in list order, under one hold of the lock.
    pocketjson::Value screenRecords();
    // Compact JSON of screenRecords().
    std::string screensJson();

    // Re-enumerates and announces the list when it changed (screen_change.cpp).
    void checkScreenChange();

    bool screenProfilePath(ScreenHandle screen, std::string& path);
    // Detaches the profile and, when that worked and a name is given, deletes the file.
    bool removeScreenProfile(ScreenHandle screen, const std::string& fileName);

    // The last list recorded by a screen request or announced by the check.
    void setLastScreensJson(std::string text);
    // Replaces the last list with text; false (and nothing replaced) when equal.
    bool replaceLastScreensJson(const std::string& text);

private:
    ScreenRegistry() = default;

    kelto::RecursiveLock lock_;
    // The text is compared and replaced outside lock_ by request threads and
    // screen-change workers alike, so it has a small lock of its own: holding
    // lock_ for it would queue a string swap behind slow library calls.
    kelto::SlimLock lastScreensJsonLock_;
    std::string lastScreensJson_;
};

}  // namespace kelto
