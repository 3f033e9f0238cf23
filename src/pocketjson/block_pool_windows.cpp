// On Windows the blocks come from operator new. In the DLL that is the
// library's own: it keeps a thread's freed small blocks for the thread's next
// allocations already, and hands them back through a fiber-local slot's
// callback when the thread ends. The pool would need a C++ thread-local
// destructor for that, and MinGW's runtime keeps a DLL loaded for as long as
// a thread that has one lives, so the host could no longer unload it.

#include "pocketjson/block_pool.h"

namespace pocketjson {

void* takeBlock(std::size_t bytes) { return ::operator new(bytes); }

void returnBlock(void* block, std::size_t bytes) noexcept { ::operator delete(block, bytes); }

}  // namespace pocketjson
