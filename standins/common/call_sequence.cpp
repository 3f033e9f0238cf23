#include "standin/call_sequence.h"

#include <windows.h>

#include <string>

#include "platform/handle_owner.h"

namespace standin {

namespace {

struct MappedViewTraits {
    using Handle = void*;
    static Handle invalid() noexcept { return nullptr; }
    static void close(Handle view) noexcept { UnmapViewOfFile(view); }
};

// A named mapping is the one thing the DLLs share without knowing of each
// other; the process id in the name keeps other processes' counters apart.
class SharedCounter {
public:
    SharedCounter() {
        const std::wstring name = L"Local\\mavel-standin-call-sequence-" + std::to_wstring(GetCurrentProcessId());
        mapping_.reset(
            CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LONG64), name.c_str()));
        if (mapping_) view_.reset(MapViewOfFile(mapping_.get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(LONG64)));
    }

    std::int64_t next() noexcept {
        // Without the mapping the numbers still order this DLL's own calls.
        auto* counter = view_ ? static_cast<volatile LONG64*>(view_.get()) : &ownCounter_;
        return InterlockedIncrement64(counter);
    }

private:
    kelto::UniqueKernelHandle mapping_;
    kelto::UniqueHandle<MappedViewTraits> view_;
    volatile LONG64 ownCounter_ = 0;
};

}  // namespace

std::int64_t nextCallNumber() noexcept {
    static SharedCounter counter;
    return counter.next();
}

}  // namespace standin
