#pragma once
// Reading world sections. A missing or null member reads as zero, false, an
// empty text or an empty list; a member of the wrong type throws, so that a
// malformed world is refused as a whole instead of half applied.

#include <cstdint>
#include <string>
#include <type_traits>

#include <nlohmann/json.hpp>

namespace standin {

using Json = nlohmann::json;

// The member, or a null value when the object lacks it (or is no object).
const Json& member(const Json& object, const char* key);
bool has(const Json& object, const char* key);

// Elements of an array member; an empty array when the member is missing.
const Json& list(const Json& object, const char* key);

// Texts: ansiText converts the document's UTF-8 to the ANSI code page; rawText
// keeps the bytes as written (for texts the library passes on unconverted).
std::string ansiText(const Json& value);
std::string ansiText(const Json& object, const char* key);
std::string rawText(const Json& value);
std::string rawText(const Json& object, const char* key);

bool flag(const Json& object, const char* key);
double real(const Json& object, const char* key);

// Integers may be written as JSON numbers or as texts ("0x80000006", "4097"),
// since JSON has no hexadecimal and codes read more clearly that way. The value
// is taken modulo 2^64 and then narrowed, so 2147483654 and -2147483642 both
// give the 32-bit code 0x80000006.
std::uint64_t integerBits(const Json& value);

template <typename Integer>
Integer integer(const Json& value) {
    static_assert(std::is_integral_v<Integer>);
    return static_cast<Integer>(integerBits(value));
}

template <typename Integer>
Integer integer(const Json& object, const char* key) {
    return integer<Integer>(member(object, key));
}

}  // namespace standin
