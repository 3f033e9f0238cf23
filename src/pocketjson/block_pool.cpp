#include "pocketjson/block_pool.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>
#include <utility>

#include "pocketjson/thread_slot.h"

// Its poisoning macros do nothing in a build without the address sanitizer.
#if __has_include(<sanitizer/asan_interface.h>)
#include <sanitizer/asan_interface.h>
#endif

namespace pocketjson {

namespace {

// Blocks are multiples of kStep bytes: as aligned as the pointers and
// 64-bit numbers of the values' nodes and boxes, no more.
constexpr std::size_t kStep = kPooledBlockAlignment;
constexpr std::size_t kClasses = kLargestPooledBlock / kStep;
constexpr std::size_t kChunkBytes = std::size_t{64} << 10;
// What a thread keeps of free blocks, all sizes together: a parsed document
// of two megabytes makes about three megabytes of blocks.
constexpr std::size_t kKeptBytes = std::size_t{4} << 20;
// What a thread takes from the shared pool at a time.
constexpr std::size_t kBatchBlocks = 256;

constexpr std::size_t bytesOf(std::size_t sizeClass) noexcept { return sizeClass * kStep; }

// Free blocks are poisoned for the address sanitizer, so that a use after
// free is still caught although the block stays in the program.
void poison([[maybe_unused]] void* block, [[maybe_unused]] std::size_t bytes) noexcept {
#if defined(ASAN_POISON_MEMORY_REGION)
    ASAN_POISON_MEMORY_REGION(block, bytes);
#endif
}

void unpoison([[maybe_unused]] void* block, [[maybe_unused]] std::size_t bytes) noexcept {
#if defined(ASAN_UNPOISON_MEMORY_REGION)
    ASAN_UNPOISON_MEMORY_REGION(block, bytes);
#endif
}

struct FreeBlock {
    FreeBlock* next;
};

// A free block's link, read and written through its poison.
FreeBlock* nextOf(FreeBlock* block) noexcept {
    unpoison(block, sizeof(FreeBlock));
    FreeBlock* const next = block->next;
    poison(block, sizeof(FreeBlock));
    return next;
}

void setNext(FreeBlock* block, FreeBlock* next) noexcept {
    unpoison(block, sizeof(FreeBlock));
    block->next = next;
    poison(block, sizeof(FreeBlock));
}

// Free blocks of one size, newest first. The oldest is known too, so that a
// whole list joins another in one step.
struct BlockList {
    FreeBlock* first = nullptr;
    FreeBlock* last = nullptr;
    std::size_t count = 0;

    void push(void* block, std::size_t bytes) noexcept {
        auto* const freed = static_cast<FreeBlock*>(block);
        freed->next = first;
        poison(freed, bytes);
        if (first == nullptr) last = freed;
        first = freed;
        ++count;
    }

    // The next block to take is fetched while the caller fills this one:
    // freed blocks lie scattered, and each would otherwise be a cache miss
    // at the next allocation.
    void* pop(std::size_t bytes) noexcept {
        FreeBlock* const block = first;
        unpoison(block, bytes);
        first = block->next;
        __builtin_prefetch(first, 1);
        --count;
        return block;
    }

    // Moves every block of other to the front of this list.
    void join(BlockList& other) noexcept {
        if (other.first == nullptr) return;
        setNext(other.last, first);
        if (first == nullptr) last = other.last;
        first = other.first;
        count += other.count;
        other = BlockList{};
    }

    // Moves up to most of the newest blocks into a list of their own.
    BlockList split(std::size_t most) noexcept {
        if (count <= most) return std::exchange(*this, BlockList{});
        BlockList taken{first, first, most};
        for (std::size_t i = 1; i < most; ++i) taken.last = nextOf(taken.last);
        first = nextOf(taken.last);
        setNext(taken.last, nullptr);
        count -= most;
        return taken;
    }
};

using ClassLists = std::array<BlockList, kClasses + 1>;

// Guards the shared pool, which threads visit seldom and briefly: one that
// finds it taken gives up its turn until it is free.
class SpinLock {
public:
    void lock() noexcept {
        while (taken_.test_and_set(std::memory_order_acquire)) {
            std::this_thread::yield();
        }
    }
    void unlock() noexcept { taken_.clear(std::memory_order_release); }

private:
    std::atomic_flag taken_;  // clear from the start
};

// The chunks, and the blocks that threads handed back. Constructed before
// every other static object and destroyed after them, so that the program's
// values are gone before their chunks are.
class SharedPool {
public:
    constexpr SharedPool() noexcept = default;
    SharedPool(const SharedPool&) = delete;
    SharedPool& operator=(const SharedPool&) = delete;
    ~SharedPool() {
        const std::lock_guard hold(lock_);
        while (chunks_ != nullptr) {
            Chunk* const next = chunks_->next;
            unpoison(chunks_, kChunkBytes);
            ::operator delete(chunks_);
            chunks_ = next;
        }
    }

