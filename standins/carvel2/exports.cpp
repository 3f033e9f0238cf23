// Exports of the screen-information stand-in libcarvel2_x64.dll. The minimal
// variant (STANDIN_MINIMAL) leaves out the two functions that the library
// only looks up by name.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "model.h"
#include "standin/export.h"

namespace {

using carvel2::Edid;
using carvel2::Model;
using carvel2::Screen;

using ScreenHandle = void*;
using EdidHandle = void*;

standin::Library<Model>& library() {
    static standin::Library<Model> instance("carvel2");
    return instance;
}

// A property of a known screen; the empty value for an unknown handle or
// when the world makes the function fail.
template <typename Read>
auto screenProperty(std::string_view function, ScreenHandle handle, Read read) {
    using Value = decltype(read(std::declval<const Screen&>()));
    return library().call(function, [handle, read](Model& model, bool failing) -> Value {
        const Screen* screen = model.screen(handle);
        return failing || screen == nullptr ? Value{} : read(*screen);
    });
}

template <typename Read>
auto edidProperty(std::string_view function, EdidHandle handle, Read read) {
    using Value = decltype(read(std::declval<const Edid&>()));
    return library().call(function, [handle, read](Model& model, bool failing) -> Value {
        const Edid* edid = model.edid(handle);
        if (failing || edid == nullptr) {
            if constexpr (std::is_same_v<Value, const char*>)
                return "";
            else
                return Value{};
        }
        return read(*edid);
    });
}

template <typename Select>
std::uint32_t countOf(std::string_view function, Select select) {
    return library().call(function, [select](Model& model, bool failing) -> std::uint32_t {
        return failing ? 0 : static_cast<std::uint32_t>(select(model).size());
    });
}

template <typename Select>
ScreenHandle screenOf(std::string_view function, std::uint32_t index, Select select) {
    return library().call(function, [select, index](Model& model, bool failing) -> ScreenHandle {
        if (failing) return nullptr;
        const std::vector<Screen*> screens = select(model);
        return index < screens.size() ? screens[index] : nullptr;
    });
}

std::int32_t asFlag(bool value) noexcept { return value ? 1 : 0; }

}  // namespace

// Enumeration

STANDIN_EXPORT std::int32_t CrvFindScreens() {
    return library().call("CrvFindScreens", [](Model& model, bool failing) -> std::int32_t {
        if (failing) return 0;
        model.findScreens();
        return 1;
    });
}

STANDIN_EXPORT void CrvReleaseScreens() {
    library().call("CrvReleaseScreens", [](Model& model, bool) { model.releaseScreens(); });
}

STANDIN_EXPORT std::uint32_t CrvGetScreenCount() {
    return library().call("CrvGetScreenCount",
                          [](Model& model, bool failing) -> std::uint32_t { return failing ? 0 : model.count(); });
}

STANDIN_EXPORT ScreenHandle CrvGetScreenAtIndex(std::uint32_t index) {
    return library().call("CrvGetScreenAtIndex", [index](Model& model, bool failing) -> ScreenHandle {
        return failing ? nullptr : model.at(index);
    });
}

STANDIN_EXPORT std::uint32_t CrvGetScreenCountForMonitor(const char* serial, const char* product) {
    return countOf("CrvGetScreenCountForMonitor", [serial, product](const Model& model) {
        return serial && product ? model.forMonitor(serial, product) : std::vector<Screen*>();
    });
}

STANDIN_EXPORT ScreenHandle CrvGetScreenForMonitorAtIndex(const char* serial, const char* product,
                                                          std::uint32_t index) {
    return screenOf("CrvGetScreenForMonitorAtIndex", index, [serial, product](const Model& model) {
        return serial && product ? model.forMonitor(serial, product) : std::vector<Screen*>();
    });
}

STANDIN_EXPORT CrvPoint CrvPointMake(std::int32_t x, std::int32_t y) {
    return library().call("CrvPointMake", [x, y](Model&, bool) { return CrvPoint{x, y}; });
}

STANDIN_EXPORT std::uint32_t CrvGetScreenCountForPoint(CrvPoint point) {
    return countOf("CrvGetScreenCountForPoint", [point](const Model& model) { return model.forPoint(point); });
}

