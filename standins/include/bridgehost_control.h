#pragma once
// Host-side API of the stand-in bridge host (libbridgehost_x64.dll), for the
// command-line host and the tests. The five BridgeHelper* functions of the
// real host are declared in bridge/bridge_host.h of the library.
// Texts returned here stay valid until BridgeHostReset() or process end.

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(BRIDGEHOST_BUILD)
#define BRIDGEHOST_API __declspec(dllexport)
#else
#define BRIDGEHOST_API __declspec(dllimport)
#endif

/* Forgets every promise, response and recorded event; keeps callbacks and the
   event sink. Identifiers keep counting up across a reset, so an answer that
   arrives late for an old promise never lands on a new one. */
BRIDGEHOST_API void BridgeHostReset(void);

/* Promises: the last identifier handed out (0 before the first). */
BRIDGEHOST_API uint32_t BridgeHostLastPromise(void);
/* How many times BridgeHelperSetResponse was called for the promise. */
BRIDGEHOST_API int32_t BridgeHostResponseCount(uint32_t promiseId);
/* Status and text of the first response set for the promise (0 / NULL when none);
   later responses only raise the count. Responses for promises this host never
   handed out are recorded all the same. */
BRIDGEHOST_API int32_t BridgeHostResponseStatus(uint32_t promiseId);
BRIDGEHOST_API const char* BridgeHostResponseText(uint32_t promiseId);

/* Events dispatched by the library, in order; NULL for an index out of range. */
BRIDGEHOST_API int32_t BridgeHostEventCount(void);
BRIDGEHOST_API const char* BridgeHostEventName(int32_t index);
BRIDGEHOST_API const char* BridgeHostEventPayload(int32_t index);
/* GetTickCount64 (milliseconds) when the event was dispatched; 0 for an index out of range. */
BRIDGEHOST_API uint64_t BridgeHostEventTicks(int32_t index);
/* Called on the dispatching thread for every event (NULL removes it), after the
   event is recorded and without the host's lock held, so it may call the host. */
typedef void (*BridgeHostEventSink)(const char* eventName, const char* payload, void* context);
BRIDGEHOST_API void BridgeHostSetEventSink(BridgeHostEventSink sink, void* context);
/* Waits until at least count events were recorded or timeoutMs passed; returns the count.
   A timeout of 0xFFFFFFFF (INFINITE) waits without limit. */
BRIDGEHOST_API int32_t BridgeHostWaitForEvents(int32_t count, uint32_t timeoutMs);

/* Native events: number of registered callbacks (a callback added twice counts
   twice), and delivery to all of them on the calling thread. */
BRIDGEHOST_API int32_t BridgeHostCallbackCount(void);
BRIDGEHOST_API void BridgeHostSendNativeEvent(const char* eventType, void* message);
/* Builds a Windows MSG and sends it as "_native_windows_generic_MSG". */
BRIDGEHOST_API void BridgeHostSendWindowMessage(uint32_t message, uint64_t wParam, int64_t lParam);

#ifdef __cplusplus
}
#endif
