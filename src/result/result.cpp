#include "result/result.h"

BridgeResult::BridgeResult(const pocketjson::Value& v) : value(v) {}

BridgeResult::BridgeResult(std::int32_t status, const std::string& errorName, const std::string& errorMessage)
    : statusCode(status), name(errorName), message(errorMessage) {}

BridgeResultError::BridgeResultError(std::int32_t status, const std::string& errorName, const std::string& errorMessage)
    : BridgeResult(status, errorName, errorMessage) {}

void requireBadRequest(bool condition, const std::string& message) {
    if (!condition) throw BridgeResultError(400, "BadRequestError", message);
}

void requireInternal(bool condition, const std::string& message) {
    if (!condition) throw BridgeResultError(500, "InternalError", message);
}
