// The DLL's operator new and delete: every block comes from one of a few
// private heaps, picked by the calling thread, instead of the one heap of the
// C runtime. A heap serialises its callers, and under Wine a contended heap
// lock makes eight threads together slower than one alone; with the threads
// spread over heaps of their own, requests on different threads allocate in
// parallel. Small blocks freed by a thread stay in that thread's own cache
// for its next allocations of the size: an answer is a tree of many map
// nodes and boxes of a few dozen bytes, built and freed again for every
// request, and a heap call costs two locked instructions and its own
// bookkeeping where a cache pop costs a load and a store. Linked into the
// DLL only: tools and tests keep the runtime's.

#include <windows.h>

#include <array>
#include <atomic>
#include <cstddef>
#include <new>
#include <utility>

#include "pocketjson/thread_slot.h"

namespace kelto {

namespace {

// Blocks up to this size are rounded up to a multiple of the step and cached.
constexpr std::size_t kSizeStep = 16;
constexpr std::size_t kSizeClasses = 16;
constexpr std::size_t kSmallLimit = kSizeStep * kSizeClasses;
// What a thread keeps of all sizes together; more goes back to its heap. A
// list of 5,000 processes frees about 3 MB of small blocks; with less kept,
// most of them took the heap's lock twice at every request. The blocks go
// back when the thread ends.
constexpr std::size_t kCachedSmallBytes = std::size_t{4} << 20;
constexpr std::size_t kHeapCount = 8;
static_assert(TLS_OUT_OF_INDEXES == FLS_OUT_OF_INDEXES);
constexpr DWORD kNoSlot = TLS_OUT_OF_INDEXES;
// Committed from the start: a heap that must grow maps a new region and
// unmaps it again once its blocks are freed, so every request with a large
// answer faulted in each page anew. A list of 5,000 processes builds about
// four megabytes of blocks. Pages become resident only when first used.
constexpr std::size_t kHeapCommit = std::size_t{4} << 20;
// The heap maps blocks of about a megabyte and more apart from its own
// memory and unmaps them when freed, so the buffer of a long answer faulted
// in every page at every request. A thread keeps its two most recently freed
// blocks from half a megabyte (a buffer's growth step before that) up to
// kLargestCachedBlock for its next allocations; a kept block serves a request
// of half its size or more.
constexpr std::size_t kLargeBlock = std::size_t{512} << 10;
constexpr std::size_t kLargestCachedBlock = std::size_t{4} << 20;
constexpr std::size_t kCachedLargeBlocks = 2;

// Each block starts with where it came from, so any thread can free it.
// Sixteen bytes keep the caller's part as aligned as the heap's blocks.
struct BlockHeader {
    HANDLE heap;
    std::size_t capacity;  // what the caller may use: a size class's bytes for small blocks
};
static_assert(sizeof(BlockHeader) == 16);

struct FreeBlock {
    FreeBlock* next;
};

// One thread's free blocks, by size class; reached through a fiber-local
// slot whose callback hands the blocks back when the thread ends.
struct ThreadCache {
    std::array<FreeBlock*, kSizeClasses + 1> free{};
    std::size_t freeBytes = 0;
    std::array<void*, kCachedLargeBlocks> large{};  // the most recently freed first
};

std::size_t capacityOf(const void* pointer) noexcept {
    return (static_cast<const BlockHeader*>(pointer) - 1)->capacity;
}

void CALLBACK flushThreadCache(void* cache) noexcept;

class ThreadHeaps {
public:
    constexpr ThreadHeaps() noexcept = default;
    ThreadHeaps(const ThreadHeaps&) = delete;
    ThreadHeaps& operator=(const ThreadHeaps&) = delete;

    // Runs after every other static object of the DLL is gone. A block freed
    // later still (a thread's own objects at process exit) is left to the
    // process, never handed to a destroyed heap. The caches live in the
    // heaps and go with them; freeing the slot first means no thread's end
    // calls back into a DLL that is no longer there.
    ~ThreadHeaps() {
        gone_.store(true);
        if (const DWORD slot = cacheSlot_.exchange(kNoSlot); slot != kNoSlot) FlsFree(slot);
        if (const DWORD slot = fastSlot_.exchange(kNoSlot); slot != kNoSlot) TlsFree(slot);
        for (std::atomic<HANDLE>& heap : heaps_) {
            if (const HANDLE owned = heap.exchange(nullptr)) HeapDestroy(owned);
        }
    }

