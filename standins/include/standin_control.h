#pragma once
// Control API that every closed-library stand-in exports beside its real
// functions. Tests reach it with GetModuleHandleW + GetProcAddress on the
// loaded stand-in, so the same test code drives whichever variant is loaded.
//
// The world is one JSON document with one section per library:
//   {"ostrel": {...}, "carvel2": {...}, "pltc": {...}, "pallet": {...},
//    "bramble": {...}, "trellis": {...}, "harbor": {...}, "quillon": {...}}
// A library whose section is absent keeps the demo world; a present section
// replaces that library's world entirely (absent keys mean empty lists, zero
// numbers and empty texts). Each section may hold "fail": ["FunctionName", ...]
// to make those functions report failure (or an empty result where the
// function cannot fail).
// At load a stand-in reads the file named by the environment variable
// MAVEL_WORLD when it is set, otherwise it starts with the demo world.

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Replaces this library's world from a whole world document; non-zero on success. */
typedef int32_t (*StandinLoadWorldFn)(const char* worldJson);
/* JSON array of the names of this library's functions called since the last reset, in order. */
typedef const char* (*StandinCallLogFn)(void);
typedef void (*StandinResetCallLogFn)(void);

#ifdef __cplusplus
}
#endif
