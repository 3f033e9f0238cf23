#pragma once
// A module loaded by file name at run time, and the process-wide loaders of
// the in-house libraries that the library looks functions up in by name.

#include <windows.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <utility>

#include "platform/handle_owner.h"
#include "platform/locks.h"
#include "platform/path.h"
#include "result/result.h"

// The name and C signature of a function looked up at run time. The name is
// a literal: its address is what the library's lookup cache keys on.
template <class Signature>
struct ExportedFunction {
    const char* name;
};

class DynamicLibrary {
public:
    DynamicLibrary() = default;
    virtual ~DynamicLibrary();
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    virtual void unload() noexcept;
    // Called by invoke() when a function is missing; loaders throw from here.
    virtual void onFunctionNotFound();

    // Loads the file unless a module is already held; true when one is held.
    bool load(const fs::Path& file);

    bool isLoaded() const noexcept { return static_cast<bool>(module_); }
    const fs::Path& path() const noexcept { return path_; }
    bool hasFunction(const char* name) const noexcept {
        return kelto::findExport<void()>(module_.get(), name) != nullptr;
    }
    template <class Signature>
    bool hasFunction(ExportedFunction<Signature> function) const noexcept {
        return lookup(function.name) != nullptr;
    }
    // The entry point with its C signature; null when the module lacks it.
    template <class Signature>
    Signature* find(ExportedFunction<Signature> function) const noexcept {
        return reinterpret_cast<Signature*>(lookup(function.name));
    }

    // Calls a required function; a missing one goes through onFunctionNotFound().
    template <class Signature, class... Args>
    decltype(auto) invoke(ExportedFunction<Signature> function, Args&&... args) {
        if (!hasFunction(function)) onFunctionNotFound();
        return call(function, std::forward<Args>(args)...);
    }

    // Calls an optional function when the module has it; true when it did.
    // Its result, if any, is not wanted.
    template <class Signature, class... Args>
    bool invokeIfPresent(ExportedFunction<Signature> function, Args&&... args) {
        Signature* entry = find(function);
        if (entry == nullptr) return false;
        entry(std::forward<Args>(args)...);
        return true;
    }

    // Calls a function whose presence the caller checked with hasFunction().
    template <class Signature, class Arg>
    decltype(auto) invokeDirect(ExportedFunction<Signature> function, Arg&& arg) {
        return call(function, std::forward<Arg>(arg));
    }

private:
    template <class Signature, class... Args>
    decltype(auto) call(ExportedFunction<Signature> function, Args&&... args) {
        Signature* entry = find(function);
        if (entry == nullptr) throw std::logic_error("call of a missing library function");
        return entry(std::forward<Args>(args)...);
    }

    // The address of an export, looked up once per name: GetProcAddress takes
    // the process's loader lock, which every thread of the process shares.
    // Null without a module (nothing is kept then, so that a later load
    // starts afresh) or when the module lacks the export.
    void* lookup(const char* literalName) const noexcept;
    void remember(const char* literalName, void* address) const noexcept;
    void forgetExports() noexcept;

    // Filled front to back and never emptied while a module is held, so a
    // reader can stop at the first free slot. A full cache only means more
    // lookups, never a wrong one.
    struct CachedExport {
        std::atomic<const char*> name{nullptr};
        std::atomic<std::uintptr_t> address{0};  // 0 while being filled in
    };
    static constexpr std::size_t kCachedExports = 32;
    static constexpr std::uintptr_t kMissingExport = 1;

    fs::Path path_;
    kelto::UniqueModule module_;
    mutable std::array<CachedExport, kCachedExports> exports_;
};

namespace kelto {

// One process-wide loader per in-house library, created on first use and
// released at unload in reverse order of creation. A file that was missing is
// looked for again on every use, so it can appear while the host runs.
template <class Derived>
class LibraryLoader : public DynamicLibrary {
public:
    // Once the file is loaded, no lock: requests of every kind come through here.
    static Derived& instance() {
        static Derived loader;
        if (!loader.loaded_.load(std::memory_order_acquire)) {
            const std::lock_guard guard(loader.loadLock_);
            if (!loader.isLoaded()) loader.load(fs::Path(Derived::kFileName));
            loader.loaded_.store(loader.isLoaded(), std::memory_order_release);
        }
        return loader;
    }

    [[noreturn]] void onFunctionNotFound() override {
        throw BridgeResultError(404, "FunctionNotFoundError", Derived::kMissingMessage);
    }

private:
    SlimLock loadLock_;
    std::atomic<bool> loaded_{false};
};

class ostrelLoader final : public LibraryLoader<ostrelLoader> {
public:
    static constexpr const char* kFileName = "libostrel_x64.dll";
    static constexpr const char* kMissingMessage = "ostrel does not have a requested function.";
};

class libpalletLoader final : public LibraryLoader<libpalletLoader> {
public:
    static constexpr const char* kFileName = "libpallet_x64.dll";
    static constexpr const char* kMissingMessage = "libpallet does not have a requested function.";
};

class libcarvel2Loader final : public LibraryLoader<libcarvel2Loader> {
public:
    static constexpr const char* kFileName = "libcarvel2_x64.dll";
    static constexpr const char* kMissingMessage = "libcarvel2 does not have a requested function.";
};

class BrambleLoader final : public LibraryLoader<BrambleLoader> {
public:
    static constexpr const char* kFileName = "libbramble.dll";
    static constexpr const char* kMissingMessage = "Bramble does not have a requested function.";
};

// Windows' configuration manager: its device-notification functions exist
// from Windows 8 on, and not in every compatible environment, so they are
// looked up at run time and the library loads without them.
class ConfigurationManagerLoader final : public LibraryLoader<ConfigurationManagerLoader> {
public:
    static constexpr const char* kFileName = "cfgmgr32.dll";
    static constexpr const char* kMissingMessage = "cfgmgr32 does not have a requested function.";
};

}  // namespace kelto
