#pragma once
// The 405 budget's throw and catch: a BridgeResultError thrown one call deep,
// as the library's method operation throws to the dispatch. Inline, so that
// the probe DLL and the bench program each time a copy of their own.

#include <cstdint>

#include "result/result.h"

inline BridgeResultError methodError() {
    return BridgeResultError(405, "MethodError", "DELETE method is not allowed.");
}

[[gnu::noinline]] inline BridgeResult rejectDelete(bool reject) {
    if (reject) throw methodError();
    return BridgeResult();
}

// The status of what came back or was caught: 405 when reject.
[[gnu::noinline]] inline std::int32_t throwAndCatch(bool reject) noexcept {
    try {
        return rejectDelete(reject).statusCode;
    } catch (const BridgeResultError& error) {
        return error.statusCode;
    } catch (...) {
        return 0;
    }
}
