#include "platform/detached_thread.h"

namespace kelto {

namespace {

struct Launch {
    std::unique_ptr<DetachedWork> work;
    UniqueModule module;
};

DWORD WINAPI detachedThread(void* parameter) noexcept {
    HMODULE module = nullptr;
    {
        std::unique_ptr<Launch> launch(static_cast<Launch*>(parameter));
        launch->work->run();
        launch->work.reset();
        module = launch->module.release();
    }
    // Returns into the system, not into this module, which may be unmapped now.
    FreeLibraryAndExitThread(module, 0);
}

}  // namespace

UniqueModule referenceThisModule() noexcept {
    HMODULE module = nullptr;
    const DWORD flags = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS;
    if (!GetModuleHandleExW(flags, reinterpret_cast<LPCWSTR>(&referenceThisModule), &module)) return UniqueModule();
    return UniqueModule(module);
}

bool startDetachedWork(std::unique_ptr<DetachedWork> work) noexcept {
    try {
        auto launch = std::make_unique<Launch>(Launch{std::move(work), referenceThisModule()});
        if (!launch->module) return false;
        const UniqueKernelHandle thread(CreateThread(nullptr, 0, &detachedThread, launch.get(), 0, nullptr));
        if (!thread) return false;
        // The thread owns it now; closing our handle detaches the thread.
        static_cast<void>(launch.release());
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace kelto
