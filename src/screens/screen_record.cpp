#include "screens/screen_record.h"

#include <string_view>
#include <utility>

#include "platform/library_text.h"

namespace kelto::screens {

namespace {

using pocketjson::putLast;
using pocketjson::Value;
using pocketjson::ValueType;

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

// In key order, the order the members are added in.
constexpr Primary kPrimaries[] = {
    {'K', "black", &CrvChromaticity::black}, {'B', "blue", &CrvChromaticity::blue},
    {'G', "green", &CrvChromaticity::green}, {'R', "red", &CrvChromaticity::red},
    {'W', "white", &CrvChromaticity::white},
};

// A scale below 1 never enlarges: the rendering size is divided only by
// scales of at least 1, and rounded half up.
std::int32_t virtualLength(std::int32_t rendering, double scale) noexcept {
    const double divisor = 1.0 <= scale ? scale : 1.0;
    return static_cast<std::int32_t>(static_cast<double>(rendering) / divisor + 0.5);
}

CrvSize virtualSize(const CrvSize& rendering, const CrvVector2& scale) noexcept {
    return CrvSizeMake(virtualLength(rendering.width, scale.x), virtualLength(rendering.height, scale.y));
}

Value edidValue(CrvEdid edid) {
    const bool isTavro = CrvIsEdidTavroMonitor(edid) != 0;
    // EDID texts are passed on as the library gives them.
    std::string manufacturer = copyText(CrvGetEdidManufacturer(edid));
    std::string productName = copyText(CrvGetEdidProductName(edid));
    std::string serialNumber = copyText(CrvGetEdidSerialNumber(edid));
    Value resolution = sizeValue(CrvGetEdidPreferredResolution(edid));
    Value chromaticity = chromaticityValue(CrvGetEdidChromaticity(edid), "RGBW", "xy");
    Value date;
    libcarvel2Loader& library = libcarvel2Loader::instance();
    if (library.hasFunction(carvel2::rt::getEdidManufactureYear)) {
        date = manufactureDateValue(library.invoke(carvel2::rt::getEdidManufactureYear, edid));
    }
    Value value(ValueType::Object);
    Value::Object& members = value.mutableMembers();
    putLast(members, "chromaticity", std::move(chromaticity));
    putLast(members, "isTavroMonitor", isTavro);
    if (date.isObject()) putLast(members, "manufactureYear", std::move(date));
    putLast(members, "manufacturer", std::move(manufacturer));
    putLast(members, "preferredResolution", std::move(resolution));
    putLast(members, "productName", std::move(productName));
    putLast(members, "serialNumber", std::move(serialNumber));
    return value;
}

}  // namespace

Value rectValue(const CrvRect& rect) {
    Value value(ValueType::Object);
    Value::Object& members = value.mutableMembers();
    putLast(members, "height", rect.height);
    putLast(members, "width", rect.width);
    putLast(members, "x", rect.x);
    putLast(members, "y", rect.y);
    return value;
}

Value sizeValue(const CrvSize& size) {
    Value value(ValueType::Object);
    Value::Object& members = value.mutableMembers();
    putLast(members, "height", size.height);
    putLast(members, "width", size.width);
    return value;
}

Value vector2Value(const CrvVector2& vector) {
    Value value(ValueType::Object);
    Value::Object& members = value.mutableMembers();
    putLast(members, "x", vector.x);
    putLast(members, "y", vector.y);
    return value;
}

Value manufactureDateValue(const CrvManufactureDate& date) {
    Value value;
    if (date.kind != 1 && date.kind != 2) return value;
    Value::Object& members = value.mutableMembers();
    putLast(members, "type", date.kind == 1 ? "ManufactureYear" : "ModelYear");
    if (date.week != 0) putLast(members, "week", date.week);
    putLast(members, "year", date.year);
    return value;
}

Value colorValue(const CrvColor& color, const std::string& space) {
    Value value;
    // A space without a known letter leaves the value null.
    const auto put = [&value](char letter, Value component) {
        putLast(value.mutableMembers(), std::string_view(&letter, 1), std::move(component));
    };
    if (space == "CMYK") {
        put('C', color.cyan);
        put('K', color.black);
        put('M', color.magenta);
        put('Y', color.yellow);
        return value;
    }
    for (const char letter : space) {
        if (letter == 'T') put('T', color.T);
        for (const ColorField& entry : kColorFields) {
            if (entry.letter == letter) put(letter, color.*entry.field);
        }
    }
    return value;
}

Value chromaticityValue(const CrvChromaticity& chromaticity, const std::string& primaries, const std::string& space) {
    Value value;
    for (const Primary& primary : kPrimaries) {
        if (primaries.find(primary.letter) == std::string::npos) continue;
        putLast(value.mutableMembers(), primary.key, colorValue(chromaticity.*primary.color, space));
    }
    return value;
}

Value screenRecord(CrvScreen screen) {
    // Asked in the order the library has always been asked, stored in key order.
    Value bounds = rectValue(CrvGetScreenBounds(screen));
    const std::uint32_t colorDepth = CrvGetScreenColorDepth(screen);
    const double refreshRate = CrvGetScreenRefreshRate(screen);
    const std::uint32_t rotation = CrvGetScreenRotation(screen);
    const CrvVector2 scale = CrvGetScreenScale(screen);
    const CrvSize rendering = CrvGetScreenRenderingSize(screen);
    // The virtual size asks the library for both once more: a library that
    // answers differently the second time gets the same record as always.
    const CrvVector2 virtualScale = CrvGetScreenScale(screen);
    const CrvSize virtualRendering = CrvGetScreenRenderingSize(screen);
    const bool isPrimary = CrvIsScreenPrimary(screen) != 0;
    const bool isMirroring = CrvIsScreenMirroring(screen) != 0;
    const bool supportsProfile = CrvSupportsScreenProfile(screen) != 0;
    const bool supportsGamma = CrvSupportsScreenGraphicsCardGamma(screen) != 0;
    Value pixelRatio;
    libcarvel2Loader& library = libcarvel2Loader::instance();
    if (library.hasFunction(carvel2::rt::getScreenPixelRatio)) {
        pixelRatio = vector2Value(library.invoke(carvel2::rt::getScreenPixelRatio, screen));
    }
    const CrvEdid edid = CrvGetScreenEdid(screen);

    Value record(ValueType::Object);
    Value::Object& members = record.mutableMembers();
    putLast(members, "bounds", std::move(bounds));
    putLast(members, "colorDepth", colorDepth);
    if (edid != nullptr) putLast(members, "edid", edidValue(edid));
    putLast(members, "isMirroring", isMirroring);
    putLast(members, "isPrimary", isPrimary);
    if (pixelRatio.isObject()) putLast(members, "pixelRatio", std::move(pixelRatio));
    putLast(members, "refreshRate", refreshRate);
    putLast(members, "renderingSize", sizeValue(rendering));
    putLast(members, "rotation", rotation);
    putLast(members, "scale", vector2Value(scale));
    putLast(members, "supportsGraphicsCardGamma", supportsGamma);
    putLast(members, "supportsProfile", supportsProfile);
    putLast(members, "virtualSize", sizeValue(virtualSize(virtualRendering, virtualScale)));
    return record;
}

}  // namespace kelto::screens
