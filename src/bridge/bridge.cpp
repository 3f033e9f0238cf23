#include "bridge/bridge.h"

#include <cstring>
#include <exception>

#include "platform/closed_libraries.h"
#include "pocketjson/json.h"

namespace {

using pocketjson::Value;

// Sent when no result could be turned into text; written by hand so that
// answering needs no allocation.
constexpr char kUnknownErrorEnvelope[] =
    R"({"error":{"message":"Unknown error occurred.","name":"UnknownError"},"value":null})";

const char* textOrEmpty(const char* text) noexcept { return text ? text : ""; }

Value parseRequestText(const char* text) {
    Value value;
    const char* begin = textOrEmpty(text);
    pocketjson::parseJson(value, begin, begin + std::strlen(begin), pocketjson::ParseOptions{0});
    return value;
}

char asciiLower(char c) noexcept { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool isNonEmptyContainer(const Value& v) noexcept {
    return (v.isString() || v.isObject() || v.isArray()) && v.size() > 0;
}

// The texts are made once: each 405 then copies its message just once.
// Returned rather than thrown here, so that the operation itself throws and
// the unwinder has one frame less to walk; kept out of line, so that the
// operation's frame has nothing to clean up on the way.
[[gnu::noinline]] BridgeResultError methodNotAllowed(MethodKind method) {
    static const std::string messages[] = {"GET method is not allowed.", "POST method is not allowed.",
                                           "PUT method is not allowed.", "DELETE method is not allowed."};
    return BridgeResultError(405, "MethodError", messages[static_cast<std::size_t>(method)]);
}

// The method operation and its two handlers in a frame of their own: at
// every throw the personality routine reads the catching frame's table of
// call sites from its start, and the request's other work made that table
// long.
[[gnu::noinline]] BridgeResult runMethod(BridgeTemplate& handler, MethodKind method, const RequestArgs& args) {
    try {
        switch (method) {
            case MethodKind::Get: return handler.onGet(args);
            case MethodKind::Put: return handler.onPut(args);
            case MethodKind::Post: return handler.onPost(args);
            case MethodKind::Delete: return handler.onDelete(args);
        }
    } catch (BridgeResultError& error) {
        // The exception object is the dispatch's own by now: its texts move.
        return std::move(error);
    } catch (...) {
        // The texts of other exceptions are never sent.
        return BridgeResultError(500, "UnknownError", "Unknown error occurred.");
    }
    return BridgeResult();
}

}  // namespace

MethodKind selectMethod(const Value& options) {
    if (!options.isObject() || !options.hasKey("method")) return MethodKind::Get;
    std::string method = options.get("method").asString("");
    for (char& c : method) c = asciiLower(c);
    if (method == "post") return MethodKind::Post;
    if (method == "put") return MethodKind::Put;
    if (method == "delete") return MethodKind::Delete;
    return MethodKind::Get;
}

BridgeResult BridgeTemplate::handleRequest(const char* options, const char* params, const char* query,
                                           const char* body) {
    RequestArgs args;
    args.values[0] = parseRequestText(options);
    args.values[1] = parseRequestText(params);
    args.values[2] = parseRequestText(query);
    args.values[3] = parseRequestText(body);
    // A body that is not JSON still reaches the handler, as a string. The
    // parser never writes to the text, so it is still the caller's own.
    const char* bodyText = textOrEmpty(body);
    if (args.values[3].isNull() && *bodyText != '\0') args.values[3] = bodyText;

    const MethodKind method = selectMethod(args.options());
    prepareRequest(args);

    BridgeResult result = runMethod(*this, method, args);
    finishRequest(args, result);
    return result;
}

void BridgeTemplate::prepareRequest(const RequestArgs&) {}
void BridgeTemplate::finishRequest(const RequestArgs&, const BridgeResult&) {}

BridgeResult BridgeTemplate::onGet(const RequestArgs&) { throw methodNotAllowed(MethodKind::Get); }
BridgeResult BridgeTemplate::onPut(const RequestArgs&) { throw methodNotAllowed(MethodKind::Put); }
BridgeResult BridgeTemplate::onPost(const RequestArgs&) { throw methodNotAllowed(MethodKind::Post); }
BridgeResult BridgeTemplate::onDelete(const RequestArgs&) { throw methodNotAllowed(MethodKind::Delete); }

// The writer's text of {"error": error, "value": value} is written here
// directly, without building the envelope object first, whenever the error
// part is known: null, or just "message" and "name" (members of a non-object
// error value do not survive the first member set on it).
bool writeEnvelope(const BridgeResult& result, std::string& text) {
    const bool errorIsEmpty = result.name.empty() && result.message.empty() && !isNonEmptyContainer(result.error);
    if (errorIsEmpty) {
        text.append(R"({"error":null,"value":)");
    } else if (!result.error.isObject()) {
        text.append(R"({"error":{"message":)");
        pocketjson::escapeString(text, result.message);
        text.append(R"(,"name":)");
        pocketjson::escapeString(text, result.name);
        text.append(R"(},"value":)");
    } else {
        // Sharing the error value: member access below detaches the copy, so
        // the result's own error value stays as it was.
        Value envelope;
        Value& error = envelope["error"];
        error = result.error;
        error["name"] = result.name;
        error["message"] = result.message;
        envelope["value"] = result.value;
        return pocketjson::writeJson(envelope, text, 0);
    }
    if (!pocketjson::writeJson(result.value, text, 0)) return false;
    text.push_back('}');
    return true;
}

std::uint32_t dispatchRequest(BridgeTemplate& handler, const char* options, const char* params, const char* query,
                              const char* body) noexcept {
    const std::uint32_t promise = BridgeHelperCreatePromiseID();
    bool answered = false;
    try {
        const BridgeResult result = handler.handleRequest(options, params, query, body);
        std::string text;
        // One allocation for a small answer; a large one grows from there.
        text.reserve(256);
        if (writeEnvelope(result, text)) {
            answered = true;
            BridgeHelperSetResponse(promise, result.statusCode, text.c_str());
        }
    } catch (...) {}
    if (!answered) BridgeHelperSetResponse(promise, 500, kUnknownErrorEnvelope);
    return promise;
}

std::uint32_t answerUnknownError() noexcept {
    const std::uint32_t promise = BridgeHelperCreatePromiseID();
    BridgeHelperSetResponse(promise, 500, kUnknownErrorEnvelope);
    return promise;
}
