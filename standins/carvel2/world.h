#pragma once
// The screens that the screen-information stand-in finds. EDID texts, device
// ids and profile paths are kept byte for byte: the caller passes them on
// without code-page conversion.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/closed_libraries.h"
#include "standin/fail_list.h"

namespace carvel2 {

inline constexpr std::size_t kGammaEntries = 256;
using Ramp = std::array<double, kGammaEntries>;

struct Gamma {
    Ramp red{}, green{}, blue{};
};

struct Edid {
    bool isTavroMonitor = false;
    std::string manufacturer;
    std::string productName;
    std::string serialNumber;
    CrvSize preferredResolution{};
    CrvChromaticity chromaticity{};
    CrvManufactureDate manufactureDate{};
};

struct Screen {
    std::string deviceId;
    CrvRect bounds{};
    std::uint32_t colorDepth = 0;
    std::uint32_t rotation = 0;
    double refreshRate = 0.0;
    CrvVector2 scale{};
    CrvSize renderingSize{};
    CrvVector2 pixelRatio{};
    bool isPrimary = false;
    bool isMirroring = false;
    bool supportsProfile = false;
    bool supportsGraphicsCardGamma = false;
    std::optional<std::string> profile;
    Gamma gamma;
    std::optional<Edid> edid;
};

struct World {
    standin::FailList failures;
    std::vector<Screen> screens;
};

// Throws when the section is malformed.
World parseWorld(const standin::Json& section);

}  // namespace carvel2
