#pragma once
// Text helpers that live beside the value library.

#include <string>
#include <vector>

namespace pocketjson {

// Pieces between occurrences of delimiter, empty pieces left out.
std::vector<std::string> splitString(const std::string& text, const std::string& delimiter);

#ifdef _WIN32
// Conversions between the system ANSI code page and UTF-8, in place.
std::string& toUtf8FromAnsi(std::string& text);
std::string& toAnsiFromUtf8(std::string& text);
#endif

}  // namespace pocketjson
