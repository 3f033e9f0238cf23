#pragma once
// mavel-cli serve: the bridge host for ordinary browsers (see web_request.h
// for the mapping and the checks; README, "The browser bridge").

#include <string>
#include <vector>

namespace mavel::cli {

// arguments follow "serve"; runs until the process is ended; the exit code
// of a server that could not start.
int serve(const std::vector<std::string>& arguments);

}  // namespace mavel::cli