    void give(ClassLists& lists) noexcept {
        const std::lock_guard hold(lock_);
        for (std::size_t sizeClass = 1; sizeClass <= kClasses; ++sizeClass) join(sizeClass, lists[sizeClass]);
    }

    void give(std::size_t sizeClass, BlockList& list) noexcept {
        const std::lock_guard hold(lock_);
        join(sizeClass, list);
    }

    // A batch at a time: a thread that handed its blocks back does not get
    // them all again at its next allocation.
    BlockList take(std::size_t sizeClass) noexcept {
        if (!held_[sizeClass].load(std::memory_order_relaxed)) return BlockList{};
        const std::lock_guard hold(lock_);
        BlockList taken = free_[sizeClass].split(kBatchBlocks);
        held_[sizeClass].store(free_[sizeClass].first != nullptr, std::memory_order_relaxed);
        return taken;
    }

    // A new chunk cut into blocks of one size. They are listed from the
    // chunk's start, so that the values made next lie in memory in the order
    // in which they were made.
    BlockList newChunk(std::size_t sizeClass) {
        auto* const chunk = static_cast<Chunk*>(::operator new(kChunkBytes));
        {
            const std::lock_guard hold(lock_);
            chunk->next = chunks_;
            chunks_ = chunk;
        }
        const std::size_t bytes = bytesOf(sizeClass);
        char* const start = reinterpret_cast<char*>(chunk) + kStep;  // after the link
        char* block = start + (kChunkBytes - kStep) / bytes * bytes;
        BlockList blocks;
        while (block != start) {
            block -= bytes;
            blocks.push(block, bytes);
        }
        return blocks;
    }

private:
    struct Chunk {
        Chunk* next;
    };

    // Under the lock.
    void join(std::size_t sizeClass, BlockList& list) noexcept {
        free_[sizeClass].join(list);
        held_[sizeClass].store(free_[sizeClass].first != nullptr, std::memory_order_relaxed);
    }

    SpinLock lock_;
    ClassLists free_{};
    std::array<std::atomic<bool>, kClasses + 1> held_{};  // read without the lock
    Chunk* chunks_ = nullptr;
};

__attribute__((init_priority(101))) SharedPool gShared;

// A thread's cache is unused until its first block, in use once its return
// at the thread's end is arranged, and returned after that: blocks then go
// to and come from the shared pool one by one.
enum class CacheState : unsigned char { Unused, InUse, Returned };

// One thread's free blocks by size.
struct ThreadCache {
    ClassLists free{};
    std::size_t keptBytes = 0;
    std::uint64_t blocksTaken = 0;
    CacheState state = CacheState::Unused;
};

#if defined(_WIN32)

// A thread reaches its cache through a TLS slot read straight from its TEB,
// and hands it back through a fiber-local slot's callback when it ends.
// MinGW's emulated thread-local storage costs a call at every block, and a
// C++ thread-local destructor would keep the DLL loaded for as long as a
// thread that had one lived.

// What a thread without a cache reads: one not made yet, or one handed back
// at the thread's end. Never written; the slow paths tell them apart.
constinit ThreadCache gNoCache{};
constinit ThreadCache gReturnedCache{.state = CacheState::Returned};
std::atomic<DWORD> gFastSlot{TLS_OUT_OF_INDEXES};
std::atomic<bool> gSlotsGone{false};

ThreadCache& threadCache() noexcept {
    const DWORD slot = gFastSlot.load(std::memory_order_acquire);
    if (slot == TLS_OUT_OF_INDEXES) return gSlotsGone.load() ? gReturnedCache : gNoCache;
    void* const cache = threadSlotValue(slot);
    return cache != nullptr ? *static_cast<ThreadCache*>(cache) : gNoCache;
}

// Runs on the ending thread; at the DLL's unload it runs for every thread
// still alive, and then does nothing.
void CALLBACK returnAtThreadEnd(void* cache) noexcept {
    if (cache == nullptr || gSlotsGone.load()) return;
    gShared.give(static_cast<ThreadCache*>(cache)->free);
    TlsSetValue(gFastSlot.load(), &gReturnedCache);
    delete static_cast<ThreadCache*>(cache);
}

// Made at the first block; gone with the program's other static objects,
// before the chunks.
class ThreadSlots {
public:
    ThreadSlots() noexcept : fast_(TlsAlloc()), end_(FlsAlloc(returnAtThreadEnd)) {
        if (ready()) gFastSlot.store(fast_);
    }
    ThreadSlots(const ThreadSlots&) = delete;
    ThreadSlots& operator=(const ThreadSlots&) = delete;
    ~ThreadSlots() {
        gSlotsGone.store(true);
        gFastSlot.store(TLS_OUT_OF_INDEXES);
        if (end_ != FLS_OUT_OF_INDEXES) FlsFree(end_);
        if (fast_ != TLS_OUT_OF_INDEXES) TlsFree(fast_);
    }

