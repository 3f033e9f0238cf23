#pragma once
// The functions that a world section makes fail ("fail": ["Name", ...]).

#include <set>
#include <string>
#include <string_view>

#include "standin/json_read.h"

namespace standin {

class FailList {
public:
    FailList() = default;
    explicit FailList(const Json& section);

    bool contains(std::string_view function) const { return names_.find(function) != names_.end(); }

private:
    std::set<std::string, std::less<>> names_;
};

}  // namespace standin
