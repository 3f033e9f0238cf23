#pragma once
// Helpers shared by the system-resource tests: worlds for the
// system-information stand-in and what that stand-in can tell about itself.

#include <windows.h>

#include <cstdint>
#include <string>

#include "library_harness.h"

namespace mavel::test {

// Replaces the system-information world only; other stand-ins keep the demo.
inline void loadOstrelWorld(const std::string& section) { loadWorld("{\"ostrel\":" + section + "}"); }

inline constexpr const wchar_t* kOstrel = L"libostrel_x64.dll";

// Snapshots the stand-in handed out and has not had back yet.
inline std::int32_t liveSnapshots() {
    using LiveSnapshots = std::int32_t();
    auto* live = reinterpret_cast<LiveSnapshots*>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(kOstrel), "OstrStandinLiveSnapshots")));
    return live != nullptr ? live() : -1;
}

// File names of the tests are ASCII, so a unit-by-unit widening serves.
inline std::wstring asciiWide(const std::string& text) { return std::wstring(text.begin(), text.end()); }
inline std::string asciiNarrow(const std::wstring& text) {
    std::string narrow;
    for (wchar_t unit : text) narrow.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
    return narrow;
}

}  // namespace mavel::test
