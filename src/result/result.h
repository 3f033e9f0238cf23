#pragma once
// The outcome of one request: a status code with HTTP meaning, an error name
// and message (empty on success), extra error members and the answer value.

#include <cstdint>
#include <string>

#include "pocketjson/value.h"

class BridgeResult {
public:
    // Success: status 200 with the value (shared, not copied).
    explicit BridgeResult(const pocketjson::Value& value = pocketjson::Value());

    BridgeResult(const BridgeResult&) = default;
    BridgeResult& operator=(const BridgeResult&) = default;
    BridgeResult(BridgeResult&&) noexcept = default;
    BridgeResult& operator=(BridgeResult&&) noexcept = default;
    ~BridgeResult() = default;

    std::int32_t statusCode = 200;
    std::string name;
    std::string message;
    pocketjson::Value error;  // its members join the envelope's "error" object
    pocketjson::Value value;

protected:
    BridgeResult(std::int32_t status, const std::string& errorName, const std::string& errorMessage);
};

// Thrown by value by handlers; the dispatch answers it with its own status.
class BridgeResultError : public BridgeResult {
public:
    BridgeResultError(std::int32_t status, const std::string& errorName, const std::string& errorMessage);
};

// Request guards: return when the condition holds, otherwise throw
// 400 "BadRequestError" or 500 "InternalError" with the message.
void requireBadRequest(bool condition, const std::string& message);
void requireInternal(bool condition, const std::string& message);