STANDIN_EXPORT ScreenHandle CrvGetScreenForPointAtIndex(CrvPoint point, std::uint32_t index) {
    return screenOf("CrvGetScreenForPointAtIndex", index,
                    [point](const Model& model) { return model.forPoint(point); });
}

// Screen properties

STANDIN_EXPORT CrvRect CrvGetScreenBounds(ScreenHandle screen) {
    return screenProperty("CrvGetScreenBounds", screen, [](const Screen& s) { return s.bounds; });
}
STANDIN_EXPORT std::uint32_t CrvGetScreenColorDepth(ScreenHandle screen) {
    return screenProperty("CrvGetScreenColorDepth", screen, [](const Screen& s) { return s.colorDepth; });
}
STANDIN_EXPORT std::uint32_t CrvGetScreenRotation(ScreenHandle screen) {
    return screenProperty("CrvGetScreenRotation", screen, [](const Screen& s) { return s.rotation; });
}
STANDIN_EXPORT double CrvGetScreenRefreshRate(ScreenHandle screen) {
    return screenProperty("CrvGetScreenRefreshRate", screen, [](const Screen& s) { return s.refreshRate; });
}
STANDIN_EXPORT CrvVector2 CrvGetScreenScale(ScreenHandle screen) {
    return screenProperty("CrvGetScreenScale", screen, [](const Screen& s) { return s.scale; });
}
STANDIN_EXPORT CrvSize CrvGetScreenRenderingSize(ScreenHandle screen) {
    return screenProperty("CrvGetScreenRenderingSize", screen, [](const Screen& s) { return s.renderingSize; });
}
STANDIN_EXPORT CrvSize CrvSizeMake(std::int32_t width, std::int32_t height) {
    return library().call("CrvSizeMake", [width, height](Model&, bool) { return CrvSize{width, height}; });
}
STANDIN_EXPORT std::int32_t CrvIsScreenPrimary(ScreenHandle screen) {
    return screenProperty("CrvIsScreenPrimary", screen, [](const Screen& s) { return asFlag(s.isPrimary); });
}
STANDIN_EXPORT std::int32_t CrvIsScreenMirroring(ScreenHandle screen) {
    return screenProperty("CrvIsScreenMirroring", screen, [](const Screen& s) { return asFlag(s.isMirroring); });
}
STANDIN_EXPORT std::int32_t CrvSupportsScreenProfile(ScreenHandle screen) {
    return screenProperty("CrvSupportsScreenProfile", screen,
                          [](const Screen& s) { return asFlag(s.supportsProfile); });
}
STANDIN_EXPORT std::int32_t CrvSupportsScreenGraphicsCardGamma(ScreenHandle screen) {
    return screenProperty("CrvSupportsScreenGraphicsCardGamma", screen,
                          [](const Screen& s) { return asFlag(s.supportsGraphicsCardGamma); });
}
STANDIN_EXPORT const char* CrvGetWindowsScreenDeviceId(ScreenHandle screen) {
    return library().call("CrvGetWindowsScreenDeviceId", [screen](Model& model, bool failing) -> const char* {
        const Screen* found = model.screen(screen);
        return failing || found == nullptr ? "" : found->deviceId.c_str();
    });
}

#ifndef STANDIN_MINIMAL
STANDIN_EXPORT CrvVector2 CrvGetScreenPixelRatio(ScreenHandle screen) {
    return screenProperty("CrvGetScreenPixelRatio", screen, [](const Screen& s) { return s.pixelRatio; });
}
#endif

// EDID