    bool ready() const noexcept { return fast_ != TLS_OUT_OF_INDEXES && end_ != FLS_OUT_OF_INDEXES; }
    DWORD endSlot() const noexcept { return end_; }

private:
    DWORD fast_;
    DWORD end_;
};

void startCache() noexcept {
    if (gSlotsGone.load()) return;
    static ThreadSlots slots;
    if (!slots.ready()) return;
    auto* const cache = new (std::nothrow) ThreadCache{.state = CacheState::InUse};
    if (cache == nullptr) return;
    if (!FlsSetValue(slots.endSlot(), cache) || !TlsSetValue(gFastSlot.load(), cache)) {
        FlsSetValue(slots.endSlot(), nullptr);
        delete cache;
    }
}

#else

constinit thread_local ThreadCache tCache;

ThreadCache& threadCache() noexcept { return tCache; }

// At the thread's end its blocks go to the shared pool.
struct CacheReturn {
    CacheReturn() noexcept { tCache.state = CacheState::InUse; }
    CacheReturn(const CacheReturn&) = delete;
    CacheReturn& operator=(const CacheReturn&) = delete;
    ~CacheReturn() {
        gShared.give(tCache.free);
        tCache.keptBytes = 0;
        tCache.state = CacheState::Returned;
    }
};

void startCache() noexcept {
    thread_local CacheReturn cacheReturn;
    static_cast<void>(cacheReturn);
}

#endif

// The calling thread's cache, made at its first block. A thread left
// without one (no slot or memory for it, or the program ending) has its
// blocks go to and come from the shared pool one by one.
ThreadCache& startedCache() noexcept {
    if (threadCache().state == CacheState::Unused) startCache();
    return threadCache();
}

[[gnu::noinline]] void* takeSlowly(std::size_t sizeClass) {
    ThreadCache& cache = startedCache();
    const bool own = cache.state == CacheState::InUse;
    BlockList single;
    BlockList& list = own ? cache.free[sizeClass] : single;
    list = gShared.take(sizeClass);
    if (list.first == nullptr) list = gShared.newChunk(sizeClass);
    void* const block = list.pop(bytesOf(sizeClass));
    if (own) {
        cache.keptBytes += list.count * bytesOf(sizeClass);
        ++cache.blocksTaken;
    } else {
        gShared.give(sizeClass, single);
    }
    return block;
}

// Over the limit, every size goes back to the shared pool, not only the one
// freed now: a thread that frees what others made would otherwise keep
// blocks of sizes it never makes again.
[[gnu::noinline]] void keepSlowly(void* block, std::size_t sizeClass) noexcept {
    ThreadCache& cache = startedCache();
    if (cache.state != CacheState::InUse) {
        BlockList single;
        single.push(block, bytesOf(sizeClass));
        gShared.give(sizeClass, single);
        return;
    }
    cache.free[sizeClass].push(block, bytesOf(sizeClass));
    cache.keptBytes += bytesOf(sizeClass);
    if (cache.keptBytes > kKeptBytes) {
        gShared.give(cache.free);
        cache.keptBytes = 0;
    }
}

constexpr std::size_t classOf(std::size_t bytes) noexcept { return bytes == 0 ? 1 : (bytes + kStep - 1) / kStep; }

}  // namespace

void* takeBlock(std::size_t bytes) {
    if (bytes > kLargestPooledBlock) return ::operator new(bytes);
    const std::size_t sizeClass = classOf(bytes);
    ThreadCache& cache = threadCache();
    BlockList& list = cache.free[sizeClass];
    if (list.first == nullptr || cache.state != CacheState::InUse) return takeSlowly(sizeClass);
    cache.keptBytes -= bytesOf(sizeClass);
    ++cache.blocksTaken;
    return list.pop(bytesOf(sizeClass));
}

std::uint64_t blocksTakenByThisThread() noexcept { return threadCache().blocksTaken; }

void returnBlock(void* block, std::size_t bytes) noexcept {
    if (block == nullptr) return;
    if (bytes > kLargestPooledBlock) {
        ::operator delete(block);
        return;
    }
    const std::size_t sizeClass = classOf(bytes);
    ThreadCache& cache = threadCache();
    if (cache.keptBytes + bytesOf(sizeClass) > kKeptBytes || cache.state != CacheState::InUse) {
        keepSlowly(block, sizeClass);
        return;
    }
    cache.keptBytes += bytesOf(sizeClass);
    cache.free[sizeClass].push(block, bytesOf(sizeClass));
}

}  // namespace pocketjson
