#pragma once
// The blocks of a value tree: map nodes and boxes, a few dozen bytes each,
// made by the thousand for a document and freed together. They come from a
// pool of large chunks, each cut into blocks of one size that are handed out
// from the chunk's start (so the blocks of each size that a parse makes lie
// in memory in text order), and kept by size once freed, on the freeing
// thread, for its next values. A block has no header: whoever frees it names its size. A
// thread keeps a few megabytes of free blocks; more, and what it keeps when
// it ends, go to a pool shared by all threads, which threads short of
// blocks take from. Chunks go back only when the program ends or the DLL
// that holds the pool is unloaded.

#include <cstddef>
#include <cstdint>
#include <new>

namespace pocketjson {

// Bytes up to kLargestPooledBlock come from the pool, larger ones from
// operator new; returnBlock must be given the size that takeBlock was.
inline constexpr std::size_t kLargestPooledBlock = 128;
inline constexpr std::size_t kPooledBlockAlignment = 8;
void* takeBlock(std::size_t bytes);
void returnBlock(void* block, std::size_t bytes) noexcept;
// Pool blocks the calling thread has taken so far, so that a benchmark can
// count a piece of work's allocations with those of operator new.
std::uint64_t blocksTakenByThisThread() noexcept;

// Pool blocks for a standard container's elements.
template <typename T>
class BlockAllocator {
public:
    using value_type = T;

    BlockAllocator() noexcept = default;
    template <typename U>
    BlockAllocator(const BlockAllocator<U>&) noexcept {}

    static_assert(alignof(T) <= kPooledBlockAlignment, "pool blocks are aligned for pointers only");

    T* allocate(std::size_t count) {
        if (count > static_cast<std::size_t>(-1) / sizeof(T)) {
            throw std::bad_array_new_length();
        }
        return static_cast<T*>(takeBlock(count * sizeof(T)));
    }
    void deallocate(T* block, std::size_t count) noexcept { returnBlock(block, count * sizeof(T)); }

    friend bool operator==(BlockAllocator, BlockAllocator) noexcept { return true; }
};

}  // namespace pocketjson
