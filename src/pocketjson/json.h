#pragma once
// JSON text in and out of pocketjson::Value.

#include <cstdint>
#include <string>

#include "pocketjson/value.h"

namespace pocketjson {

// Parse flags.
using ParseOptions = std::uint32_t;
inline constexpr ParseOptions kAllowTrailingComma = 0x1;
inline constexpr ParseOptions kAllowTrailingText = 0x2;

// Arrays and objects nest at most this deep; deeper text fails with
// kDepthLimitMessage instead of exhausting the caller's stack.
inline constexpr int kMaxNestingDepth = 512;
extern const char* const kDepthLimitMessage;

// Write flags.
using WriteOptions = std::uint32_t;
inline constexpr WriteOptions kPretty = 0x80;
inline constexpr WriteOptions kIndentFourSpaces = 0x1;
inline constexpr WriteOptions kIndentTab = 0x2;
inline constexpr WriteOptions kCrLf = 0x4;

class SaxHandler {
public:
    virtual ~SaxHandler() = default;
    virtual bool null() = 0;
    virtual bool boolean(bool b) = 0;
    virtual bool integer(std::int64_t n) = 0;
    virtual bool number(double d) = 0;  // a Double value
    virtual bool string(const std::string& s) = 0;
    virtual bool startArray() = 0;
    virtual bool endArray(std::size_t count) = 0;
    virtual bool startObject() = 0;
    virtual bool key(const std::string& k) = 0;
    virtual bool endObject(std::size_t count) = 0;
};

// Parses one value from [begin, end) into out. On failure out holds what was
// stored before the failure; error (when given) receives the message.
bool parseJson(Value& out, const char* begin, const char* end, const ParseOptions& options,
               std::string* error = nullptr);
bool parseJson(Value& out, const std::string& text, ParseOptions options = 0, std::string* error = nullptr);
// Drives a handler instead of building a value.
bool parseJson(SaxHandler& handler, const char* begin, const char* end, const ParseOptions& options,
               std::string* error = nullptr);

// Appends the text of value to out; false when a double is infinite or NaN
// (the text written so far stays in out).
bool writeJson(const Value& value, std::string& out, WriteOptions flags = 0);
std::string toJson(const Value& value, WriteOptions flags = 0);  // ignores failure

// Appends one double ("0.0" for zeros, 17 significant digits otherwise);
// false for infinities and NaN, which are written as "inf", "-inf", "nan".
bool formatDouble(double d, std::string& out);
// Appends text as a quoted, escaped JSON string.
void escapeString(std::string& out, const std::string& text);

}  // namespace pocketjson
