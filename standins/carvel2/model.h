#pragma once
// What the screen-information stand-in remembers between calls: the world,
// the current screen list, and every screen object ever handed out.
//
// Each CrvFindScreens builds new screen objects from the world; older ones are
// never freed, so a handle kept across a re-enumeration (or a release) still
// points at readable memory. Handles are checked against the set of objects
// ever handed out, so a null or foreign pointer reads as zeros.
//
// Profiles and ramps set through the library are the machine's state: they
// survive a re-enumeration (keyed by device id) until the next world arrives.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "standin/library.h"
#include "world.h"

namespace carvel2 {

class Model {
public:
    void apply(const standin::Json& section);
    bool fails(std::string_view function) const { return worlds_.current().failures.contains(function); }

    void findScreens();
    void releaseScreens() noexcept { current_.clear(); }
    // Screens of earlier lists stay alive so a stale handle never reaches
    // freed memory; StandinResetCallLog lets them go, so a long run's memory
    // shows only the caller's own growth. No request may be running then.
    void clearRecords();
    std::uint32_t count() const noexcept { return static_cast<std::uint32_t>(current_.size()); }
    Screen* at(std::uint32_t index) const noexcept { return index < current_.size() ? current_[index] : nullptr; }
    std::vector<Screen*> forMonitor(std::string_view serial, std::string_view product) const;
    std::vector<Screen*> forPoint(CrvPoint point) const;

    // The object behind a handle, or null when it was never handed out.
    Screen* screen(const void* handle) const;
    const Edid* edid(const void* handle) const;

    void setProfile(Screen& screen, std::optional<std::string> path);
    void setGamma(Screen& screen, const Gamma& gamma);

private:
    struct Settings {
        bool profileSet = false;
        std::optional<std::string> profile;
        std::optional<Gamma> gamma;
    };

    standin::Generations<World> worlds_;
    std::vector<std::unique_ptr<Screen>> handedOut_;
    std::vector<Screen*> current_;
    std::unordered_map<const void*, Screen*> screens_;
    std::unordered_map<const void*, const Edid*> edids_;
    std::map<std::string, Settings> settings_;
};

}  // namespace carvel2
