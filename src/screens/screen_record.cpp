#include "screens/screen_record.h"

#include "platform/library_text.h"

namespace kelto::screens {

namespace {

using pocketjson::Value;

struct ColorField {
    char letter;
    double CrvColor::*field;
};

// Every letter but T, which is an integer; C and Y are chroma and CIE Y here.
constexpr ColorField kColorFields[] = {
    {'R', &CrvColor::red}, {'G', &CrvColor::green}, {'B', &CrvColor::blue}, {'X', &CrvColor::X}, {'Y', &CrvColor::Y},
    {'Z', &CrvColor::Z},   {'x', &CrvColor::x},     {'y', &CrvColor::y},    {'L', &CrvColor::L}, {'a', &CrvColor::a},
    {'b', &CrvColor::b},   {'C', &CrvColor::C},     {'h', &CrvColor::h},
};

struct Primary {
    char letter;
    const char* key;
    CrvColor CrvChromaticity::*color;
};

constexpr Primary kPrimaries[] = {
    {'R', "red", &CrvChromaticity::red},     {'G', "green", &CrvChromaticity::green},
    {'B', "blue", &CrvChromaticity::blue},   {'W', "white", &CrvChromaticity::white},
    {'K', "black", &CrvChromaticity::black},
};

// A scale below 1 never enlarges: the rendering size is divided only by
// scales of at least 1, and rounded half up.
std::int32_t virtualLength(std::int32_t rendering, double scale) noexcept {
    const double divisor = 1.0 <= scale ? scale : 1.0;
    return static_cast<std::int32_t>(static_cast<double>(rendering) / divisor + 0.5);
}

CrvSize virtualSize(CrvScreen screen) {
    const CrvVector2 scale = CrvGetScreenScale(screen);
    const CrvSize rendering = CrvGetScreenRenderingSize(screen);
    return CrvSizeMake(virtualLength(rendering.width, scale.x), virtualLength(rendering.height, scale.y));
}

Value edidValue(CrvEdid edid) {
    Value value;
    value["isTavroMonitor"] = CrvIsEdidTavroMonitor(edid) != 0;
    // EDID texts are passed on as the library gives them.
    value["manufacturer"] = copyText(CrvGetEdidManufacturer(edid));
    value["productName"] = copyText(CrvGetEdidProductName(edid));
    value["serialNumber"] = copyText(CrvGetEdidSerialNumber(edid));
    value["preferredResolution"] = sizeValue(CrvGetEdidPreferredResolution(edid));
    value["chromaticity"] = chromaticityValue(CrvGetEdidChromaticity(edid), "RGBW", "xy");
    libcarvel2Loader& library = libcarvel2Loader::instance();
    if (library.hasFunction(carvel2::rt::getEdidManufactureYear)) {
        const Value date = manufactureDateValue(library.invoke(carvel2::rt::getEdidManufactureYear, edid));
        if (date.isObject()) value["manufactureYear"] = date;
    }
    return value;
}

}  // namespace

Value rectValue(const CrvRect& rect) {
    Value value;
    value["x"] = rect.x;
    value["y"] = rect.y;
    value["width"] = rect.width;
    value["height"] = rect.height;
    return value;
}

Value sizeValue(const CrvSize& size) {
    Value value;
    value["width"] = size.width;
    value["height"] = size.height;
    return value;
}

Value vector2Value(const CrvVector2& vector) {
    Value value;
    value["x"] = vector.x;
    value["y"] = vector.y;
    return value;
}

Value manufactureDateValue(const CrvManufactureDate& date) {
    Value value;
    if (date.kind != 1 && date.kind != 2) return value;
    value["type"] = date.kind == 1 ? "ManufactureYear" : "ModelYear";
    value["year"] = date.year;
    if (date.week != 0) value["week"] = date.week;
    return value;
}

Value colorValue(const CrvColor& color, const std::string& space) {
    Value value;
    if (space == "CMYK") {
        value["C"] = color.cyan;
        value["M"] = color.magenta;
        value["Y"] = color.yellow;
        value["K"] = color.black;
        return value;
    }
    for (const char letter : space) {
        if (letter == 'T') value["T"] = color.T;
        for (const ColorField& entry : kColorFields) {
            if (entry.letter == letter) value[std::string(1, letter)] = color.*entry.field;
        }
    }
    return value;
}

Value chromaticityValue(const CrvChromaticity& chromaticity, const std::string& primaries, const std::string& space) {
    Value value;
    for (const char letter : primaries) {
        for (const Primary& primary : kPrimaries) {
            if (primary.letter == letter) value[primary.key] = colorValue(chromaticity.*primary.color, space);
        }
    }
    return value;
}

Value screenRecord(CrvScreen screen) {
    Value record;
    record["bounds"] = rectValue(CrvGetScreenBounds(screen));
    record["colorDepth"] = CrvGetScreenColorDepth(screen);
    record["refreshRate"] = CrvGetScreenRefreshRate(screen);
    record["rotation"] = CrvGetScreenRotation(screen);
    record["scale"] = vector2Value(CrvGetScreenScale(screen));
    record["renderingSize"] = sizeValue(CrvGetScreenRenderingSize(screen));
    record["virtualSize"] = sizeValue(virtualSize(screen));
    record["isPrimary"] = CrvIsScreenPrimary(screen) != 0;
    record["isMirroring"] = CrvIsScreenMirroring(screen) != 0;
    record["supportsProfile"] = CrvSupportsScreenProfile(screen) != 0;
    record["supportsGraphicsCardGamma"] = CrvSupportsScreenGraphicsCardGamma(screen) != 0;
    libcarvel2Loader& library = libcarvel2Loader::instance();
    if (library.hasFunction(carvel2::rt::getScreenPixelRatio)) {
        record["pixelRatio"] = vector2Value(library.invoke(carvel2::rt::getScreenPixelRatio, screen));
    }
    if (const CrvEdid edid = CrvGetScreenEdid(screen)) record["edid"] = edidValue(edid);
    return record;
}

}  // namespace kelto::screens
