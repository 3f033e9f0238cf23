#pragma once
// Numbers drawn by every stand-in DLL of the process from one counter, so
// that the call logs of separate DLLs (each with its own statics) can be put
// in the order the calls happened.

#include <cstdint>

namespace standin {

// Strictly greater than every number drawn before in this process, by any
// stand-in, as long as one stand-in stayed loaded in between; the first is 1.
std::int64_t nextCallNumber() noexcept;

}  // namespace standin
