#include "screens/single_screen_resources.h"

#include <array>
#include <cctype>
#include <charconv>
#include <optional>
#include <string>

#include "platform/library_text.h"
#include "platform/ostrel.h"
#include "screens/screen_point.h"

namespace kelto::bridge {

namespace {

using pocketjson::Value;
using pocketjson::ValueType;

constexpr std::size_t kRampLength = 256;
using Ramp = std::array<double, kRampLength>;

[[noreturn]] void screenNotFound() { throw BridgeResultError(404, "NotFoundError", "screen is not found."); }

// Leading blanks, then a decimal number in any locale; 0 when none begins there.
double readDecimal(const std::string& text) noexcept {
    const char* begin = text.data();
    const char* const end = begin + text.size();
    while (begin != end && std::isspace(static_cast<unsigned char>(*begin))) ++begin;
    if (begin != end && *begin == '+') ++begin;
    double number = 0.0;
    if (std::from_chars(begin, end, number).ec != std::errc()) return 0.0;
    return number;
}

double rampEntry(const Value& element) noexcept {
    switch (element.type()) {
        case ValueType::Boolean: return element.boolValue() ? 1.0 : 0.0;
        case ValueType::Integer: return static_cast<double>(element.intValue());
        case ValueType::Double: return element.doubleValue();
        case ValueType::String: return readDecimal(element.stringValue());
        default: return 0.0;
    }
}

// The first 256 elements of an array; zeros for whatever it lacks, and for
// any value that is no array (a long enough text passes the size test).
Ramp rampOf(const Value& channel) noexcept {
    Ramp ramp{};
    for (std::size_t index = 0; index < kRampLength; ++index) ramp[index] = rampEntry(channel.at(index));
    return ramp;
}

Value rampValue(const Ramp& ramp) {
    Value list(ValueType::Array);
    Value::Array& elements = list.mutableElements();
    elements.reserve(ramp.size());
    for (const double entry : ramp) elements.emplace_back(entry);
    return list;
}

Value profileValue(ScreenHandle screen) {
    std::string path;
    const bool found = ScreenRegistry::instance().screenProfilePath(screen, path);
    requireInternal(found && !path.empty(), "Failed to get screen profile.");
    // Passed on as the library gives it.
    return Value(path);
}

Value gammaValue(ScreenHandle screen) {
    Ramp red{}, green{}, blue{};
    const bool read = ScreenRegistry::instance().locked(
        [&] { return CrvGetScreenGraphicsCardGamma(screen, red.data(), green.data(), blue.data()) != 0; });
    requireInternal(read, "Failed to get screen gamma.");
    Value gamma;
    gamma["red"] = rampValue(red);
    gamma["green"] = rampValue(green);
    gamma["blue"] = rampValue(blue);
    return gamma;
}

// Without the registry's lock: the card comes from the system-information library.
Value graphicsCardValue(ScreenHandle screen) {
    const char* deviceId = CrvGetWindowsScreenDeviceId(screen);
    const OstrHandle card = OstrGetVGAOfScreen(deviceId != nullptr ? deviceId : "");
    if (card == nullptr) return Value();
    Value value;
    value["name"] = utf8FromAnsi(OstrGetVGAName(card));
    value["vendor"] = utf8FromAnsi(OstrGetVGAVendor(card));
    value["driverName"] = utf8FromAnsi(OstrGetVGADriverName(card));
    value["driverVersion"] = utf8FromAnsi(OstrGetVGADriverVersion(card));
    value["vram"] = OstrGetVGAVRAMSize(card);
    ostrelLoader& library = ostrelLoader::instance();
    if (library.hasFunction(ostrel::rt::getVGADeviceLocationID)) {
        value["deviceLocationId"] = copyText(library.invoke(ostrel::rt::getVGADeviceLocationID, card));
    }
    return value;
}

// The first selector the query holds wins.
Value selectedValue(ScreenHandle screen, const RequestArgs& args) {
    const Value& query = args.query();
    if (query.hasKey("profile")) return profileValue(screen);
    if (query.hasKey("gamma")) return gammaValue(screen);
    if (query.hasKey("graphicsCard")) return graphicsCardValue(screen);
    return ScreenRegistry::instance().describeScreen(screen);
}

BridgeResult getScreenResult(ScreenHandle screen, const RequestArgs& args) {
    return BridgeResult(selectedValue(screen, args));
}

// One failing screen fails the whole answer.
BridgeResult getScreensResult(const ScreenList& screens, const RequestArgs& args) {
    Value list(ValueType::Array);
    for (const ScreenHandle screen : screens) list.append(selectedValue(screen, args));
    return BridgeResult(list);
}

// Tries every screen, also after one refused; true when none refused.
template <class Change>
bool changeEach(const ScreenList& screens, Change change) {
    bool allDone = true;
    for (const ScreenHandle screen : screens) {
        if (!ScreenRegistry::instance().locked([&] { return change(screen); })) allDone = false;
    }
    return allDone;
}

void requireRampSize(const Value& gamma, const char* channel) {
    requireBadRequest(gamma.get(channel).size() >= kRampLength, std::string("gamma.") + channel + " is invalid size.");
}

// What a step sets stays set when a later step fails.
BridgeResult putScreensResult(const ScreenList& screens, const RequestArgs& args) {
    const Value& body = args.body();
    bool handled = false;
    if (body.hasKey("profile")) {
        const std::string path = body.get("profile").asString("");
        const bool set =
            changeEach(screens, [&](ScreenHandle screen) { return CrvSetScreenProfile(screen, path.c_str()) != 0; });
        requireInternal(set, "Failed to set screen profile.");
        handled = true;
    }
    if (body.hasKey("gamma")) {
        const Value& gamma = body.get("gamma");
        for (const char* channel : {"red", "green", "blue"}) requireRampSize(gamma, channel);
        const Ramp red = rampOf(gamma.get("red"));
        const Ramp green = rampOf(gamma.get("green"));
        const Ramp blue = rampOf(gamma.get("blue"));
        const bool set = changeEach(screens, [&](ScreenHandle screen) {
            return CrvSetScreenGraphicsCardGamma(screen, red.data(), green.data(), blue.data()) != 0;
        });
        requireInternal(set, "Failed to set screen gamma.");
        handled = true;
    }
    requireBadRequest(handled, "data must contains profile or gamma.");
    return BridgeResult();
}

// The file name stays UTF-8, the form the path class reads, so a name
// outside the ANSI code page still deletes the file the caller named.
BridgeResult deleteScreensResult(const ScreenList& screens, const RequestArgs& args) {
    const Value& query = args.query();
    if (!query.hasKey("profile")) return BridgeResult();
    const std::string fileName = query.get("profile").asString("");
    bool removed = true;
    for (const ScreenHandle screen : screens) {
        if (!ScreenRegistry::instance().removeScreenProfile(screen, fileName)) removed = false;
    }
    requireInternal(removed, "Failed to remove screen profile.");
    return BridgeResult();
}

}  // namespace

BridgeResult ScreenSelectionBridge::onGet(const RequestArgs& args) {
    const ScreenList screens = select(args);
    return answersOneScreen() ? getScreenResult(screens.front(), args) : getScreensResult(screens, args);
}

BridgeResult ScreenSelectionBridge::onPut(const RequestArgs& args) { return putScreensResult(select(args), args); }
BridgeResult ScreenSelectionBridge::onDelete(const RequestArgs& args) {
    return deleteScreensResult(select(args), args);
}

ScreenList ScreenAtIndex::select(const RequestArgs& args) {
    const Value& index = args.params().get("index");
    const std::uint32_t position = index.toUInt32(0);
    uri += "Screens/" + index.asString("");
    const ScreenList screens = ScreenRegistry::instance().screens();
    requireBadRequest(position < screens.size(), "index is invalid.");
    return {screens[position]};
}

ScreenList ScreensForMonitor::select(const RequestArgs& args) {
    const std::string serial = args.params().get("serial").asString("");
    const std::string product = args.params().get("product").asString("");
    uri += "Screens/" + product + "/" + serial;
    ScreenList screens = ScreenRegistry::instance().screensForMonitor(serial, product);
    if (screens.empty()) screenNotFound();
    return screens;
}

ScreenList ScreensForPoint::select(const RequestArgs& args) {
    const std::string text = args.params().get("point").asString("");
    uri += "Screens/" + text;
    const std::optional<screens::ScreenPoint> point = screens::readScreenPoint(text);
    requireBadRequest(point.has_value(), "point is invalid.");
    ScreenList screens = ScreenRegistry::instance().screensForPoint(point->x, point->y);
    if (screens.empty()) screenNotFound();
    return screens;
}

}  // namespace kelto::bridge
