// The DLL's operator new and delete: every block comes from one of a few
// private heaps, picked by the calling thread, instead of the one heap of the
// C runtime. A heap serialises its callers, and under Wine a contended heap
// lock makes eight threads together slower than one alone; with the threads
// spread over heaps of their own, requests on different threads allocate in
// parallel. Linked into the DLL only: tools and tests keep the runtime's.

#include <windows.h>

#include <array>
#include <atomic>
#include <cstddef>
#include <new>

namespace kelto {

namespace {

// Each block starts with the heap it came from, so any thread can free it.
// Sixteen bytes keep the caller's part as aligned as the heap's blocks.
constexpr std::size_t kHeader = 16;
constexpr std::size_t kHeapCount = 8;
// Committed from the start: a heap that must grow for a block maps a new
// region and unmaps it again once the block is freed, at every request
// with a large answer (a few hundred kilobytes for a long process list).
constexpr std::size_t kHeapCommit = std::size_t{1} << 20;

class ThreadHeaps {
public:
    constexpr ThreadHeaps() noexcept = default;
    ThreadHeaps(const ThreadHeaps&) = delete;
    ThreadHeaps& operator=(const ThreadHeaps&) = delete;

    // Runs after every other static object of the DLL is gone. A block freed
    // later still (a thread's own objects at process exit) is left to the
    // process, never handed to a destroyed heap.
    ~ThreadHeaps() {
        gone_.store(true);
        for (std::atomic<HANDLE>& heap : heaps_) {
            if (const HANDLE owned = heap.exchange(nullptr)) HeapDestroy(owned);
        }
    }

    HANDLE forThisThread() noexcept {
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

    bool mayFree(HANDLE heap) const noexcept {
        return !gone_.load(std::memory_order_relaxed) || heap == GetProcessHeap();
    }

private:
    std::array<std::atomic<HANDLE>, kHeapCount> heaps_{};
    std::atomic<bool> gone_{false};
};

// Constructed before the DLL's other static objects, so destroyed after them.
__attribute__((init_priority(101))) ThreadHeaps gHeaps;

void* allocate(std::size_t size) {
    if (size > static_cast<std::size_t>(-1) - kHeader) throw std::bad_alloc();
    const HANDLE heap = gHeaps.forThisThread();
    auto* block = static_cast<unsigned char*>(HeapAlloc(heap, 0, size + kHeader));
    if (block == nullptr) throw std::bad_alloc();
    *reinterpret_cast<HANDLE*>(block) = heap;
    return block + kHeader;
}

void release(void* pointer) noexcept {
    if (pointer == nullptr) return;
    unsigned char* block = static_cast<unsigned char*>(pointer) - kHeader;
    const HANDLE heap = *reinterpret_cast<HANDLE*>(block);
    if (gHeaps.mayFree(heap)) HeapFree(heap, 0, block);
}

}  // namespace

}  // namespace kelto

void* operator new(std::size_t size) { return kelto::allocate(size); }
void* operator new[](std::size_t size) { return kelto::allocate(size); }
void operator delete(void* pointer) noexcept { kelto::release(pointer); }
void operator delete[](void* pointer) noexcept { kelto::release(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { kelto::release(pointer); }
void operator delete[](void* pointer, std::size_t) noexcept { kelto::release(pointer); }
