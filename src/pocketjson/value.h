#pragma once
// pocketjson::Value: a small tagged JSON value. Scalars live inline; strings,
// objects and arrays live in reference-counted boxes that copies share.
// Member access on an object detaches a shared box (copy on write); append()
// writes into a shared array box in place, so every copy sees the new element.
// Values are not thread-safe: a value and its copies stay on one thread.

#include <concepts>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "pocketjson/block_pool.h"
#include "pocketjson/key_order.h"

namespace pocketjson {

enum class ValueType : std::uint32_t {
    Null = 0,
    Boolean = 1,
    Integer = 2,
    Double = 4,
    String = 16,
    Object = 32,
    Array = 64,
};

inline constexpr std::uint32_t kContainerMask = 0x70;

class Value {
public:
    // A key longer than a short text keeps its bytes in a pool block too.
    using Key = std::basic_string<char, std::char_traits<char>, BlockAllocator<char>>;
    using Object = std::map<Key, Value, KeyOrder, BlockAllocator<std::pair<const Key, Value>>>;
    using Array = std::vector<Value>;

    Value() noexcept = default;
    explicit Value(ValueType type);
    // Scalars, moves and the destruction of scalars are inline: the parser
    // makes and moves every value through them.
    Value(bool b) noexcept : type_(ValueType::Boolean) { payload_.boolean = b; }
    template <std::integral T>
    requires(!std::same_as<T, bool>) Value(T n)
    noexcept : Value(static_cast<std::int64_t>(n), IntegerTag{}) {}
    Value(double d) noexcept : type_(ValueType::Double) { payload_.number = d; }
    Value(const char* text);
    Value(const std::string& text);
    Value(std::string&& text);  // the text's buffer moves into the box
    Value(std::string_view text);

    Value(const Value& other) noexcept;
    Value(Value&& other) noexcept : type_(other.type_), payload_(other.payload_) {
        other.type_ = ValueType::Null;
        other.payload_.word = 0;
    }
    Value& operator=(const Value& other) noexcept;
    Value& operator=(Value&& other) noexcept {
        if (this != &other) {
            release();
            type_ = other.type_;
            payload_ = other.payload_;
            other.type_ = ValueType::Null;
            other.payload_.word = 0;
        }
        return *this;
    }
    ~Value() {
        if (holdsBox()) {
            dropBox();
        }
    }

    // Assignment of scalars and text: releases any box first (text reuses an
    // unshared String box in place).
    Value& operator=(bool b) noexcept { return *this = Value(b); }
    template <std::integral T>
    requires(!std::same_as<T, bool>) Value& operator=(T n) noexcept {
        return *this = Value(static_cast<std::int64_t>(n), IntegerTag{});
    }
    Value& operator=(double d) noexcept { return *this = Value(d); }
    Value& operator=(const char* text);
    Value& operator=(const std::string& text);
    Value& operator=(std::string&& text);
    Value& operator=(std::string_view text);

    // Keeps content when the type is unchanged, otherwise becomes the empty
    // value of that type.
    void setType(ValueType type);
    ValueType type() const noexcept { return type_; }

    bool isNull() const noexcept { return type_ == ValueType::Null; }
    bool isBoolean() const noexcept { return type_ == ValueType::Boolean; }
    bool isInteger() const noexcept { return type_ == ValueType::Integer; }
    bool isDouble() const noexcept { return type_ == ValueType::Double; }
    bool isNumber() const noexcept { return isInteger() || isDouble(); }
    bool isString() const noexcept { return type_ == ValueType::String; }
    bool isObject() const noexcept { return type_ == ValueType::Object; }
    bool isArray() const noexcept { return type_ == ValueType::Array; }

