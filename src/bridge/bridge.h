#pragma once
// Handler bases and the dispatch shared by every resource entry point.
//
// An entry point builds its handler on the stack and calls serveRequest(),
// which obtains a promise from the bridge host, parses the four request
// texts, runs the method operation and answers exactly once through
// BridgeHelperSetResponse before it returns the promise identifier.

#include <array>
#include <cstdint>
#include <string>

#include "pocketjson/value.h"
#include "result/result.h"

// options, params, query, body, in argument order.
struct RequestArgs {
    std::array<pocketjson::Value, 4> values;

    const pocketjson::Value& options() const noexcept { return values[0]; }
    const pocketjson::Value& params() const noexcept { return values[1]; }
    const pocketjson::Value& query() const noexcept { return values[2]; }
    const pocketjson::Value& body() const noexcept { return values[3]; }
};

enum class MethodKind : std::uint32_t { Get = 0, Post = 1, Put = 2, Delete = 3 };

// The "method" member of options, case-insensitive; anything unknown is Get.
MethodKind selectMethod(const pocketjson::Value& options);

class BridgeTemplate {
public:
    virtual ~BridgeTemplate() = default;

    virtual BridgeResult handleRequest(const char* options, const char* params, const char* query, const char* body);
    virtual void prepareRequest(const RequestArgs& args);
    virtual void finishRequest(const RequestArgs& args, const BridgeResult& result);

    // Defaults answer 405 "MethodError".
    virtual BridgeResult onGet(const RequestArgs& args);
    virtual BridgeResult onPut(const RequestArgs& args);
    virtual BridgeResult onPost(const RequestArgs& args);
    virtual BridgeResult onDelete(const RequestArgs& args);
};

namespace kelto {

// The route base every handler's uri starts with; uri only feeds the log line.
inline constexpr char kRouteBase[] = "/mavel.internal/";
static_assert(sizeof(kRouteBase) - 1 == 16);

class Bridge : public BridgeTemplate {
public:
    // The base is one character too long for the string's own buffer: one
    // allocation then holds it and the route name every operation appends.
    Bridge() {
        uri.reserve(64);
        uri.assign(kRouteBase);
    }
    ~Bridge() override = default;

    // Writes the request's log line.
    void finishRequest(const RequestArgs& args, const BridgeResult& result) override;

    std::string uri;
};

// The request log line for a finished request (without logging it).
std::string requestLogLine(const std::string& uri, const RequestArgs& args, const BridgeResult& result);
// Level of that line: 2 for a 2xx status, 5 otherwise.
std::uint32_t requestLogLevel(const BridgeResult& result) noexcept;

}  // namespace kelto

// The compact envelope {"error":...,"value":...} for a result; false when the
// value cannot be written (a non-finite double).
bool writeEnvelope(const BridgeResult& result, std::string& text);

// Runs one request through handler and answers it. Never throws: anything
// that escapes the method operation's own guard (memory exhaustion while
// parsing or writing, a value that cannot be written) is answered with
// 500 "UnknownError" "Unknown error occurred.".
std::uint32_t dispatchRequest(BridgeTemplate& handler, const char* options, const char* params, const char* query,
                              const char* body) noexcept;

// Answers a request whose handler could not even be built.
std::uint32_t answerUnknownError() noexcept;

// The body of every resource entry point.
template <class Handler>
std::uint32_t serveRequest(const char* options, const char* params, const char* query, const char* body) noexcept {
    try {
        Handler handler;
        return dispatchRequest(handler, options, params, query, body);
    } catch (...) {
        return answerUnknownError();
    }
}
