// On Windows the blocks come from operator new. In the DLL that is the
// library's own: it keeps a thread's freed small blocks for the thread's next
// allocations already, reaches them through a slot in the thread's own
// block, and hands them back through a fiber-local slot's callback when the
// thread ends. The pool, built here, reached its thread's cache through
// MinGW's emulated thread-local storage, a call per block, and was slower in
// the DLL (a list of four screens took 19 us instead of 14.5); and its C++
// thread-local destructor kept the DLL loaded for as long as a thread that
// had used it lived.

#include "pocketjson/block_pool.h"

namespace pocketjson {

void* takeBlock(std::size_t bytes) { return ::operator new(bytes); }

void returnBlock(void* block, std::size_t bytes) noexcept { ::operator delete(block, bytes); }

}  // namespace pocketjson
