// libcarvel2_x64.dll over the Windows API.
//
// The list is empty until CrvFindScreens and again after CrvReleaseScreens:
// the library enumerates, and switches its screen watching on, only when it
// finds the count at 0, so a list that existed from the start would leave a
// host without screen-change events.
//
// Handles: CrvFindScreens numbers every screen it finds with an id never
// used before; a screen handle is that id, an EDID handle the same id marked
// as such. Every call looks its id up in the current list, so a handle from
// a released or replaced list (or any stray value) finds nothing and gets the
// answer for "no such screen" instead of touching freed memory. Texts are
// interned (provider/text.h) and outlive every list.

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/closed_libraries.h"
#include "platform/locks.h"
#include "provider/text.h"
#include "screens.h"

namespace {

using provider::Screen;

// Screen handles are even, EDID handles odd: both non-zero.
std::uintptr_t screenHandleOf(std::uint64_t id) noexcept { return id * 2; }
std::uintptr_t edidHandleOf(std::uint64_t id) noexcept { return id * 2 + 1; }

struct Listed {
    std::uint64_t id;
    Screen screen;
};

class ScreenList {
public:
    std::int32_t find() { return build(); }

    void release() {
        const std::lock_guard lock(lock_);
        listed_.clear();
    }

    std::uint32_t count() {
        const std::lock_guard lock(lock_);
        return static_cast<std::uint32_t>(listed_.size());
    }

    // The index-th screen that passes the filter, as a handle; null past the last.
    template <class Filter>
    CrvScreen nth(std::uint32_t index, Filter filter) {
        const std::lock_guard lock(lock_);
        for (const Listed& entry : listed_) {
            if (filter(entry.screen) && index-- == 0) return reinterpret_cast<CrvScreen>(screenHandleOf(entry.id));
        }
        return nullptr;
    }

    template <class Filter>
    std::uint32_t countOf(Filter filter) {
        const std::lock_guard lock(lock_);
        return static_cast<std::uint32_t>(
            std::count_if(listed_.begin(), listed_.end(), [&](const Listed& entry) { return filter(entry.screen); }));
    }

    // A copy, so that no caller works on a list another thread replaces.
    std::optional<Screen> screen(const void* handle) const { return lookup(handle, screenHandleOf); }
    std::optional<Screen> screenOfEdid(const void* handle) const { return lookup(handle, edidHandleOf); }

private:
    // Windows is asked without the lock: a slow display driver must not
    // hold up hosts reading the current list.
    std::int32_t build() {
        std::vector<Screen> screens = provider::readScreens();
        const std::lock_guard lock(lock_);
        listed_.clear();
        for (Screen& screen : screens) listed_.push_back({nextId_++, std::move(screen)});
        return static_cast<std::int32_t>(listed_.size());
    }

    std::optional<Screen> lookup(const void* handle, std::uintptr_t (*handleOf)(std::uint64_t)) const {
        const auto value = reinterpret_cast<std::uintptr_t>(handle);
        const std::lock_guard lock(lock_);
        for (const Listed& entry : listed_) {
            if (handleOf(entry.id) == value) return entry.screen;
        }
        return std::nullopt;
    }

    mutable kelto::SlimLock lock_;
    std::vector<Listed> listed_;
    std::uint64_t nextId_ = 1;
};

ScreenList& screens() {
    static ScreenList list;
    return list;
}

template <class Result, class Read>
Result fromScreen(CrvScreen handle, Read read) {
    const std::optional<Screen> screen = screens().screen(handle);
    return screen ? read(*screen) : Result{};
}

template <class Result, class Read>
Result fromEdid(CrvEdid handle, Read read) {
    const std::optional<Screen> screen = screens().screenOfEdid(handle);
    return screen && screen->edid ? read(*screen->edid) : Result{};
}

const char* edidText(CrvEdid handle, std::string provider::edid::Edid::*text) {
    const char* found =
        fromEdid<const char*>(handle, [text](const auto& edid) { return provider::intern(edid.*text); });
    return found != nullptr ? found : "";
}

bool matchesMonitor(const Screen& screen, const char* serial, const char* product) {
    return screen.edid && screen.edid->serialNumber == (serial != nullptr ? serial : "") &&
           screen.edid->productName == (product != nullptr ? product : "");
}

bool contains(const CrvRect& r, CrvPoint p) noexcept {
    return p.x >= r.x && p.y >= r.y && static_cast<std::int64_t>(p.x) < std::int64_t{r.x} + r.width &&
           static_cast<std::int64_t>(p.y) < std::int64_t{r.y} + r.height;
}

CrvColor colorAt(const provider::edid::Chromaticity::Point& point) {
    CrvColor color{};
    color.x = point.x;
    color.y = point.y;
    return color;
}

// The maker's own monitors name themselves so in their name descriptor.
constexpr char kMakerPrefix[] = "Tavro";

}  // namespace

