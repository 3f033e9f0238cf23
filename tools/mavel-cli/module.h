#pragma once
// Owner of a loaded module, and typed lookup of its exports.

#include <windows.h>

namespace mavelcli {

class Module {
public:
    Module() noexcept = default;
    explicit Module(HMODULE handle) noexcept : handle_(handle) {}
    ~Module() {
        if (handle_ != nullptr) {
            FreeLibrary(handle_);
        }
    }
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;
    Module(Module&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
    Module& operator=(Module&&) = delete;

    explicit operator bool() const noexcept { return handle_ != nullptr; }
    HMODULE get() const noexcept { return handle_; }

    // Null when the module does not export name.
    template <typename Function>
    Function find(const char* name) const noexcept {
        return findIn<Function>(handle_, name);
    }

    // Also for modules this process does not own (GetModuleHandleW).
    template <typename Function>
    static Function findIn(HMODULE module, const char* name) noexcept {
        if (module == nullptr) {
            return nullptr;
        }
        // Through void* because FARPROC's own signature means nothing here.
        return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    }

private:
    HMODULE handle_ = nullptr;
};

}  // namespace mavelcli
