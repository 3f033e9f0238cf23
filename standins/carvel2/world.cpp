#include "world.h"

#include <stdexcept>

namespace carvel2 {

namespace {

using standin::flag;
using standin::has;
using standin::integer;
using standin::Json;
using standin::member;
using standin::rawText;
using standin::real;

CrvRect rect(const Json& value) {
    return {integer<std::int32_t>(value, "x"), integer<std::int32_t>(value, "y"), integer<std::int32_t>(value, "width"),
            integer<std::int32_t>(value, "height")};
}

CrvSize size(const Json& value) {
    return {integer<std::int32_t>(value, "width"), integer<std::int32_t>(value, "height")};
}

CrvVector2 vector2(const Json& value) { return {real(value, "x"), real(value, "y")}; }

CrvColor color(const Json& value) {
    CrvColor c{};
    c.cyan = real(value, "cyan");
    c.magenta = real(value, "magenta");
    c.yellow = real(value, "yellow");
    c.black = real(value, "black");
    c.red = real(value, "red");
    c.green = real(value, "green");
    c.blue = real(value, "blue");
    c.X = real(value, "X");
    c.Y = real(value, "Y");
    c.Z = real(value, "Z");
    c.x = real(value, "x");
    c.y = real(value, "y");
    c.T = integer<std::uint32_t>(value, "T");
    c.L = real(value, "L");
    c.a = real(value, "a");
    c.b = real(value, "b");
    c.C = real(value, "C");
    c.h = real(value, "h");
    return c;
}

CrvChromaticity chromaticity(const Json& value) {
    return {color(member(value, "red")), color(member(value, "green")), color(member(value, "blue")),
            color(member(value, "white")), color(member(value, "black"))};
}

Edid edid(const Json& value) {
    const Json& date = member(value, "manufactureDate");
    return {flag(value, "isTavroMonitor"),
            rawText(value, "manufacturer"),
            rawText(value, "productName"),
            rawText(value, "serialNumber"),
            size(member(value, "preferredResolution")),
            chromaticity(member(value, "chromaticity")),
            {integer<std::uint32_t>(date, "kind"), integer<std::uint32_t>(date, "year"),
             integer<std::uint32_t>(date, "week")}};
}

// A screen without ramps of its own shows the identity ramp, as a graphics
// card does before anyone loads a calibration.
Ramp identityRamp() {
    Ramp ramp{};
    for (std::size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<double>(i) / (kGammaEntries - 1);
    return ramp;
}

Ramp ramp(const Json& value, const char* key) {
    const Json& entries = member(value, key);
    if (entries.is_null()) return identityRamp();
    if (!entries.is_array() || entries.size() != kGammaEntries) {
        throw std::invalid_argument(std::string("gamma.") + key + " must hold 256 numbers");
    }
    Ramp parsed{};
    for (std::size_t i = 0; i < parsed.size(); ++i) parsed[i] = entries[i].get<double>();
    return parsed;
}

Screen screen(const Json& value) {
    Screen s;
    s.deviceId = rawText(value, "deviceId");
    s.bounds = rect(member(value, "bounds"));
    s.colorDepth = integer<std::uint32_t>(value, "colorDepth");
    s.rotation = integer<std::uint32_t>(value, "rotation");
    s.refreshRate = real(value, "refreshRate");
    s.scale = vector2(member(value, "scale"));
    s.renderingSize = size(member(value, "renderingSize"));
    s.pixelRatio = vector2(member(value, "pixelRatio"));
    s.isPrimary = flag(value, "isPrimary");
    s.isMirroring = flag(value, "isMirroring");
    s.supportsProfile = flag(value, "supportsProfile");
    s.supportsGraphicsCardGamma = flag(value, "supportsGraphicsCardGamma");
    if (has(value, "profile")) s.profile = rawText(value, "profile");
    const Json& gamma = member(value, "gamma");
    s.gamma = {ramp(gamma, "red"), ramp(gamma, "green"), ramp(gamma, "blue")};
    if (has(value, "edid")) s.edid = edid(member(value, "edid"));
    return s;
}

}  // namespace

World parseWorld(const Json& section) {
    World world;
    world.failures = standin::FailList(section);
    for (const Json& entry : standin::list(section, "screens")) world.screens.push_back(screen(entry));
    return world;
}

}  // namespace carvel2