    void* allocate(std::size_t size) {
        if (size > kSmallLimit) {
            if (size >= kLargeBlock) {
                if (void* block = takeLarge(size)) return block;
            }
            return fromHeap(heapForThisThread(), size);
        }
        // Empty blocks take the smallest class: a class of no bytes would
        // never reach the cache's limit.
        const std::size_t sizeClass = size == 0 ? 1 : (size + kSizeStep - 1) / kSizeStep;
        if (ThreadCache* cache = cacheForThisThread(true)) {
            if (FreeBlock* block = cache->free[sizeClass]) {
                cache->free[sizeClass] = block->next;
                cache->freeBytes -= sizeClass * kSizeStep;
                return block;
            }
        }
        return fromHeap(heapForThisThread(), sizeClass * kSizeStep);
    }

    void release(void* pointer) noexcept {
        const std::size_t capacity = capacityOf(pointer);
        if (capacity <= kSmallLimit) {
            const std::size_t sizeClass = capacity / kSizeStep;
            ThreadCache* cache = cacheForThisThread(false);
            if (cache != nullptr && cache->freeBytes + capacity <= kCachedSmallBytes) {
                auto* block = static_cast<FreeBlock*>(pointer);
                block->next = cache->free[sizeClass];
                cache->free[sizeClass] = block;
                cache->freeBytes += capacity;
                return;
            }
        } else if (capacity >= kLargeBlock && capacity <= kLargestCachedBlock) {
            pointer = keepLarge(pointer);
            if (pointer == nullptr) return;
        }
        if (mayFree((static_cast<BlockHeader*>(pointer) - 1)->heap)) toHeap(pointer);
    }

    void flush(ThreadCache* cache) noexcept {
        if (gone_.load()) return;
        for (FreeBlock* block : cache->free) {
            while (block != nullptr) {
                FreeBlock* const next = block->next;
                toHeap(block);
                block = next;
            }
        }
        for (void* block : cache->large) {
            if (block != nullptr) toHeap(block);
        }
        toHeap(cache);
        // Frees of this thread's last objects go to the heap from here on.
        if (const DWORD slot = fastSlot_.load(std::memory_order_acquire); slot != kNoSlot) TlsSetValue(slot, nullptr);
    }

private:
    // A kept block that holds size bytes without wasting more than half of it.
    void* takeLarge(std::size_t size) noexcept {
        ThreadCache* const cache = cacheForThisThread(true);
        if (cache == nullptr) return nullptr;
        for (void*& block : cache->large) {
            if (block == nullptr) continue;
            const std::size_t capacity = capacityOf(block);
            if (capacity >= size && capacity / 2 <= size) return std::exchange(block, nullptr);
        }
        return nullptr;
    }

    // Keeps the block as the most recent one; answers the block to free
    // instead (the oldest kept, or this one without a cache).
    void* keepLarge(void* pointer) noexcept {
        ThreadCache* const cache = cacheForThisThread(false);
        if (cache == nullptr) return pointer;
        for (void*& block : cache->large) pointer = std::exchange(block, pointer);
        return pointer;
    }

    // nullptr when the heap has no room.
    static void* tryFromHeap(HANDLE heap, std::size_t size) noexcept {
        if (size > static_cast<std::size_t>(-1) - sizeof(BlockHeader)) return nullptr;
        auto* header = static_cast<BlockHeader*>(HeapAlloc(heap, 0, size + sizeof(BlockHeader)));
        if (header == nullptr) return nullptr;
        *header = BlockHeader{heap, size};
        return header + 1;
    }

    static void* fromHeap(HANDLE heap, std::size_t size) {
        void* const block = tryFromHeap(heap, size);
        if (block == nullptr) throw std::bad_alloc();
        return block;
    }

    static void toHeap(void* pointer) noexcept {
        BlockHeader* const header = static_cast<BlockHeader*>(pointer) - 1;
        HeapFree(header->heap, 0, header);
    }

