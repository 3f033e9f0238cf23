#pragma once
// Loading a stand-in DLL and reaching its exports, for the stand-in tests.

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

namespace standin_test {

using Json = nlohmann::json;

// A stand-in from the test executable's folder (the full variant) or from its
// minimal/ subfolder, freed when the object goes; a fresh load starts in the
// demo world.
class Module {
public:
    explicit Module(const wchar_t* fileName, bool minimal = false) {
        std::wstring path(MAX_PATH * 4, L'\0');
        path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
        path = path.substr(0, path.find_last_of(L"\\/")) + (minimal ? L"\\minimal\\" : L"\\") + fileName;
        module_ = LoadLibraryW(path.c_str());
        if (module_ == nullptr) throw std::runtime_error("cannot load a stand-in");
    }
    ~Module() { FreeLibrary(module_); }
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    HMODULE handle() const noexcept { return module_; }

    // The export with the given signature; throws when the DLL lacks it.
    template <typename Signature>
    Signature* function(const char* name) const {
        const FARPROC address = GetProcAddress(module_, name);
        if (address == nullptr) throw std::runtime_error(std::string("missing export ") + name);
        return reinterpret_cast<Signature*>(reinterpret_cast<void (*)()>(address));
    }

    // Control API.
    bool loadWorld(const std::string& document) const {
        return function<std::int32_t(const char*)>("StandinLoadWorld")(document.c_str()) != 0;
    }
    int callCount(const char* name) const { return function<std::int32_t(const char*)>("StandinCallCount")(name); }
    Json callLog() const { return Json::parse(function<const char*()>("StandinCallLog")()); }

private:
    HMODULE module_;
};

// A file in the temporary folder, deleted when the object goes.
struct TemporaryFile {
    std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("mavel-standin-" + std::to_string(GetCurrentProcessId()));
    TemporaryFile() { std::ofstream(path, std::ios::trunc); }
    ~TemporaryFile() { DeleteFileW(path.c_str()); }
    std::string read() const {
        std::ifstream file(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }
};

}  // namespace standin_test
