#pragma once
// The screens Windows shows now: one per display monitor, read at once so
// that a screen list stays what it was when it was built.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "edid.h"
#include "platform/closed_libraries.h"

namespace provider {

struct Screen {
    std::wstring device;     // the display's GDI name, \\.\DISPLAY1
    std::wstring monitorId;  // the monitor's device id, for its colour profiles
    CrvRect bounds{};
    std::uint32_t colorDepth = 0;
    std::uint32_t rotation = 0;  // degrees clockwise
    double refreshRate = 0;
    CrvVector2 scale{1.0, 1.0};
    CrvSize renderingSize{};
    bool primary = false;
    bool mirroring = false;
    std::optional<edid::Edid> edid;
};

std::vector<Screen> readScreens();

// The colour profile now used for the screen: a full path, or empty.
std::wstring screenProfile(const Screen& screen);
// Makes path the screen's profile; an empty path detaches the current one.
bool setScreenProfile(const Screen& screen, const std::wstring& path);

// Ramps of 256 entries each, from 0.0 (off) to 1.0 (full).
struct GammaRamp {
    double red[256], green[256], blue[256];
};
bool readGamma(const Screen& screen, GammaRamp& ramp);
bool writeGamma(const Screen& screen, const GammaRamp& ramp);

}  // namespace provider
