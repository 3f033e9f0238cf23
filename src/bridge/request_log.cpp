// The one log line written after every request.

#include <charconv>
#include <cstdio>

#include "bridge/bridge.h"
#include "platform/logger.h"

namespace kelto {

namespace {

bool isSuccess(std::int32_t status) noexcept { return status >= 200 && status <= 299; }

// The method text names the operation that the dispatch chose.
const char* methodText(const RequestArgs& args) {
    switch (selectMethod(args.options())) {
        case MethodKind::Post: return "POST";
        case MethodKind::Put: return "PUT";
        case MethodKind::Delete: return "DELETE";
        case MethodKind::Get: break;
    }
    return "GET";
}

}  // namespace

std::uint32_t requestLogLevel(const BridgeResult& result) noexcept {
    return isSuccess(result.statusCode) ? kLogLevelInfo : kLogLevelError;
}

std::string requestLogLine(const std::string& uri, const RequestArgs& args, const BridgeResult& result) {
    // Plain appends: a string stream with its locale costs more than the rest
    // of a small request.
    const bool success = isSuccess(result.statusCode);
    std::string line;
    line.reserve(64 + uri.size() + (success ? 0 : result.name.size() + result.message.size()));
    char number[16];
    const auto status = std::to_chars(number, number + sizeof number, result.statusCode);
    line.append("statusCode:").append(number, status.ptr);
    line.append("\tmethod:").append(methodText(args)).append("\turi:").append(uri);
    if (success) {
        line.append("\tmsg:Success");
        return line;
    }
    line.append("\terr:").append(result.name).append("\tmsg:").append(result.message);
    const pocketjson::Value& code = result.error.get("code");
    if (code.isNumber()) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(code.toUInt32(0)));
        line.append("\tcode:0x").append(hex);
    }
    return line;
}

void Bridge::finishRequest(const RequestArgs& args, const BridgeResult& result) {
    const MavelLogger& logger = MavelLogger::instance();
    // A silent logger would drop the line: it is not even made.
    if (logger.isSilent()) return;
    logger.log(requestLogLevel(result), requestLogLine(uri, args, result));
}

}  // namespace kelto
