// The one log line written after every request.

#include <cstdio>
#include <locale>
#include <sstream>

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
    std::ostringstream line;
    line.imbue(std::locale::classic());
    line << "statusCode:" << result.statusCode << "\tmethod:" << methodText(args) << "\turi:" << uri;
    if (isSuccess(result.statusCode)) {
        line << "\tmsg:Success";
        return line.str();
    }
    line << "\terr:" << result.name << "\tmsg:" << result.message;
    const pocketjson::Value& code = result.error.get("code");
    if (code.isNumber()) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(code.toUInt32(0)));
        line << "\tcode:0x" << hex;
    }
    return line.str();
}

void Bridge::finishRequest(const RequestArgs& args, const BridgeResult& result) {
    MavelLogger::instance().log(requestLogLevel(result), requestLogLine(uri, args, result));
}

}  // namespace kelto
