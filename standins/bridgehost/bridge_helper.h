#pragma once
// The five functions that the library imports from the bridge host, as this
// stand-in exports them. The library has its own declarations; this header
// serves the stand-in and the programs that drive it directly (tests).

#include <stdint.h>

#include "bridgehost_control.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef void (*BridgeHelperEventCallback)(const char* eventType, void* message, void* context);

/* Unique, increasing from 1. */
BRIDGEHOST_API uint32_t BridgeHelperCreatePromiseID(void);
/* Copies json during the call; non-zero when it was the promise's first answer. */
BRIDGEHOST_API int32_t BridgeHelperSetResponse(uint32_t promiseId, int32_t statusCode, const char* json);
/* Non-zero when the callback was added (a null callback is refused). */
BRIDGEHOST_API int32_t BridgeHelperAddEventCallback(BridgeHelperEventCallback callback, void* context);
/* Removes every callback registered with context; returns how many. */
BRIDGEHOST_API int32_t BridgeHelperRemoveEventCallback(void* context);
/* Records the event; returns non-zero. */
BRIDGEHOST_API int32_t BridgeHelperDispatchEvent(const char* eventName, const char* payload);

#ifdef __cplusplus
}
#endif
