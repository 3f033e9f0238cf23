#include "platform/dynamic_library.h"

DynamicLibrary::~DynamicLibrary() { unload(); }

void DynamicLibrary::unload() noexcept {
    if (module_ != nullptr) {
        FreeLibrary(module_);
        module_ = nullptr;
    }
}

void DynamicLibrary::onFunctionNotFound() {}

bool DynamicLibrary::load(const fs::Path& file) {
    if (module_ != nullptr) return true;
    HMODULE module = LoadLibraryW(file.wide().c_str());
    if (module == nullptr) return false;
    module_ = module;
    path_ = file;
    return true;
}

FARPROC DynamicLibrary::address(const char* name) const noexcept {
    return module_ != nullptr ? GetProcAddress(module_, name) : nullptr;
}
