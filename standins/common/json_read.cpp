#include "standin/json_read.h"

#include <stdexcept>

#include "standin/text.h"

namespace standin {

namespace {

const Json& nullValue() {
    static const Json value;
    return value;
}

const Json& emptyList() {
    static const Json value = Json::array();
    return value;
}

}  // namespace

const Json& member(const Json& object, const char* key) {
    if (!object.is_object()) return nullValue();
    const auto found = object.find(key);
    return found == object.end() ? nullValue() : *found;
}

bool has(const Json& object, const char* key) { return !member(object, key).is_null(); }

const Json& list(const Json& object, const char* key) {
    const Json& value = member(object, key);
    if (value.is_null()) return emptyList();
    if (!value.is_array()) throw std::invalid_argument(std::string(key) + " must be an array");
    return value;
}

std::string rawText(const Json& value) { return value.is_null() ? std::string() : value.get<std::string>(); }
std::string rawText(const Json& object, const char* key) { return rawText(member(object, key)); }
std::string ansiText(const Json& value) { return ansiFromUtf8(rawText(value)); }
std::string ansiText(const Json& object, const char* key) { return ansiText(member(object, key)); }

bool flag(const Json& object, const char* key) {
    const Json& value = member(object, key);
    if (value.is_null()) return false;
    if (value.is_number()) return value.get<double>() != 0.0;
    return value.get<bool>();
}

double real(const Json& object, const char* key) {
    const Json& value = member(object, key);
    return value.is_null() ? 0.0 : value.get<double>();
}

std::uint64_t integerBits(const Json& value) {
    if (value.is_null()) return 0;
    if (value.is_number_unsigned()) return value.get<std::uint64_t>();
    if (value.is_number_integer()) return static_cast<std::uint64_t>(value.get<std::int64_t>());
    if (value.is_string()) {
        const std::string text = value.get<std::string>();
        std::size_t used = 0;
        const bool negative = !text.empty() && text.front() == '-';
        const std::uint64_t magnitude = std::stoull(negative ? text.substr(1) : text, &used, 0);
        if (used + (negative ? 1 : 0) != text.size()) throw std::invalid_argument("not an integer: " + text);
        return negative ? 0 - magnitude : magnitude;
    }
    throw std::invalid_argument("integer expected, got " + value.dump());
}

}  // namespace standin