    // Raw payload readers; each answers a neutral value (false, 0, 0.0, "")
    // when the type does not match. No conversions.
    // Inline: the writer reads every value through them.
    bool boolValue() const noexcept { return type_ == ValueType::Boolean && payload_.boolean; }
    std::int64_t intValue() const noexcept { return type_ == ValueType::Integer ? payload_.integer : 0; }
    double doubleValue() const noexcept { return type_ == ValueType::Double ? payload_.number : 0.0; }
    const std::string& stringValue() const noexcept {
        return type_ == ValueType::String ? box<std::string>()->data : emptyString();
    }

    // Objects. operator[] turns any non-object into an empty object first.
    Value& operator[](const std::string& key);
    Value& operator[](std::string&& key);
    Value& operator[](const char* key);
    const Value& get(const std::string& key) const noexcept;  // shared Null when absent
    bool hasKey(const std::string& key) const noexcept;
    const Object& members() const noexcept {  // empty for non-objects
        return type_ == ValueType::Object ? box<Object>()->data : emptyObject();
    }
    // The member map for bulk filling: makes this an object and detaches a
    // shared box first, exactly as operator[] does.
    Object& mutableMembers();

    // Arrays. append() turns any non-array into an empty array first.
    void append(const Value& element);
    const Value& at(std::size_t index) const noexcept;  // shared Null when out of range
    const Array& elements() const noexcept {            // empty for non-arrays
        return type_ == ValueType::Array ? box<Array>()->data : emptyArray();
    }
    // The element vector for bulk filling: makes this an array and, like
    // append(), works on a shared box in place.
    Array& mutableElements();

    // String bytes, object members, array elements; 0 for everything else.
    std::size_t size() const noexcept;

    // Text form: strings as they are, booleans "true"/"false", integers in
    // decimal, doubles as the writer prints them; fallback for the rest.
    std::string asString(const std::string& fallback = std::string()) const;
    std::uint32_t toUInt32(std::uint32_t fallback = 0) const noexcept;

    // The one process-wide Null that get() and at() refer to.
    static const Value& null() noexcept;

    // Deep structural comparison (doubles by ==). For tests and tools.
    friend bool operator==(const Value& a, const Value& b) noexcept;

    // Number of values sharing this value's box (1 for scalars). For tests.
    std::int32_t shareCount() const noexcept;

    // Box internals, public so that the box layout stays a plain detail.
    // A box is deleted as the type its value names, so it needs no table of
    // virtual functions, and it comes from the block pool.
    struct AbstractContainer {
        static void* operator new(std::size_t size) { return takeBlock(size); }
        static void operator delete(void* block, std::size_t size) noexcept { returnBlock(block, size); }
        std::int32_t refCount = 1;
    };
    template <typename T>
    struct Container final : AbstractContainer {
        T data;
    };

private:
    struct IntegerTag {};
    Value(std::int64_t n, IntegerTag) noexcept : type_(ValueType::Integer) { payload_.integer = n; }
    bool holdsBox() const noexcept {
        return (static_cast<std::uint32_t>(type_) & kContainerMask) != 0 && payload_.container != nullptr;
    }
    // Counts the box down and deletes it with its last holder.
    void dropBox() noexcept;
    void release() noexcept {
        if (holdsBox()) {
            dropBox();
        }
        type_ = ValueType::Null;
        payload_.word = 0;
    }
    template <typename T>
    Container<T>* box() const noexcept {
        return static_cast<Container<T>*>(payload_.container);
    }
    static const std::string& emptyString() noexcept;
    static const Object& emptyObject() noexcept;
    static const Array& emptyArray() noexcept;
    Object& detachedObject();

    ValueType type_ = ValueType::Null;
    union Payload {
        std::uint64_t word;
        bool boolean;
        std::int64_t integer;
        double number;
        AbstractContainer* container;
    } payload_{0};
};

// Adds a member at the map's end: one key comparison when the key sorts after
// every key already there, where member access searches the tree from its
// root. Out of order it still lands in its place, only slower; a key already
// there keeps its value.
inline void putLast(Value::Object& members, std::string_view key, Value value) {
    members.emplace_hint(members.end(), key, std::move(value));
}

}  // namespace pocketjson