std::int32_t CrvFindScreens(void) { return screens().find(); }
void CrvReleaseScreens(void) { screens().release(); }
std::uint32_t CrvGetScreenCount(void) { return screens().count(); }
CrvScreen CrvGetScreenAtIndex(std::uint32_t index) {
    return screens().nth(index, [](const Screen&) { return true; });
}

std::uint32_t CrvGetScreenCountForMonitor(const char* serial, const char* product) {
    return screens().countOf([=](const Screen& screen) { return matchesMonitor(screen, serial, product); });
}
CrvScreen CrvGetScreenForMonitorAtIndex(const char* serial, const char* product, std::uint32_t index) {
    return screens().nth(index, [=](const Screen& screen) { return matchesMonitor(screen, serial, product); });
}

CrvPoint CrvPointMake(std::int32_t x, std::int32_t y) { return {x, y}; }
std::uint32_t CrvGetScreenCountForPoint(CrvPoint point) {
    return screens().countOf([=](const Screen& screen) { return contains(screen.bounds, point); });
}
CrvScreen CrvGetScreenForPointAtIndex(CrvPoint point, std::uint32_t index) {
    return screens().nth(index, [=](const Screen& screen) { return contains(screen.bounds, point); });
}

CrvRect CrvGetScreenBounds(CrvScreen screen) {
    return fromScreen<CrvRect>(screen, [](const Screen& s) { return s.bounds; });
}
std::uint32_t CrvGetScreenColorDepth(CrvScreen screen) {
    return fromScreen<std::uint32_t>(screen, [](const Screen& s) { return s.colorDepth; });
}
std::uint32_t CrvGetScreenRotation(CrvScreen screen) {
    return fromScreen<std::uint32_t>(screen, [](const Screen& s) { return s.rotation; });
}
double CrvGetScreenRefreshRate(CrvScreen screen) {
    return fromScreen<double>(screen, [](const Screen& s) { return s.refreshRate; });
}
CrvVector2 CrvGetScreenScale(CrvScreen screen) {
    return fromScreen<CrvVector2>(screen, [](const Screen& s) { return s.scale; });
}
// Device pixels per desktop unit: what the scale is on Windows.
CrvVector2 CrvGetScreenPixelRatio(CrvScreen screen) { return CrvGetScreenScale(screen); }
CrvSize CrvGetScreenRenderingSize(CrvScreen screen) {
    return fromScreen<CrvSize>(screen, [](const Screen& s) { return s.renderingSize; });
}
CrvSize CrvSizeMake(std::int32_t width, std::int32_t height) { return {width, height}; }
std::int32_t CrvIsScreenPrimary(CrvScreen screen) {
    return fromScreen<std::int32_t>(screen, [](const Screen& s) { return s.primary ? 1 : 0; });
}
std::int32_t CrvIsScreenMirroring(CrvScreen screen) {
    return fromScreen<std::int32_t>(screen, [](const Screen& s) { return s.mirroring ? 1 : 0; });
}
std::int32_t CrvSupportsScreenProfile(CrvScreen screen) {
    return fromScreen<std::int32_t>(screen, [](const Screen& s) { return provider::screenProfile(s).empty() ? 0 : 1; });
}
std::int32_t CrvSupportsScreenGraphicsCardGamma(CrvScreen screen) {
    return fromScreen<std::int32_t>(screen, [](const Screen& s) {
        provider::GammaRamp ramp;
        return provider::readGamma(s, ramp) ? 1 : 0;
    });
}