    HANDLE heapForThisThread() noexcept {
        if (gone_.load(std::memory_order_relaxed)) return GetProcessHeap();
        // Thread ids are multiples of four.
        std::atomic<HANDLE>& slot = heaps_[(GetCurrentThreadId() >> 2) % kHeapCount];
        HANDLE heap = slot.load(std::memory_order_acquire);
        if (heap != nullptr) return heap;
        HANDLE created = HeapCreate(0, kHeapCommit, 0);
        if (created == nullptr) return GetProcessHeap();
        if (!slot.compare_exchange_strong(heap, created, std::memory_order_acq_rel)) {
            HeapDestroy(created);
            return heap;
        }
        return created;
    }

    // Read at every allocation and release, from the TEB (FlsGetValue took
    // an eighth of a screen list's time); the fiber-local slot holds the same
    // pointer only for its callback at the thread's end.
    static ThreadCache* fastValue(DWORD slot) noexcept {
        return static_cast<ThreadCache*>(pocketjson::threadSlotValue(slot));
    }

    // Only allocation creates a cache: a thread that merely frees while it
    // ends (after its cache was flushed) must not leave a new one behind.
    ThreadCache* cacheForThisThread(bool create) noexcept {
        if (gone_.load(std::memory_order_relaxed)) return nullptr;
        const DWORD fast = create ? fastSlot() : fastSlot_.load(std::memory_order_acquire);
        if (fast == kNoSlot) return nullptr;
        if (ThreadCache* cache = fastValue(fast)) return cache;
        if (!create) return nullptr;
        const DWORD slot = callbackSlot();
        if (slot == kNoSlot) return nullptr;
        void* const memory = tryFromHeap(heapForThisThread(), sizeof(ThreadCache));
        if (memory == nullptr) return nullptr;
        auto* cache = new (memory) ThreadCache();
        if (FlsSetValue(slot, cache)) {
            if (TlsSetValue(fast, cache)) return cache;
            FlsSetValue(slot, nullptr);
        }
        toHeap(cache);
        return nullptr;
    }

    static DWORD newCallbackSlot() noexcept { return FlsAlloc(flushThreadCache); }
    DWORD fastSlot() noexcept { return lazySlot(fastSlot_, TlsAlloc, TlsFree); }
    DWORD callbackSlot() noexcept { return lazySlot(cacheSlot_, newCallbackSlot, FlsFree); }

    // Taken at the first allocation rather than at construction, so that the
    // object stays constant-initialised and no allocation can see it unmade.
    template <class Make, class Drop>
    static DWORD lazySlot(std::atomic<DWORD>& slot, Make make, Drop drop) noexcept {
        DWORD current = slot.load(std::memory_order_acquire);
        if (current != kNoSlot) return current;
        const DWORD created = make();
        if (created == kNoSlot) return created;
        if (!slot.compare_exchange_strong(current, created, std::memory_order_acq_rel)) {
            drop(created);
            return current;
        }
        return created;
    }

    bool mayFree(HANDLE heap) const noexcept {
        return !gone_.load(std::memory_order_relaxed) || heap == GetProcessHeap();
    }

    std::atomic<DWORD> cacheSlot_{kNoSlot};  // fiber-local, for the callback at the thread's end
    std::atomic<DWORD> fastSlot_{kNoSlot};   // thread-local, for every call
    std::array<std::atomic<HANDLE>, kHeapCount> heaps_{};
    std::atomic<bool> gone_{false};
};

// Constructed before the DLL's other static objects, so destroyed after them.
__attribute__((init_priority(101))) ThreadHeaps gHeaps;

void CALLBACK flushThreadCache(void* cache) noexcept {
    if (cache != nullptr) gHeaps.flush(static_cast<ThreadCache*>(cache));
}

void* allocate(std::size_t size) { return gHeaps.allocate(size); }

void release(void* pointer) noexcept {
    if (pointer != nullptr) gHeaps.release(pointer);
}

}  // namespace

}  // namespace kelto

void* operator new(std::size_t size) { return kelto::allocate(size); }
void* operator new[](std::size_t size) { return kelto::allocate(size); }
void operator delete(void* pointer) noexcept { kelto::release(pointer); }
void operator delete[](void* pointer) noexcept { kelto::release(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { kelto::release(pointer); }
void operator delete[](void* pointer, std::size_t) noexcept { kelto::release(pointer); }
