/* libmavel_x64.dll: system information for an embedded web view.
 *
 * Resource entry points take four zero-terminated UTF-8 JSON texts (options
 * with the "method", route parameters, query parameters, body; an empty text
 * is allowed), answer exactly once through the bridge host's
 * BridgeHelperSetResponse before they return, and return the promise
 * identifier of that answer. They never throw and never fail to answer.
 */
#ifndef MAVEL_MAVEL_H
#define MAVEL_MAVEL_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(MAVEL_BUILD)
#define MAVEL_API __declspec(dllexport)
#else
#define MAVEL_API __declspec(dllimport)
#endif

typedef uint32_t (*MavelResourceEntry)(const char* options, const char* params, const char* query, const char* body);

MAVEL_API uint32_t DeviceNotification(const char* options, const char* params, const char* query, const char* body);
MAVEL_API uint32_t Screens(const char* options, const char* params, const char* query, const char* body);
MAVEL_API uint32_t ScreenAtIndex(const char* options, const char* params, const char* query, const char* body);
MAVEL_API uint32_t ScreensForMonitor(const char* options, const char* params, const char* query, const char* body);
MAVEL_API uint32_t ScreensForPoint(const char* options, const char* params, const char* query, const char* body);
MAVEL_API uint32_t PowerManagementSettings(const char* options, const char* params, const char* query,
                                           const char* body);
MAVEL_API uint32_t SystemInformation(const char* options, const char* params, const char* query, const char* body);
MAVEL_API uint32_t SystemProcesses(const char* options, const char* params, const char* query, const char* body);
MAVEL_API uint32_t SystemUSBDevices(const char* options, const char* params, const char* query, const char* body);
MAVEL_API uint32_t SystemApplications(const char* options, const char* params, const char* query, const char* body);
MAVEL_API uint32_t SystemApplicationWindows(const char* options, const char* params, const char* query,
                                            const char* body);
MAVEL_API uint32_t SystemKEXT(const char* options, const char* params, const char* query, const char* body);
MAVEL_API uint32_t SystemPrinters(const char* options, const char* params, const char* query, const char* body);
MAVEL_API uint32_t SystemLoginState(const char* options, const char* params, const char* query, const char* body);
MAVEL_API uint32_t SystemLockState(const char* options, const char* params, const char* query, const char* body);
MAVEL_API uint32_t SystemScreenSaver(const char* options, const char* params, const char* query, const char* body);
MAVEL_API uint32_t SystemPreferredLanguage(const char* options, const char* params, const char* query,
                                           const char* body);
MAVEL_API uint32_t SystemLoginItem(const char* options, const char* params, const char* query, const char* body);
MAVEL_API uint32_t SystemEventLogBackup(const char* options, const char* params, const char* query, const char* body);

/* Registers the native event observer with the bridge host (once). */
MAVEL_API void Setup(void);
/* Cancels device-change notifications; the observer stays registered. */
MAVEL_API void TearDown(void);

/* Resets the system and display idle timers and the screen-saver countdown. */
MAVEL_API void MavelResetSystemIdleTimer(void);
/* Keeps the computer and display awake with the screen saver off; returns the
 * earlier state, which the caller gives back exactly once to
 * MavelRestorePowerManagementSettings. */
MAVEL_API void* MavelDisablePowerManagementSettings(void);
/* Restores and frees a state from MavelDisablePowerManagementSettings; NULL does nothing. */
MAVEL_API void MavelRestorePowerManagementSettings(void* state);

#ifdef __cplusplus
}
#endif

#endif /* MAVEL_MAVEL_H */
