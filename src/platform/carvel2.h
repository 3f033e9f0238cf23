#pragma once
// Screen-information library libcarvel2_x64.dll. Call it only under the
// screen registry's lock. Texts belong to the library; copy them at once.
// The functions in carvel2::rt are optional and looked up by name in the copy
// held by kelto::libcarvel2Loader.

#include <cstdint>

#include "platform/dynamic_library.h"

extern "C" {

typedef void* CrvScreen;
typedef void* CrvEdid;
struct CrvPoint { std::int32_t x, y; };
struct CrvSize { std::int32_t width, height; };
struct CrvRect { std::int32_t x, y, width, height; };
struct CrvVector2 { double x, y; };
struct CrvManufactureDate { std::uint32_t kind, year, week; };
struct CrvColor {
    double cyan, magenta, yellow, black;
    double red, green, blue;
    double X, Y, Z;
    double x, y;
    std::uint32_t T;
    std::uint32_t padding;
    double L, a, b;
    double C, h;
};
struct CrvChromaticity { CrvColor red, green, blue, white, black; };

static_assert(sizeof(CrvColor) == 144);
static_assert(sizeof(CrvChromaticity) == 720);
static_assert(sizeof(CrvManufactureDate) == 12);

#define CARVEL_IMPORT __declspec(dllimport)

CARVEL_IMPORT std::int32_t CrvFindScreens(void);
CARVEL_IMPORT void CrvReleaseScreens(void);
CARVEL_IMPORT std::uint32_t CrvGetScreenCount(void);
CARVEL_IMPORT CrvScreen CrvGetScreenAtIndex(std::uint32_t index);
CARVEL_IMPORT std::uint32_t CrvGetScreenCountForMonitor(const char* serial, const char* product);
CARVEL_IMPORT CrvScreen CrvGetScreenForMonitorAtIndex(const char* serial, const char* product, std::uint32_t index);
CARVEL_IMPORT CrvPoint CrvPointMake(std::int32_t x, std::int32_t y);
CARVEL_IMPORT std::uint32_t CrvGetScreenCountForPoint(CrvPoint point);
CARVEL_IMPORT CrvScreen CrvGetScreenForPointAtIndex(CrvPoint point, std::uint32_t index);

CARVEL_IMPORT CrvRect CrvGetScreenBounds(CrvScreen screen);
CARVEL_IMPORT std::uint32_t CrvGetScreenColorDepth(CrvScreen screen);
CARVEL_IMPORT std::uint32_t CrvGetScreenRotation(CrvScreen screen);
CARVEL_IMPORT double CrvGetScreenRefreshRate(CrvScreen screen);
CARVEL_IMPORT CrvVector2 CrvGetScreenScale(CrvScreen screen);
CARVEL_IMPORT CrvSize CrvGetScreenRenderingSize(CrvScreen screen);
CARVEL_IMPORT CrvSize CrvSizeMake(std::int32_t width, std::int32_t height);
CARVEL_IMPORT std::int32_t CrvIsScreenPrimary(CrvScreen screen);
CARVEL_IMPORT std::int32_t CrvIsScreenMirroring(CrvScreen screen);
CARVEL_IMPORT std::int32_t CrvSupportsScreenProfile(CrvScreen screen);
CARVEL_IMPORT std::int32_t CrvSupportsScreenGraphicsCardGamma(CrvScreen screen);

CARVEL_IMPORT CrvEdid CrvGetScreenEdid(CrvScreen screen);
CARVEL_IMPORT std::int32_t CrvIsEdidTavroMonitor(CrvEdid edid);
CARVEL_IMPORT const char* CrvGetEdidManufacturer(CrvEdid edid);
CARVEL_IMPORT const char* CrvGetEdidProductName(CrvEdid edid);
CARVEL_IMPORT const char* CrvGetEdidSerialNumber(CrvEdid edid);
CARVEL_IMPORT CrvSize CrvGetEdidPreferredResolution(CrvEdid edid);
CARVEL_IMPORT CrvChromaticity CrvGetEdidChromaticity(CrvEdid edid);

CARVEL_IMPORT std::int32_t CrvGetScreenProfile(CrvScreen screen, char* buffer, std::uint32_t* size);
CARVEL_IMPORT std::int32_t CrvSetScreenProfile(CrvScreen screen, const char* path);
CARVEL_IMPORT std::int32_t CrvGetScreenGraphicsCardGamma(CrvScreen screen, double* red, double* green, double* blue);
CARVEL_IMPORT std::int32_t CrvSetScreenGraphicsCardGamma(CrvScreen screen, const double* red, const double* green,
                                                         const double* blue);
CARVEL_IMPORT const char* CrvGetWindowsScreenDeviceId(CrvScreen screen);

#undef CARVEL_IMPORT

}  // extern "C"

namespace carvel2::rt {

inline constexpr ExportedFunction<CrvVector2(CrvScreen)> getScreenPixelRatio{"CrvGetScreenPixelRatio"};
inline constexpr ExportedFunction<CrvManufactureDate(CrvEdid)> getEdidManufactureYear{"CrvGetEdidManufactureYear"};

}  // namespace carvel2::rt
