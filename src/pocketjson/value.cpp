#include "pocketjson/value.h"

#include <charconv>
#include <cmath>
#include <iterator>
#include <memory>
#include <tuple>
#include <utility>

#include "pocketjson/json.h"

namespace pocketjson {

namespace {

// strtoull with base 0, without the locale: optional white space and sign,
// then "0x" hexadecimal, leading-zero octal or decimal. Saturates like
// strtoull on overflow. Returns how many bytes form the number (0 when no
// digit was read, in which case strtoull leaves its end pointer at the start).
std::size_t readUnsignedAutoBase(std::string_view text, std::uint64_t& result) noexcept {
    std::size_t pos = 0;
    const auto isSpace = [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    };
    while (pos < text.size() && isSpace(text[pos])) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const auto digitValue = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'z') return c - 'a' + 10;
        if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
        return 99;
    };
    int base = 10;
    if (pos < text.size() && text[pos] == '0') {
        const bool hexPrefix = pos + 1 < text.size() && (text[pos + 1] == 'x' || text[pos + 1] == 'X');
        if (hexPrefix && pos + 2 < text.size() && digitValue(text[pos + 2]) < 16) {
            base = 16;
            pos += 2;
        } else {
            base = 8;
        }
    }
    const std::size_t firstDigit = pos;
    std::uint64_t value = 0;
    bool overflow = false;
    for (; pos < text.size(); ++pos) {
        const int digit = digitValue(text[pos]);
        if (digit >= base) break;
        if (value > (UINT64_MAX - static_cast<std::uint64_t>(digit)) / static_cast<std::uint64_t>(base)) {
            overflow = true;
        }
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    }
    if (pos == firstDigit) {
        result = 0;
        return 0;
    }
    if (overflow) {
        value = UINT64_MAX;
    } else if (negative) {
        value = 0 - value;
    }
    result = value;
    return pos;
}

}  // namespace

Value::Value(ValueType type) : type_(type) {
    switch (type) {
        case ValueType::String: payload_.container = new Container<std::string>(); break;
        case ValueType::Object: payload_.container = new Container<Object>(); break;
        case ValueType::Array: payload_.container = new Container<Array>(); break;
        default:
            // Boolean false, Integer 0, Double 0.0 and any unknown tag share the
            // all-zero payload.
            payload_.word = 0;
            break;
    }
}

Value::Value(const char* text) : Value(std::string_view(text != nullptr ? text : "")) {}

Value::Value(const std::string& text) : Value(std::string_view(text)) {}

Value::Value(std::string&& text) : type_(ValueType::String) {
    auto fresh = std::make_unique<Container<std::string>>();
    fresh->data = std::move(text);
    payload_.container = fresh.release();
}

Value::Value(std::string_view text) : type_(ValueType::String) {
    // Owned until the copy succeeded: a constructor that throws runs no destructor.
    auto fresh = std::make_unique<Container<std::string>>();
    fresh->data.assign(text.data(), text.size());
    payload_.container = fresh.release();
}

Value::Value(const Value& other) noexcept : type_(other.type_), payload_(other.payload_) {
    if (holdsBox()) {
        ++payload_.container->refCount;
    }
}

Value& Value::operator=(const Value& other) noexcept {
    // Count up before releasing so that self-assignment keeps the box alive.
    const ValueType type = other.type_;
    const Payload payload = other.payload_;
    if (other.holdsBox()) {
        ++payload.container->refCount;
    }
    release();
    type_ = type;
    payload_ = payload;
    return *this;
}

void Value::dropBox() noexcept {
    if (--payload_.container->refCount != 0) {
        return;
    }
    switch (type_) {
        case ValueType::String: delete box<std::string>(); break;
        case ValueType::Object: delete box<Object>(); break;
        case ValueType::Array: delete box<Array>(); break;
        default: break;  // no other type holds a box
    }
}

Value& Value::operator=(const char* text) { return *this = std::string_view(text != nullptr ? text : ""); }

Value& Value::operator=(const std::string& text) { return *this = std::string_view(text); }

Value& Value::operator=(std::string&& text) {
    // A text of its own cannot point into this value's box.
    if (type_ == ValueType::String && payload_.container->refCount < 2) {
        box<std::string>()->data = std::move(text);
        return *this;
    }
    Value fresh(std::move(text));
    *this = std::move(fresh);
    return *this;
}

Value& Value::operator=(std::string_view text) {
    if (type_ == ValueType::String && payload_.container->refCount < 2) {
        box<std::string>()->data.assign(text.data(), text.size());
        return *this;
    }
    // Build the new box before letting the old one go: text may point into it.
    Value fresh(text);
    *this = std::move(fresh);
    return *this;
}

void Value::setType(ValueType type) {
    if (type_ == type) {
        return;
    }
    Value fresh(type);
    *this = std::move(fresh);
}

const std::string& Value::emptyString() noexcept {
    static const std::string empty;
    return empty;
}

Value::Object& Value::detachedObject() {
    auto* current = box<Object>();
    if (current->refCount > 1) {
        auto fresh = std::make_unique<Container<Object>>();
        fresh->data = current->data;
        --current->refCount;
        payload_.container = fresh.release();
    }
    return box<Object>()->data;
}

