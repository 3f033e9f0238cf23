#pragma once
// A TLS slot's value for the calling thread, read straight from its TEB when
// the slot lies there: one load, where TlsGetValue is a call and
// FlsGetValue three calls deep. The block pool and the DLL's heaps read their
// slot at every block.

#if defined(_WIN32)
#include <windows.h>
#include <winternl.h>

namespace pocketjson {

inline void* threadSlotValue(DWORD slot) noexcept {
    // The TEB's own address, at gs:0x30 on x64. NtCurrentTeb reads the same
    // word, but through a header function that GCC's bounds check takes for
    // an access to an empty array.
    TEB* teb;
    asm("movq %%gs:0x30, %0" : "=r"(teb));
    constexpr DWORD kTebSlots = sizeof(TEB::TlsSlots) / sizeof(TEB::TlsSlots[0]);
    return slot < kTebSlots ? teb->TlsSlots[slot] : TlsGetValue(slot);
}

}  // namespace pocketjson
#endif
