#pragma once
// Plain C structures of the closed libraries' binary interface, shared by the
// stand-ins and their tests. Layouts are fixed: the library reads them by
// offset, so the sizes are checked at compile time.

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct OstrMemoryInformation { uint32_t total; uint32_t available; double usage; } OstrMemoryInformation;

typedef struct CrvPoint { int32_t x, y; } CrvPoint;
typedef struct CrvSize { int32_t width, height; } CrvSize;
typedef struct CrvRect { int32_t x, y, width, height; } CrvRect;
typedef struct CrvVector2 { double x, y; } CrvVector2;
typedef struct CrvManufactureDate { uint32_t kind, year, week; } CrvManufactureDate;
typedef struct CrvColor {
    double cyan, magenta, yellow, black;
    double red, green, blue;
    double X, Y, Z;
    double x, y;
    uint32_t T;
    uint32_t padding;
    double L, a, b;
    double C, h;
} CrvColor;
typedef struct CrvChromaticity { CrvColor red, green, blue, white, black; } CrvChromaticity;

#ifdef __cplusplus
}
static_assert(sizeof(OstrMemoryInformation) == 16);
static_assert(sizeof(CrvPoint) == 8 && sizeof(CrvSize) == 8);
static_assert(sizeof(CrvRect) == 16 && sizeof(CrvVector2) == 16);
static_assert(sizeof(CrvManufactureDate) == 12);
static_assert(sizeof(CrvColor) == 144 && offsetof(CrvColor, T) == 96 && offsetof(CrvColor, L) == 104);
static_assert(sizeof(CrvChromaticity) == 720);
#endif