CrvEdid CrvGetScreenEdid(CrvScreen screen) {
    const auto value = reinterpret_cast<std::uintptr_t>(screen);
    const bool hasEdid = fromScreen<bool>(screen, [](const Screen& s) { return s.edid.has_value(); });
    return hasEdid ? reinterpret_cast<CrvEdid>(value + 1) : nullptr;
}
std::int32_t CrvIsEdidTavroMonitor(CrvEdid edid) {
    return fromEdid<std::int32_t>(
        edid, [](const provider::edid::Edid& e) { return e.productName.rfind(kMakerPrefix, 0) == 0 ? 1 : 0; });
}
const char* CrvGetEdidManufacturer(CrvEdid edid) { return edidText(edid, &provider::edid::Edid::manufacturer); }
const char* CrvGetEdidProductName(CrvEdid edid) { return edidText(edid, &provider::edid::Edid::productName); }
const char* CrvGetEdidSerialNumber(CrvEdid edid) { return edidText(edid, &provider::edid::Edid::serialNumber); }
CrvSize CrvGetEdidPreferredResolution(CrvEdid edid) {
    return fromEdid<CrvSize>(edid, [](const provider::edid::Edid& e) {
        return CrvSize{static_cast<std::int32_t>(e.width), static_cast<std::int32_t>(e.height)};
    });
}
CrvChromaticity CrvGetEdidChromaticity(CrvEdid edid) {
    return fromEdid<CrvChromaticity>(edid, [](const provider::edid::Edid& e) {
        const auto& c = e.chromaticity;
        return CrvChromaticity{colorAt(c.red), colorAt(c.green), colorAt(c.blue), colorAt(c.white), CrvColor{}};
    });
}
CrvManufactureDate CrvGetEdidManufactureYear(CrvEdid edid) {
    return fromEdid<CrvManufactureDate>(edid, [](const provider::edid::Edid& e) {
        return CrvManufactureDate{e.modelYear ? 2u : 1u, e.year, e.week};
    });
}

// The size counts the terminating zero; a buffer too small gets nothing
// and learns the size it needs.
std::int32_t CrvGetScreenProfile(CrvScreen screen, char* buffer, std::uint32_t* size) {
    if (size == nullptr) return 0;
    const std::string path =
        fromScreen<std::string>(screen, [](const Screen& s) { return provider::toAnsi(provider::screenProfile(s)); });
    if (path.empty()) return 0;
    const std::uint32_t needed = static_cast<std::uint32_t>(path.size() + 1);
    const bool fits = buffer != nullptr && *size >= needed;
    if (fits) std::memcpy(buffer, path.c_str(), needed);
    *size = needed;
    return buffer == nullptr || fits ? 1 : 0;
}

std::int32_t CrvSetScreenProfile(CrvScreen screen, const char* path) {
    if (path != nullptr && *path == '\0') return 0;
    const std::wstring wide = path != nullptr ? provider::fromAnsi(path) : std::wstring();
    return fromScreen<std::int32_t>(screen,
                                    [&wide](const Screen& s) { return provider::setScreenProfile(s, wide) ? 1 : 0; });
}

std::int32_t CrvGetScreenGraphicsCardGamma(CrvScreen screen, double* red, double* green, double* blue) {
    if (red == nullptr || green == nullptr || blue == nullptr) return 0;
    provider::GammaRamp ramp;
    if (!fromScreen<bool>(screen, [&ramp](const Screen& s) { return provider::readGamma(s, ramp); })) return 0;
    std::copy(std::begin(ramp.red), std::end(ramp.red), red);
    std::copy(std::begin(ramp.green), std::end(ramp.green), green);
    std::copy(std::begin(ramp.blue), std::end(ramp.blue), blue);
    return 1;
}

std::int32_t CrvSetScreenGraphicsCardGamma(CrvScreen screen, const double* red, const double* green,
                                           const double* blue) {
    if (red == nullptr || green == nullptr || blue == nullptr) return 0;
    provider::GammaRamp ramp;
    std::copy(red, red + 256, ramp.red);
    std::copy(green, green + 256, ramp.green);
    std::copy(blue, blue + 256, ramp.blue);
    return fromScreen<bool>(screen, [&ramp](const Screen& s) { return provider::writeGamma(s, ramp); }) ? 1 : 0;
}

const char* CrvGetWindowsScreenDeviceId(CrvScreen screen) {
    return provider::internWide(fromScreen<std::wstring>(screen, [](const Screen& s) { return s.device; }));
}