Value::Object& Value::mutableMembers() {
    setType(ValueType::Object);
    return detachedObject();
}

Value::Array& Value::mutableElements() {
    setType(ValueType::Array);
    return box<Array>()->data;
}

namespace {

// Records are mostly built in key order: a key after the last one goes in at
// the end after one comparison, where a search starts from the root. The key
// is copied only when it goes in.
Value& memberAt(Value::Object& members, std::string_view key) {
    auto place = members.end();
    if (!members.empty() && !KeyOrder()(std::prev(place)->first, key)) {
        place = members.lower_bound(key);
        if (place != members.end() && !KeyOrder()(key, place->first)) {
            return place->second;
        }
    }
    return members.emplace_hint(place, std::piecewise_construct, std::forward_as_tuple(key), std::forward_as_tuple())
        ->second;
}

}  // namespace

Value& Value::operator[](const std::string& key) {
    if (type_ != ValueType::Object) {
        // The key may live inside the content that the type change discards.
        return (*this)[std::string(key)];
    }
    return memberAt(mutableMembers(), key);
}

Value& Value::operator[](std::string&& key) { return memberAt(mutableMembers(), key); }

Value& Value::operator[](const char* key) { return (*this)[std::string(key != nullptr ? key : "")]; }

const Value& Value::get(const std::string& key) const noexcept {
    if (type_ != ValueType::Object) {
        return null();
    }
    const Object& map = box<Object>()->data;
    const auto found = map.find(key);
    return found != map.end() ? found->second : null();
}

bool Value::hasKey(const std::string& key) const noexcept {
    return type_ == ValueType::Object && box<Object>()->data.count(key) != 0;
}

const Value::Object& Value::emptyObject() noexcept {
    static const Object empty;
    return empty;
}

void Value::append(const Value& element) {
    if (type_ != ValueType::Array) {
        // The element may live inside the content that the type change discards.
        Value keep(element);
        mutableElements().push_back(std::move(keep));
        return;
    }
    mutableElements().push_back(element);
}

const Value& Value::at(std::size_t index) const noexcept {
    const Array& array = elements();
    return index < array.size() ? array[index] : null();
}

const Value::Array& Value::emptyArray() noexcept {
    static const Array empty;
    return empty;
}

std::size_t Value::size() const noexcept {
    switch (type_) {
        case ValueType::String: return box<std::string>()->data.size();
        case ValueType::Object: return box<Object>()->data.size();
        case ValueType::Array: return box<Array>()->data.size();
        default: return 0;
    }
}

std::string Value::asString(const std::string& fallback) const {
    switch (type_) {
        case ValueType::Boolean: return payload_.boolean ? "true" : "false";
        case ValueType::Integer: {
            char digits[24];
            const auto end = std::to_chars(digits, digits + sizeof digits, payload_.integer).ptr;
            return std::string(digits, end);
        }
        case ValueType::Double: {
            std::string text;
            formatDouble(payload_.number, text);
            return text;
        }
        case ValueType::String: return stringValue();
        default: return fallback;
    }
}

std::uint32_t Value::toUInt32(std::uint32_t fallback) const noexcept {
    constexpr std::uint64_t kMax = 4294967295u;
    switch (type_) {
        case ValueType::Boolean: return payload_.boolean ? 1u : 0u;
        case ValueType::Integer:
            return payload_.integer >= 0 && static_cast<std::uint64_t>(payload_.integer) <= kMax
                       ? static_cast<std::uint32_t>(payload_.integer)
                       : fallback;
        case ValueType::Double: {
            const double rounded = std::round(payload_.number);  // halves away from zero
            // Written so that NaN fails the test.
            if (rounded >= 0.0 && rounded <= 4294967295.0) {
                return static_cast<std::uint32_t>(rounded);
            }
            return fallback;
        }
        case ValueType::String: {
            const std::string& text = stringValue();
            std::uint64_t number = 0;
            const std::size_t used = readUnsignedAutoBase(text, number);
            // Like strtoull, a text without digits leaves the end at the start, so
            // only the empty text counts as wholly consumed then.
            if (used == text.size() && number <= kMax) {
                return static_cast<std::uint32_t>(number);
            }
            return fallback;
        }
        default: return fallback;
    }
}

const Value& Value::null() noexcept {
    static const Value shared;
    return shared;
}

bool operator==(const Value& a, const Value& b) noexcept {
    if (a.type_ != b.type_) {
        return false;
    }
    switch (a.type_) {
        case ValueType::Null: return true;
        case ValueType::Boolean: return a.payload_.boolean == b.payload_.boolean;
        case ValueType::Integer: return a.payload_.integer == b.payload_.integer;
        case ValueType::Double: return a.payload_.number == b.payload_.number;
        case ValueType::String: return a.stringValue() == b.stringValue();
        case ValueType::Object: return a.members() == b.members();
        case ValueType::Array: return a.elements() == b.elements();
        default: return a.payload_.word == b.payload_.word;
    }
}

std::int32_t Value::shareCount() const noexcept {
    if (holdsBox()) {
        return payload_.container->refCount;
    }
    return 1;
}

}  // namespace pocketjson
