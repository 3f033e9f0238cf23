#include "standin/call_log.h"

#include <algorithm>

#include "standin/call_sequence.h"
#include "standin/json_read.h"

namespace standin {

void CallLog::record(std::string_view function) {
    // Literals lie at least a few bytes apart: the low bits pick the entry.
    Seen& seen = seen_[(reinterpret_cast<std::uintptr_t>(function.data()) >> 3) % seen_.size()];
    // A view of part of a text seen before shares its address, not its size.
    if (seen.text != function.data() || seen.name->size() != function.size()) {
        seen = {function.data(), &*names_.emplace(function).first};
    }
    calls_.push_back({seen.name, nextCallNumber()});
}

std::int32_t CallLog::count(std::string_view function) const noexcept {
    const auto name = names_.find(function);
    if (name == names_.end()) return 0;
    return static_cast<std::int32_t>(
        std::count_if(calls_.begin(), calls_.end(), [&name](const Call& call) { return call.function == &*name; }));
}

std::string CallLog::json() const {
    Json names = Json::array();
    for (const Call& call : calls_) names.push_back(*call.function);
    return names.dump();
}

std::string CallLog::sequenceJson() const {
    Json pairs = Json::array();
    for (const Call& call : calls_) pairs.push_back(Json::array({*call.function, call.number}));
    return pairs.dump();
}

}  // namespace standin
