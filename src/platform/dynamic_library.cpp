#include "platform/dynamic_library.h"

DynamicLibrary::~DynamicLibrary() = default;

void DynamicLibrary::unload() noexcept {
    module_.reset();
    forgetExports();
}

void DynamicLibrary::onFunctionNotFound() {}

bool DynamicLibrary::load(const fs::Path& file) {
    if (module_) return true;
    kelto::UniqueModule module(LoadLibraryW(file.wide().c_str()));
    if (!module) return false;
    module_ = std::move(module);
    path_ = file;
    return true;
}

void* DynamicLibrary::lookup(const char* literalName) const noexcept {
    const HMODULE module = module_.get();
    if (module == nullptr) return nullptr;
    for (const CachedExport& slot : exports_) {
        const char* name = slot.name.load(std::memory_order_acquire);
        if (name == nullptr) break;
        if (name != literalName) continue;
        const std::uintptr_t address = slot.address.load(std::memory_order_acquire);
        if (address == 0) break;  // another thread is filling it in
        return address == kMissingExport ? nullptr : reinterpret_cast<void*>(address);
    }
    void* const address = reinterpret_cast<void*>(kelto::findExport<void()>(module, literalName));
    remember(literalName, address);
    return address;
}

void DynamicLibrary::remember(const char* literalName, void* address) const noexcept {
    for (CachedExport& slot : exports_) {
        const char* expected = nullptr;
        if (slot.name.compare_exchange_strong(expected, literalName, std::memory_order_acq_rel)) {
            slot.address.store(address != nullptr ? reinterpret_cast<std::uintptr_t>(address) : kMissingExport,
                               std::memory_order_release);
            return;
        }
        if (expected == literalName) return;  // kept by another thread
    }
}

void DynamicLibrary::forgetExports() noexcept {
    for (CachedExport& slot : exports_) {
        slot.address.store(0, std::memory_order_relaxed);
        slot.name.store(nullptr, std::memory_order_release);
    }
}
