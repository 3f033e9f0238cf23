#pragma once
// The five functions that the library imports from the bridge host, declared
// once for the library and this stand-in in platform/closed_libraries.h. What
// this stand-in does with them:
//   BridgeHelperCreatePromiseID      unique, increasing from 1
//   BridgeHelperSetResponse          copies json during the call; non-zero
//                                    when it was the promise's first answer
//   BridgeHelperAddEventCallback     non-zero when added (a null callback is refused)
//   BridgeHelperRemoveEventCallback  removes every callback registered with
//                                    the context; returns how many
//   BridgeHelperDispatchEvent        records the event; returns non-zero

#include "bridgehost_control.h"
#include "platform/closed_libraries.h"
