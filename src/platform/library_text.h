#pragma once
// Texts handed out by the closed libraries belong to them and may change with
// the next call, so they are copied at once; a null text reads as empty.

#include <string>

#include "pocketjson/text.h"

namespace kelto {

// An ANSI code-page text of a closed library, copied and converted to UTF-8 for JSON.
inline std::string utf8FromAnsi(const char* text) {
    std::string copy(text != nullptr ? text : "");
    pocketjson::toUtf8FromAnsi(copy);
    return copy;  // returned as it is, not copied once more from the reference
}

// A closed-library text copied byte for byte, for members the library already
// hands out in their final encoding.
inline std::string copyText(const char* text) { return std::string(text != nullptr ? text : ""); }

}  // namespace kelto
