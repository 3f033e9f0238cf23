#include "standin/call_log.h"

#include <algorithm>

#include "standin/json_read.h"

namespace standin {

void CallLog::record(std::string_view function) { names_.emplace_back(function); }

std::int32_t CallLog::count(std::string_view function) const noexcept {
    return static_cast<std::int32_t>(std::count(names_.begin(), names_.end(), function));
}

std::string CallLog::json() const { return Json(names_).dump(); }

}  // namespace standin
