#pragma once
// Text conversions and file access shared by the stand-ins.

#include <optional>
#include <string>
#include <string_view>

namespace standin {

// The closed libraries hand out texts in the system ANSI code page, while the
// world document is UTF-8.
std::string ansiFromUtf8(std::string_view utf8);
std::string utf8FromAnsi(std::string_view ansi);
std::string utf8FromWide(std::wstring_view wide);
std::wstring wideFromUtf8(std::string_view utf8);

// Equality with ASCII letters compared case-insensitively, as Windows
// compares file and device names.
bool equalsIgnoringCase(std::string_view left, std::string_view right) noexcept;

// Value of an environment variable of this process; nullopt when unset.
// (The C runtime's getenv misses changes made through SetEnvironmentVariableW.)
std::optional<std::wstring> environmentVariable(const wchar_t* name);

// Whole file as bytes; nullopt when it cannot be read.
std::optional<std::string> readFile(const std::wstring& path);

// Appends bytes to a file, creating it when missing; false on failure.
bool appendToFile(const std::wstring& path, std::string_view bytes);

// Folder of the DLL that contains this code (the stand-in itself), without a
// trailing separator.
std::wstring ownModuleFolder();

}  // namespace standin
