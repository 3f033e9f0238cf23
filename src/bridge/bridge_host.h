#pragma once
// The bridge host library: the web view's side of every request and event.
// Imported at link time from libbridgehost_x64.dll.

#include <cstdint>

extern "C" {

typedef void (*BridgeHelperEventCallback)(const char* eventType, void* message, void* context);

__declspec(dllimport) std::uint32_t BridgeHelperCreatePromiseID(void);
__declspec(dllimport) std::int32_t BridgeHelperSetResponse(std::uint32_t promiseId, std::int32_t statusCode,
                                                           const char* json);
__declspec(dllimport) std::int32_t BridgeHelperAddEventCallback(BridgeHelperEventCallback callback, void* context);
__declspec(dllimport) std::int32_t BridgeHelperRemoveEventCallback(void* context);
__declspec(dllimport) std::int32_t BridgeHelperDispatchEvent(const char* eventName, const char* payload);

}  // extern "C"
