#include "platform/dynamic_library.h"

DynamicLibrary::~DynamicLibrary() = default;

void DynamicLibrary::unload() noexcept { module_.reset(); }

void DynamicLibrary::onFunctionNotFound() {}

bool DynamicLibrary::load(const fs::Path& file) {
    if (module_) return true;
    kelto::UniqueModule module(LoadLibraryW(file.wide().c_str()));
    if (!module) return false;
    module_ = std::move(module);
    path_ = file;
    return true;
}
