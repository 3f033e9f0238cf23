#include "standin/fail_list.h"

namespace standin {

FailList::FailList(const Json& section) {
    for (const Json& name : list(section, "fail")) names_.insert(name.get<std::string>());
}

}  // namespace standin
