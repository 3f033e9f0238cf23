// Colour profiles and gamma ramps of one screen. Windows keeps both per
// display device; where a system lacks them (no colour management, a
// display driver without ramps) the answers say so instead of failing hard.

#include <windows.h>

#include <icm.h>

#include <algorithm>
#include <cmath>

#include "platform/handle_owner.h"
#include "screens.h"

namespace provider {
namespace {

constexpr double kRampTop = 65535.0;

kelto::UniqueDeviceContext displayContext(const Screen& screen) {
    return kelto::UniqueDeviceContext(CreateDCW(L"DISPLAY", screen.device.c_str(), nullptr, nullptr));
}

std::wstring fileNameOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace

// The display context's profile: the device's default association. (The
// newer per-user WCS query is left alone: some compatible environments export
// it as a stub that ends the process when called.)
std::wstring screenProfile(const Screen& screen) {
    const kelto::UniqueDeviceContext context = displayContext(screen);
    if (!context) return std::wstring();
    wchar_t path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (!GetICMProfileW(context.get(), &size, path)) return std::wstring();
    return path;
}

bool setScreenProfile(const Screen& screen, const std::wstring& path) {
    if (screen.monitorId.empty()) return false;
    if (path.empty()) {
        const std::wstring current = screenProfile(screen);
        return !current.empty() &&
               DisassociateColorProfileFromDeviceW(nullptr, fileNameOf(current).c_str(), screen.monitorId.c_str());
    }
    // Windows associates only profiles installed in its colour directory;
    // installing one that is already there changes nothing.
    if (path.find_first_of(L"\\/") != std::wstring::npos) InstallColorProfileW(nullptr, path.c_str());
    return AssociateColorProfileWithDeviceW(nullptr, fileNameOf(path).c_str(), screen.monitorId.c_str()) != FALSE;
}

bool readGamma(const Screen& screen, GammaRamp& ramp) {
    const kelto::UniqueDeviceContext context = displayContext(screen);
    WORD words[3][256] = {};
    if (!context || !GetDeviceGammaRamp(context.get(), words)) return false;
    for (int i = 0; i < 256; ++i) {
        ramp.red[i] = words[0][i] / kRampTop;
        ramp.green[i] = words[1][i] / kRampTop;
        ramp.blue[i] = words[2][i] / kRampTop;
    }
    return true;
}

bool writeGamma(const Screen& screen, const GammaRamp& ramp) {
    // Out-of-range and NaN entries are held to the ends of the ramp.
    const auto word = [](double value) {
        const double held = std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1.0);
        return static_cast<WORD>(held * kRampTop + 0.5);
    };
    WORD words[3][256];
    for (int i = 0; i < 256; ++i) {
        words[0][i] = word(ramp.red[i]);
        words[1][i] = word(ramp.green[i]);
        words[2][i] = word(ramp.blue[i]);
    }
    const kelto::UniqueDeviceContext context = displayContext(screen);
    return context && SetDeviceGammaRamp(context.get(), words);
}

}  // namespace provider
