#pragma once
// Owners for the Windows handles and COM interfaces held anywhere in this
// code base: the library, its tools, tests and stand-ins. Each kind of handle
// has its one owner type here, released on every way out of a scope, thrown
// errors included.

#include <windows.h>

#include <utility>

namespace kelto {

// Traits name the handle type, the value that means "no handle" and how a
// handle is given back; FindFirstFileW and OpenDesktopW disagree on the second.
template <class Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Traits::invalid(); }

    // Gives the handle up without closing it.
    [[nodiscard]] Handle release() noexcept { return std::exchange(handle_, Traits::invalid()); }

    // Closing keeps the thread's last error, so an owner leaving scope after
    // a failed call never hides that call's error from its reader.
    void reset(Handle handle = Traits::invalid()) noexcept {
        const Handle old = std::exchange(handle_, handle);
        if (old == Traits::invalid()) return;
        const DWORD lastError = GetLastError();
        Traits::close(old);
        SetLastError(lastError);
    }

private:
    Handle handle_ = Traits::invalid();
};

struct ModuleTraits {
    using Handle = HMODULE;
    static Handle invalid() noexcept { return nullptr; }
    static void close(Handle module) noexcept { FreeLibrary(module); }
};

struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(Handle search) noexcept { FindClose(search); }
};

struct DesktopTraits {
    using Handle = HDESK;
    static Handle invalid() noexcept { return nullptr; }
    static void close(Handle desktop) noexcept { CloseDesktop(desktop); }
};

struct EventLogTraits {
    using Handle = HANDLE;
    static Handle invalid() noexcept { return nullptr; }
    static void close(Handle log) noexcept { CloseEventLog(log); }
};

// Processes, threads, events, pipes: the handles that say null when none.
struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle invalid() noexcept { return nullptr; }
    static void close(Handle handle) noexcept { CloseHandle(handle); }
};

// CreateFileW says INVALID_HANDLE_VALUE when it fails.
struct FileTraits {
    using Handle = HANDLE;
    static Handle invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(Handle file) noexcept { CloseHandle(file); }
};

struct RegistryKeyTraits {
    using Handle = HKEY;
    static Handle invalid() noexcept { return nullptr; }
    static void close(Handle key) noexcept { RegCloseKey(key); }
};

// Device contexts of a display, from CreateDCW.
struct DeviceContextTraits {
    using Handle = HDC;
    static Handle invalid() noexcept { return nullptr; }
    static void close(Handle context) noexcept { DeleteDC(context); }
};

using UniqueModule = UniqueHandle<ModuleTraits>;
using UniqueFindHandle = UniqueHandle<FindHandleTraits>;
using UniqueDesktop = UniqueHandle<DesktopTraits>;
using UniqueEventLog = UniqueHandle<EventLogTraits>;
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueFile = UniqueHandle<FileTraits>;
using UniqueRegistryKey = UniqueHandle<RegistryKeyTraits>;
using UniqueDeviceContext = UniqueHandle<DeviceContextTraits>;

// An export of a module with its C signature; null when the module (or the
// export) is missing. Also for modules this process does not own.
template <class Signature>
Signature* findExport(HMODULE module, const char* name) noexcept {
    if (module == nullptr) return nullptr;
    // Through void*: FARPROC's own signature means nothing here.
    return reinterpret_cast<Signature*>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Holds one reference of a COM interface.
template <class Interface>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ~ComPtr() { reset(); }

    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    Interface* get() const noexcept { return pointer_; }
    Interface* operator->() const noexcept { return pointer_; }
    explicit operator bool() const noexcept { return pointer_ != nullptr; }

    // The out-parameter of CoCreateInstance and QueryInterface; drops the
    // reference held so far, so the new one cannot leak it.
    void** receive() noexcept {
        reset();
        return reinterpret_cast<void**>(&pointer_);
    }

    void reset() noexcept {
        if (pointer_ != nullptr) std::exchange(pointer_, nullptr)->Release();
    }

private:
    Interface* pointer_ = nullptr;
};

}  // namespace kelto
