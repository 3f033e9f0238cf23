#pragma once
// Control API that every closed-library stand-in exports beside its real
// functions. Tests reach it with GetModuleHandleW + GetProcAddress on the
// loaded stand-in, so the same test code drives whichever variant is loaded.
//
// The world is one JSON document with one section per library:
//   {"ostrel": {...}, "carvel2": {...}, "pltc": {...}, "pallet": {...},
//    "bramble": {...}, "trellis": {...}, "harbor": {...}, "quillon": {...},
//    "cfgmgr32": {...}}   (the configuration-manager stand-in: cfgmgr32_control.h)
// A library whose section is absent keeps the demo world; a present section
// replaces that library's world entirely (absent keys mean empty lists, zero
// numbers and empty texts). Each section may hold "fail": ["FunctionName", ...]
// to make those functions report failure (or an empty result where the
// function cannot fail).
// At load a stand-in reads the file named by the environment variable
// MAVEL_WORLD when it is set, otherwise it starts with the demo world.
//
// Details (see standins/README.md for every section's keys):
// - The world is read on the first call of any export, not at load, so a
//   test may set MAVEL_WORLD after LoadLibraryW. A file that cannot be read
//   or parsed leaves the demo world.
// - StandinLoadWorld with a document that lacks a library's section resets
//   that library to its demo world. A malformed document or section (wrong
//   member types) is refused as a whole: result 0, world unchanged.
// - Texts in the world are UTF-8; the stand-ins hand them out in the ANSI
//   code page, except those the library passes on unconverted (EDID texts,
//   screen device ids, profile paths, VGA device location ids, the locale
//   country, the plug-in folder), which are handed out byte for byte.
// - Integers may be JSON numbers or texts such as "0x80000006".
// - Texts handed out stay valid until process end, across world changes.
// - Every function of the library's binary interface appends its name to the
//   call log; the control functions below do not.
// - Each logged call also draws a number from one counter that all stand-ins
//   loaded in the process share, so logs of different libraries can be put in
//   call order (StandinCallSequence).

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Replaces this library's world from a whole world document; non-zero on success. */
typedef int32_t (*StandinLoadWorldFn)(const char* worldJson);
/* Export "StandinWorld": this library's section of the world as compact JSON text (UTF-8, keys
   sorted), exactly the section it now uses: the last one applied, from StandinLoadWorld or
   MAVEL_WORLD, or the demo section (also when the document applied lacked the section). A tool
   changes the world by editing this section and loading it back as {"<section>": ...}. Valid
   until the next StandinWorld call. */
typedef const char* (*StandinWorldFn)(void);
/* JSON array of the names of this library's functions called since the last reset, in order.
   Valid until the next StandinCallLog call. */
typedef const char* (*StandinCallLogFn)(void);
typedef void (*StandinResetCallLogFn)(void);
/* Export "StandinCallSequence": the same calls as StandinCallLog, each with its number in the
   process-wide call sequence: [["FunctionName", 17], ...]. Numbers are shared by all stand-ins of
   the process and strictly increase from 1 in the order the calls started, so a test merges the
   arrays of several libraries and sorts by number. StandinResetCallLog empties the array but never
   restarts the numbers (they restart only when every stand-in has been unloaded).
   Valid until the next StandinCallSequence call. */
typedef const char* (*StandinCallSequenceFn)(void);

/* Export "StandinCallCount": how often the named function was called since the last reset. */
typedef int32_t (*StandinCallCountFn)(const char* functionName);
/* Export "StandinTimeCalls": with a non-zero argument the library times its logged calls from
   then on (two reads of the time-stamp counter each), with 0 it stops; off at load.
   Export "StandinTicksInside": the ticks those timed calls spent inside the library so far
   (never reset); read around a piece of work to time the library's share of it. */
typedef void (*StandinTimeCallsFn)(int32_t on);
typedef uint64_t (*StandinTicksInsideFn)(void);

/* libostrel_x64.dll, export "OstrStandinLiveSnapshots": snapshots created and not yet released. */
typedef int32_t (*OstrStandinLiveSnapshotsFn)(void);

/* libbramble.dll, export "BrambleStandinState": JSON object of what the caller told the sensor
   library since the last StandinResetCallLog (which clears it too):
     {"lockCount": n, "unlockCount": n,
      "preUpdates": [{"serial": "...", "product": "..."}, ...],   BramblePreUpdateBuiltInSensorHandle
      "updates":    [{"serial": "...", "product": "..."}, ...],   BrambleUpdateBuiltInSensorHandle
      "removedSensors": [sensorHandle, ...]}                      successful BrambleRemoveSensor
   Texts are converted to UTF-8. Valid until the next call. */
typedef const char* (*BrambleStandinStateFn)(void);

/* libquillon2_x64.dll, export "QuillonStandinLines": JSON array of the messages accepted by
   quillon_log, in order: [{"level": n, "logger": "...", "message": "..."}, ...].
   Valid until the next call. */
typedef const char* (*QuillonStandinLinesFn)(void);
/* libquillon2_x64.dll, export "QuillonStandinClear": forgets those messages (the log file stays). */
typedef void (*QuillonStandinClearFn)(void);

#ifdef __cplusplus
}

/* The file of every closed-library stand-in; each holds a world of its own. */
inline constexpr const wchar_t* kStandinFiles[] = {L"libostrel_x64.dll", L"libcarvel2_x64.dll",  L"libpltc_x64.dll",
                                                   L"libpallet_x64.dll", L"libbramble.dll",      L"libtrellis_x64.dll",
                                                   L"libHarbor_x64.dll", L"libquillon2_x64.dll", L"cfgmgr32.dll"};
#endif
