#pragma once
// The delayed check that follows a display-change message while screens are
// watched: "screenChanged" with the new list, only when the list changed.

#include <cstdint>

namespace kelto::screens {

// Body of the detached thread that one display-change message starts.
// elapsedMs is the time since the previous display-change message: only the
// first message of a burst (more than 200 ms after its predecessor) checks,
// 1.5 s later, when the display has settled.
void screenChangeWorker(std::uint32_t elapsedMs) noexcept;

}  // namespace kelto::screens
