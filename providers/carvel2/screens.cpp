#include "screens.h"

#include <cwctype>
#include <map>

#include "provider/devices.h"
#include "provider/registry.h"

namespace provider {
namespace {

// Monitor interfaces: GUID_DEVINTERFACE_MONITOR, written out so that no
// header has to define GUIDs for this file.
constexpr GUID kMonitorInterface = {0xe6f07b5f, 0xee97, 0x4a90, {0xb0, 0x76, 0x33, 0xf5, 0x7b, 0xf4, 0xea, 0xa7}};
constexpr double kBaseDpi = 96.0;

std::wstring lowered(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

// Each monitor's EDID from its device key, by interface path.
std::map<std::wstring, std::vector<std::uint8_t>> monitorEdids() {
    std::map<std::wstring, std::vector<std::uint8_t>> edids;
    forEachInterface(kMonitorInterface, [&edids](const Device& device) {
        HKEY opened = SetupDiOpenDevRegKey(device.list, const_cast<SP_DEVINFO_DATA*>(&device.data), DICS_FLAG_GLOBAL, 0,
                                           DIREG_DEV, KEY_READ);
        const kelto::UniqueRegistryKey owner(opened == INVALID_HANDLE_VALUE ? nullptr : opened);
        const RegistryKey key(owner.get(), L"");
        edids[lowered(device.interfacePath)] = key.bytes(L"EDID");
    });
    return edids;
}

BOOL CALLBACK collectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
    reinterpret_cast<std::vector<HMONITOR>*>(list)->push_back(monitor);
    return TRUE;
}

using DpiForMonitor = HRESULT WINAPI(HMONITOR, int, UINT*, UINT*);

// Effective DPI over the base DPI; Windows before 8.1 knows only the
// system-wide DPI.
CrvVector2 monitorScale(HMONITOR monitor) {
    static const kelto::UniqueModule shcore(LoadLibraryW(L"shcore.dll"));
    static const auto dpiForMonitor = kelto::findExport<DpiForMonitor>(shcore.get(), "GetDpiForMonitor");
    UINT x = 0, y = 0;
    if (dpiForMonitor != nullptr && SUCCEEDED(dpiForMonitor(monitor, 0 /* MDT_EFFECTIVE_DPI */, &x, &y)) && x > 0 &&
        y > 0) {
        return {x / kBaseDpi, y / kBaseDpi};
    }
    const HDC screen = GetDC(nullptr);
    const int dpiX = GetDeviceCaps(screen, LOGPIXELSX), dpiY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return {dpiX > 0 ? dpiX / kBaseDpi : 1.0, dpiY > 0 ? dpiY / kBaseDpi : 1.0};
}

void readMode(Screen& screen) {
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    screen.renderingSize = {screen.bounds.width, screen.bounds.height};
    if (!EnumDisplaySettingsExW(screen.device.c_str(), ENUM_CURRENT_SETTINGS, &mode, 0)) return;
    if (mode.dmFields & DM_BITSPERPEL) screen.colorDepth = mode.dmBitsPerPel;
    if (mode.dmFields & DM_DISPLAYFREQUENCY) screen.refreshRate = mode.dmDisplayFrequency;
    if (mode.dmFields & DM_DISPLAYORIENTATION) screen.rotation = mode.dmDisplayOrientation * 90;
    if ((mode.dmFields & DM_PELSWIDTH) && (mode.dmFields & DM_PELSHEIGHT) && mode.dmPelsWidth > 0) {
        screen.renderingSize = {static_cast<std::int32_t>(mode.dmPelsWidth),
                                static_cast<std::int32_t>(mode.dmPelsHeight)};
    }
}

// The first monitor attached to the display: its device id and interface path.
void readMonitor(Screen& screen, const std::map<std::wstring, std::vector<std::uint8_t>>& edids) {
    DISPLAY_DEVICEW device{};
    device.cb = sizeof device;
    if (EnumDisplayDevicesW(screen.device.c_str(), 0, &device, 0)) screen.monitorId = device.DeviceID;
    device = DISPLAY_DEVICEW{};
    device.cb = sizeof device;
    if (!EnumDisplayDevicesW(screen.device.c_str(), 0, &device, EDD_GET_DEVICE_INTERFACE_NAME)) return;
    const auto found = edids.find(lowered(device.DeviceID));
    if (found != edids.end()) screen.edid = edid::parse(found->second);
}

Screen readScreen(HMONITOR monitor, const std::map<std::wstring, std::vector<std::uint8_t>>& edids) {
    Screen screen;
    MONITORINFOEXW info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info)) return screen;
    screen.device = info.szDevice;
    const RECT& r = info.rcMonitor;
    screen.bounds = {r.left, r.top, r.right - r.left, r.bottom - r.top};
    screen.primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
    screen.scale = monitorScale(monitor);
    readMode(screen);
    readMonitor(screen, edids);
    return screen;
}

bool sameBounds(const CrvRect& a, const CrvRect& b) noexcept {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

}  // namespace

std::vector<Screen> readScreens() {
    std::vector<HMONITOR> monitors;
    EnumDisplayMonitors(nullptr, nullptr, collectMonitor, reinterpret_cast<LPARAM>(&monitors));
    const auto edids = monitorEdids();
    std::vector<Screen> screens;
    for (const HMONITOR monitor : monitors) screens.push_back(readScreen(monitor, edids));
    // A cloned display shows the same part of the desktop as another one.
    for (Screen& screen : screens) {
        for (const Screen& other : screens) {
            if (&other != &screen && sameBounds(other.bounds, screen.bounds)) screen.mirroring = true;
        }
    }
    return screens;
}

}  // namespace provider