STANDIN_EXPORT EdidHandle CrvGetScreenEdid(ScreenHandle screen) {
    return library().call("CrvGetScreenEdid", [screen](Model& model, bool failing) -> EdidHandle {
        Screen* found = model.screen(screen);
        return failing || found == nullptr || !found->edid ? nullptr : &*found->edid;
    });
}
STANDIN_EXPORT std::int32_t CrvIsEdidTavroMonitor(EdidHandle edid) {
    return edidProperty("CrvIsEdidTavroMonitor", edid, [](const Edid& e) { return asFlag(e.isTavroMonitor); });
}
STANDIN_EXPORT const char* CrvGetEdidManufacturer(EdidHandle edid) {
    return edidProperty("CrvGetEdidManufacturer", edid, [](const Edid& e) { return e.manufacturer.c_str(); });
}
STANDIN_EXPORT const char* CrvGetEdidProductName(EdidHandle edid) {
    return edidProperty("CrvGetEdidProductName", edid, [](const Edid& e) { return e.productName.c_str(); });
}
STANDIN_EXPORT const char* CrvGetEdidSerialNumber(EdidHandle edid) {
    return edidProperty("CrvGetEdidSerialNumber", edid, [](const Edid& e) { return e.serialNumber.c_str(); });
}
STANDIN_EXPORT CrvSize CrvGetEdidPreferredResolution(EdidHandle edid) {
    return edidProperty("CrvGetEdidPreferredResolution", edid, [](const Edid& e) { return e.preferredResolution; });
}
STANDIN_EXPORT CrvChromaticity CrvGetEdidChromaticity(EdidHandle edid) {
    return edidProperty("CrvGetEdidChromaticity", edid, [](const Edid& e) { return e.chromaticity; });
}

#ifndef STANDIN_MINIMAL
STANDIN_EXPORT CrvManufactureDate CrvGetEdidManufactureYear(EdidHandle edid) {
    return edidProperty("CrvGetEdidManufactureYear", edid, [](const Edid& e) { return e.manufactureDate; });
}
#endif

// Profile and gamma

// With a null buffer the size (terminating zero included) is reported; with a
// buffer too small for the path the call fails and reports the size needed.
STANDIN_EXPORT std::int32_t CrvGetScreenProfile(ScreenHandle screen, char* buffer, std::uint32_t* size) {
    return library().call("CrvGetScreenProfile", [=](Model& model, bool failing) -> std::int32_t {
        const Screen* found = model.screen(screen);
        if (failing || found == nullptr || size == nullptr || !found->profile) return 0;
        const std::uint32_t needed = static_cast<std::uint32_t>(found->profile->size() + 1);
        const bool fits = buffer != nullptr && *size >= needed;
        if (buffer != nullptr && !fits) {
            *size = needed;
            return 0;
        }
        if (fits) std::memcpy(buffer, found->profile->c_str(), needed);
        *size = needed;
        return 1;
    });
}

STANDIN_EXPORT std::int32_t CrvSetScreenProfile(ScreenHandle screen, const char* path) {
    return library().call("CrvSetScreenProfile", [=](Model& model, bool failing) -> std::int32_t {
        Screen* found = model.screen(screen);
        if (failing || found == nullptr || !found->supportsProfile) return 0;
        model.setProfile(*found, path ? std::optional<std::string>(path) : std::nullopt);
        return 1;
    });
}

STANDIN_EXPORT std::int32_t CrvGetScreenGraphicsCardGamma(ScreenHandle screen, double* red, double* green,
                                                          double* blue) {
    return library().call("CrvGetScreenGraphicsCardGamma", [=](Model& model, bool failing) -> std::int32_t {
        const Screen* found = model.screen(screen);
        if (failing || found == nullptr || !found->supportsGraphicsCardGamma || !red || !green || !blue) return 0;
        std::copy(found->gamma.red.begin(), found->gamma.red.end(), red);
        std::copy(found->gamma.green.begin(), found->gamma.green.end(), green);
        std::copy(found->gamma.blue.begin(), found->gamma.blue.end(), blue);
        return 1;
    });
}

STANDIN_EXPORT std::int32_t CrvSetScreenGraphicsCardGamma(ScreenHandle screen, const double* red, const double* green,
                                                          const double* blue) {
    return library().call("CrvSetScreenGraphicsCardGamma", [=](Model& model, bool failing) -> std::int32_t {
        Screen* found = model.screen(screen);
        if (failing || found == nullptr || !found->supportsGraphicsCardGamma || !red || !green || !blue) return 0;
        carvel2::Gamma gamma;
        std::copy(red, red + carvel2::kGammaEntries, gamma.red.begin());
        std::copy(green, green + carvel2::kGammaEntries, gamma.green.begin());
        std::copy(blue, blue + carvel2::kGammaEntries, gamma.blue.begin());
        model.setGamma(*found, gamma);
        return 1;
    });
}

// Control

STANDIN_CONTROL_EXPORTS(library())
