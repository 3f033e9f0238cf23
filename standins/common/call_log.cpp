#include "standin/call_log.h"

#include <algorithm>

#include "standin/call_sequence.h"
#include "standin/json_read.h"

namespace standin {

void CallLog::record(std::string_view function) { calls_.push_back({std::string(function), nextCallNumber()}); }

std::int32_t CallLog::count(std::string_view function) const noexcept {
    return static_cast<std::int32_t>(std::count_if(calls_.begin(), calls_.end(),
                                                   [function](const Call& call) { return call.function == function; }));
}

std::string CallLog::json() const {
    Json names = Json::array();
    for (const Call& call : calls_) names.push_back(call.function);
    return names.dump();
}

std::string CallLog::sequenceJson() const {
    Json pairs = Json::array();
    for (const Call& call : calls_) pairs.push_back(Json::array({call.function, call.number}));
    return pairs.dump();
}

}  // namespace standin
