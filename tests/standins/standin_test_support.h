#pragma once
// Loading a stand-in DLL and reaching its exports, for the stand-in tests.

#include <windows.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace standin_test {

using Json = nlohmann::json;

// Folder of the test executable, where the build puts the full stand-ins.
std::wstring binFolder();
// Where the minimal variants are.
std::wstring minimalFolder();

// A loaded DLL, freed when the object goes.
class Module {
public:
    explicit Module(const std::wstring& path);
    static Module full(const wchar_t* fileName) { return Module(binFolder() + L"\\" + fileName); }
    static Module minimal(const wchar_t* fileName) { return Module(minimalFolder() + L"\\" + fileName); }
    ~Module();
    Module(Module&& other) noexcept : module_(other.module_) { other.module_ = nullptr; }
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;
    Module& operator=(Module&&) = delete;

    bool exports(const char* name) const { return GetProcAddress(module_, name) != nullptr; }

    // The export with the given signature; throws when the DLL lacks it.
    template <typename Signature>
    Signature* function(const char* name) const {
        const FARPROC address = GetProcAddress(module_, name);
        if (address == nullptr) throw std::runtime_error(std::string("missing export ") + name);
        return reinterpret_cast<Signature*>(reinterpret_cast<void (*)()>(address));
    }

    // Names in the DLL's export table, as the loader sees them.
    std::vector<std::string> exportNames() const;

    // Control API.
    bool loadWorld(const char* document) const;
    bool loadWorld(const Json& document) const { return loadWorld(document.dump().c_str()); }
    Json callLog() const;
    int callCount(const char* function) const;
    void resetCallLog() const;

private:
    HMODULE module_ = nullptr;
};

// A file in the temporary folder, deleted when the object goes.
class TemporaryFile {
public:
    TemporaryFile();
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::wstring& path() const noexcept { return path_; }
    void write(const std::string& bytes) const;
    std::string read() const;

private:
    std::wstring path_;
};

void setEnvironment(const wchar_t* name, const std::wstring& value);
std::string utf8(const std::wstring& wide);

}  // namespace standin_test
