// The helpers that read request values: toUInt32, asString, splitString and
// the "point" reader, on arbitrary bytes. Each must agree with a slower
// reading of the same text, and none may touch memory it does not own.

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "pocketjson/json.h"
#include "pocketjson/text.h"
#include "screens/screen_point.h"

namespace {

using pocketjson::Value;

void require(bool condition) {
    if (!condition) std::abort();
}

// Every non-overlapping occurrence of delimiter taken out, left to right.
std::string without(const std::string& text, const std::string& delimiter) {
    std::string rest;
    for (std::size_t i = 0; i < text.size();) {
        if (text.compare(i, delimiter.size(), delimiter) == 0) {
            i += delimiter.size();
        } else {
            rest += text[i++];
        }
    }
    return rest;
}

void checkSplit(const std::string& text, const std::string& delimiter) {
    std::string joined;
    for (const std::string& piece : pocketjson::splitString(text, delimiter)) {
        require(!piece.empty());
        joined += piece;
    }
    require(joined == (delimiter.empty() ? text : without(text, delimiter)));
}

// A number the value writes as text reads back as the same number.
void checkNumberText(const Value& value) {
    // No number or boolean is written with a zero byte; a string comes back as itself.
    const std::string fallback(1, '\0');
    const std::string text = value.asString(fallback);
    if (value.isInteger()) {
        std::int64_t back = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), back);
        require(error == std::errc() && end == text.data() + text.size() && back == value.intValue());
        const bool fits = value.intValue() >= 0 && value.intValue() <= 4294967295LL;
        require(value.toUInt32(7) == (fits ? static_cast<std::uint32_t>(value.intValue()) : 7u));
        require(Value(text).toUInt32(7) == value.toUInt32(7));
    }
    if (value.isString()) {
        require(text == value.stringValue());
    } else if (value.isNull() || value.isObject() || value.isArray()) {
        require(text == fallback);
    } else {
        require(!text.empty() && text.find('\0') == std::string::npos);
    }
}

void checkPoint(const std::string& text) {
    const auto point = kelto::screens::readScreenPoint(text);
    require(point.has_value() == (pocketjson::splitString(text, "x").size() == 2));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    Value value;
    pocketjson::parseJson(value, input);
    checkNumberText(value);
    value.toUInt32(0);
    if (value.isString()) checkPoint(value.stringValue());
    checkPoint(input);

    // The first byte says how long the delimiter after it is.
    if (size > 0) {
        const std::size_t cut = std::min<std::size_t>(data[0] % 4, size - 1);
        checkSplit(input.substr(1 + cut), input.substr(1, cut));
    }

    // Two coordinates written as a request writes them read back unchanged.
    if (size >= 8) {
        std::int32_t x = 0, y = 0;
        __builtin_memcpy(&x, data, 4);
        __builtin_memcpy(&y, data + 4, 4);
        const auto point = kelto::screens::readScreenPoint(std::to_string(x) + "x" + std::to_string(y));
        require(point && point->x == x && point->y == y);
    }
    return 0;
}
