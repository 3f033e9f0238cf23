// Recursive-descent JSON reader. One parser template serves two sinks: one
// stores into Values, the other drives a SaxHandler; the grammar, the lenient
// rules and the messages live only once, in Parser.

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>
#include <forward_list>
#include <functional>
#include <iterator>
#include <limits>
#include <string_view>
#include <system_error>
#include <tuple>
#include <utility>
#include <vector>

#include "pocketjson/decimal.h"
#include "pocketjson/json.h"
#include "pocketjson/text_words.h"

namespace pocketjson {

const char* const kDepthLimitMessage = "Nesting depth exceeds the limit of 512 levels.";

namespace {

namespace msg {
constexpr const char* kUnexpectedCharacter = "Unexpected character exists while parsing.";
constexpr const char* kInvalidBoolean = "Invalid boolean type string exists.";
constexpr const char* kInvalidNull = "Invalid null type string exists.";
constexpr const char* kBadEscape = "Unexpected escape character is found while parsing string.";
constexpr const char* kBadHex = "Invalid unicode hex string is found while parsing string.";
constexpr const char* kBadSurrogate = "Invalid unicode surrogate pair is found while parsing string.";
constexpr const char* kUnterminatedString = "Expected string ending character '\"' is not found.";
constexpr const char* kNoDigit = "Digit is not found while parsing number.";
constexpr const char* kLeadingZero = "Unexpected '0' character is found while parsing number.";
constexpr const char* kNoFractionDigit = "Digit is not found after the decimal point while parsing number.";
constexpr const char* kNoExponentDigit = "Digit is not found after exponent keyword while parsing number.";
constexpr const char* kBadFloat = "Failed to parse floating point.";
constexpr const char* kArrayComma = "Unexpected comma exists while parsing array.";
constexpr const char* kArrayText = "Unexpected string exists while parsing array.";
constexpr const char* kObjectComma = "Unexpected comma exists while parsing object.";
constexpr const char* kObjectText = "Unexpected string exists while parsing object.";
constexpr const char* kTrailingText = "Gabage string exists after json string.";
constexpr const char* kSaxCancelled = "SAX handler cancels parsing.";
}  // namespace msg

constexpr bool isWhiteSpace(char c) noexcept { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

constexpr bool isDigit(char c) noexcept { return c >= '0' && c <= '9'; }

constexpr int hexDigit(char c) noexcept {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// First byte in [p, end) that is a double quote or a backslash, eight bytes at
// a time: plain string runs are then copied in one piece.
const char* findQuoteOrBackslash(const char* p, const char* end) noexcept {
    while (end - p >= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, sizeof word);
        const std::uint64_t found = bytesEqualTo(word, '"') | bytesEqualTo(word, '\\');
        if (found != 0) {
            return p + std::countr_zero(found) / 8;
        }
        p += 8;
    }
    while (p < end && *p != '"' && *p != '\\') {
        ++p;
    }
    return p;
}

constexpr std::uint64_t kPowersOfTen[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};

// How many of the eight bytes (in text order, from the low byte) are decimal
// digits before the first one that is not.
int leadingDigitCount(std::uint64_t word) noexcept {
    constexpr std::uint64_t kHighNibbles = 0xF0F0F0F0F0F0F0F0ull;
    constexpr std::uint64_t kDigitNibbles = 0x3030303030303030ull;
    // A digit byte is 0x30-0x39: high nibble 3, and still 3 after adding 6.
    // A carry out of a byte only reaches bytes after a non-digit.
    const std::uint64_t notDigits =
        ((word & kHighNibbles) ^ kDigitNibbles) | (((word + 0x0606060606060606ull) & kHighNibbles) ^ kDigitNibbles);
    return notDigits == 0 ? 8 : std::countr_zero(notDigits) / 8;
}

// The number the first count (1 to 8) bytes of word spell as decimal digits.
std::uint64_t digitRunValue(std::uint64_t word, int count) noexcept {
    // Borrows run towards later bytes only: the digits themselves stay exact,
    // and the shift drops the rest, leaving zeros (leading digits) below.
    std::uint64_t value = (word - 0x3030303030303030ull) << (8 * (8 - count));
    // Pairs, then fours, then the eight digits, by multiplications that add
    // neighbouring lanes.
    value = value * 10 + (value >> 8);
    value = (((value & 0x000000FF000000FFull) * (100 + (1000000ull << 32))) +
             (((value >> 16) & 0x000000FF000000FFull) * (1 + (10000ull << 32)))) >>
            32;
    return value;
}

void appendUtf8(std::string& out, std::uint32_t codePoint) {
    char bytes[4];
    std::size_t count;
    if (codePoint < 0x80) {
        bytes[0] = static_cast<char>(codePoint);
        count = 1;
    } else if (codePoint < 0x800) {
        bytes[0] = static_cast<char>(0xC0 | (codePoint >> 6));
        bytes[1] = static_cast<char>(0x80 | (codePoint & 0x3F));
        count = 2;
    } else if (codePoint < 0x10000) {
        bytes[0] = static_cast<char>(0xE0 | (codePoint >> 12));
        bytes[1] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        bytes[2] = static_cast<char>(0x80 | (codePoint & 0x3F));
        count = 3;
    } else {
        bytes[0] = static_cast<char>(0xF0 | (codePoint >> 18));
        bytes[1] = static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        bytes[2] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        bytes[3] = static_cast<char>(0x80 | (codePoint & 0x3F));
        count = 4;
    }
    out.append(bytes, count);
}

// Stores what the parser reads into Values. A slot is the Value being filled;
// the parser writes through it before it asks for the next element, and never
// later (an element slot may move when the element stack grows).
class ValueSink {
public:
    using Slot = Value*;

    // Members' keys are views into the text; only those the parser built
    // (from escapes) are copied, and kept until the parse ends.
    ValueSink(const char* begin, const char* end) noexcept : text_(begin, static_cast<std::size_t>(end - begin)) {}

    // Elements wait on one stack shared by all levels and move into their
    // array in one piece when it closes: one exact allocation per array
    // instead of a chain of regrowths.
    struct ArrayFrame {
        Value::Array* elements;
        std::size_t base;  // where this array's elements start on the stack
    };
    // Members wait on a stack too, key and value, and enter their map when
    // the object closes: ordered by key (cheaply, on an 8-byte prefix first)
    // they go in at the map's end, which spares the map a search from the
    // root for every member, and the object's nodes are made one after the
    // other.
    struct ObjectFrame {
        Value::Object* members;
        std::size_t base;  // where this object's members start on the stack
    };

    bool null(Slot slot) {
        *slot = Value();
        return true;
    }
    bool boolean(Slot slot, bool b) {
        *slot = b;
        return true;
    }
    bool integer(Slot slot, std::int64_t n) {
        *slot = n;
        return true;
    }
    bool number(Slot slot, double d) {
        *slot = d;
        return true;
    }
    bool string(Slot slot, std::string_view text) {
        *slot = text;
        return true;
    }

    // The container takes its type when its bracket is read; the top-level
    // target keeps the content it already had, as setType() promises.
    bool startArray(Slot slot, ArrayFrame& frame) {
        frame.elements = &slot->mutableElements();
        frame.base = stack_.size();
        return true;
    }
    Slot startElement(ArrayFrame&) { return &stack_.emplace_back(); }
    void dropElement(ArrayFrame&) { stack_.pop_back(); }
    // Runs whether the array ended well or not: completed elements are kept.
    void flushArray(ArrayFrame& frame) {
        Value::Array& elements = *frame.elements;
        const auto first = stack_.begin() + static_cast<std::ptrdiff_t>(frame.base);
        elements.reserve(elements.size() + static_cast<std::size_t>(stack_.end() - first));
        elements.insert(elements.end(), std::make_move_iterator(first), std::make_move_iterator(stack_.end()));
        stack_.erase(first, stack_.end());
    }
    bool endArray(ArrayFrame&, std::size_t) { return true; }

    bool startObject(Slot slot, ObjectFrame& frame) {
        frame.members = &slot->mutableMembers();
        frame.base = pending_.size();
        return true;
    }
    bool startMember(ObjectFrame&, std::string_view key, Slot& slot) {
        if (!inText(key)) {
            key = builtKeys_.emplace_front(key);
        }
        // Filled in place: a whole Pending built aside and copied in reads back
        // as one wide load what was just stored in narrow parts, which stalls.
        Pending& member = pending_.emplace_back();
        member.prefix = keyPrefix(key);
        member.key = key;
        slot = &member.value;
        return true;
    }
    void dropMember(ObjectFrame&) { pending_.pop_back(); }
    // Runs whether the object ended well or not: completed members are kept.
    void flushObject(ObjectFrame& frame);
    bool endObject(ObjectFrame&, std::size_t) { return true; }

private:
    struct Pending {
        std::uint64_t prefix = 0;  // first eight key bytes, big-endian, zero padded
        std::string_view key;
        Value value;
    };

    bool inText(std::string_view key) const noexcept {
        const std::less<const char*> before;
        return !before(key.data(), text_.data()) && !before(text_.data() + text_.size(), key.data() + key.size());
    }

    // Negative, zero or positive as left's key sorts before, with or after
    // right's: on the 8-byte prefix first, which settles most pairs.
    static int compareMembers(const Pending& left, const Pending& right) noexcept {
        if (left.prefix != right.prefix) {
            return left.prefix < right.prefix ? -1 : 1;
        }
        return compareKeys(left.key, right.key);
    }

    static std::uint64_t keyPrefix(std::string_view key) noexcept {
        std::uint64_t word = 0;  // text order from the low byte
        if (key.size() >= sizeof word) {
            std::memcpy(&word, key.data(), sizeof word);
        } else {
            for (std::size_t i = 0; i < key.size(); ++i) {
                word |= std::uint64_t{static_cast<unsigned char>(key[i])} << (8 * i);
            }
        }
        return __builtin_bswap64(word);
    }

    std::vector<Value> stack_;
    std::vector<Pending> pending_;
    // Records of one kind repeat, and with them the order of their keys: the
    // order found for the last unsorted object of each size is tried first,
    // which costs a comparison per member where sorting costs several.
    std::vector<std::uint32_t>& orderFor(std::size_t count) {
        constexpr std::size_t kRemembered = 128;
        if (count >= kRemembered) {
            return largeOrder_;
        }
        if (orders_.size() <= count) {
            orders_.resize(count + 1);
        }
        return orders_[count];
    }

    std::vector<std::vector<std::uint32_t>> orders_;  // by member count
    std::vector<std::uint32_t> largeOrder_;
    std::string_view text_;
    std::forward_list<std::string> builtKeys_;  // its texts stay where they are while it grows
};

void ValueSink::flushObject(ObjectFrame& frame) {
    const std::size_t count = pending_.size() - frame.base;
    Pending* const first = pending_.data() + frame.base;
    Value::Object& members = *frame.members;
    const Value::Key* previous = nullptr;
    const auto place = [&members, &previous](Pending& member) {
        if (previous != nullptr && compareKeys(*previous, member.key) == 0) {
            return;  // a repeated key: the first one is in already
        }
        // The hint is right unless the target held members before the parse;
        // the map then searches, and a key already there keeps its value.
        const auto placed =
            members.emplace_hint(members.end(), std::piecewise_construct, std::forward_as_tuple(member.key),
                                 std::forward_as_tuple(std::move(member.value)));
        previous = &placed->first;
    };
    // Text written by a JSON writer with sorted keys (and every object of one
    // member) goes in as it stands, without an order to sort.
    bool sorted = true;
    for (std::size_t i = 1; i < count && sorted; ++i) {
        sorted = compareMembers(first[i - 1], first[i]) <= 0;
    }
    if (sorted) {
        for (std::size_t i = 0; i < count; ++i) {
            place(first[i]);
        }
    } else {
        // By key, then by position, so that the first of repeated keys comes first.
        const auto before = [first](std::uint32_t a, std::uint32_t b) {
            const int byKey = compareMembers(first[a], first[b]);
            return byKey != 0 ? byKey < 0 : a < b;
        };
        std::vector<std::uint32_t>& order = orderFor(count);
        if (order.size() != count || !std::is_sorted(order.begin(), order.end(), before)) {
            order.resize(count);
            for (std::size_t i = 0; i < count; ++i) {
                order[i] = static_cast<std::uint32_t>(i);
            }
            std::sort(order.begin(), order.end(), before);
        }
        for (std::uint32_t index : order) {
            place(first[index]);
        }
    }
    pending_.resize(frame.base);
}

// Hands what the parser reads to a SaxHandler; nothing is stored.
class HandlerSink {
public:
    struct Slot {};
    struct ArrayFrame {};
    struct ObjectFrame {};

    explicit HandlerSink(SaxHandler& handler) : handler_(handler) {}

    bool null(Slot) { return handler_.null(); }
    bool boolean(Slot, bool b) { return handler_.boolean(b); }
    bool integer(Slot, std::int64_t n) { return handler_.integer(n); }
    bool number(Slot, double d) { return handler_.number(d); }
    bool string(Slot, std::string_view text) { return handler_.string(own(text)); }

    bool startArray(Slot, ArrayFrame&) { return handler_.startArray(); }
    Slot startElement(ArrayFrame&) { return {}; }
    void dropElement(ArrayFrame&) {}
    void flushArray(ArrayFrame&) {}
    bool endArray(ArrayFrame&, std::size_t count) { return handler_.endArray(count); }

    bool startObject(Slot, ObjectFrame&) { return handler_.startObject(); }
    bool startMember(ObjectFrame&, std::string_view key, Slot&) { return handler_.key(own(key)); }
    void dropMember(ObjectFrame&) {}
    void flushObject(ObjectFrame&) {}
    bool endObject(ObjectFrame&, std::size_t count) { return handler_.endObject(count); }

private:
    // The handler takes std::string; the buffer keeps its capacity between calls.
    const std::string& own(std::string_view text) {
        buffer_.assign(text.data(), text.size());
        return buffer_;
    }

    SaxHandler& handler_;
    std::string buffer_;
};

template <typename Sink>
class Parser {
public:
    using Slot = typename Sink::Slot;

    Parser(Sink& sink, const char* begin, const char* end, ParseOptions options) noexcept
        : sink_(sink), p_(begin), end_(end), options_(options) {}

    bool parseDocument(Slot target) {
        skipByteOrderMark();
        if (!parseValue(target)) {
            return false;
        }
        if ((options_ & kAllowTrailingText) == 0) {
            skipWhiteSpace();
            if (p_ != end_ && *p_ != '\0') {
                return fail(msg::kTrailingText);
            }
        }
        return true;
    }

    const char* message() const noexcept { return message_; }

private:
    bool fail(const char* message) noexcept {
        message_ = message;
        return false;
    }
    bool check(bool handlerGoesOn) noexcept { return handlerGoesOn || fail(msg::kSaxCancelled); }

    bool atEnd() const noexcept { return p_ == end_; }
    // Reading at the end yields the byte 0.
    char peek() const noexcept { return p_ != end_ ? *p_ : '\0'; }

    // Indentation comes in long runs of spaces: those go eight at a time.
    void skipWhiteSpace() noexcept {
        constexpr std::uint64_t kEightSpaces = 0x2020202020202020ull;
        const char* p = p_;
        while (p != end_ && isWhiteSpace(*p)) {
            ++p;
            std::uint64_t word;
            while (end_ - p >= 8 && (std::memcpy(&word, p, sizeof word), word == kEightSpaces)) {
                p += 8;
            }
        }
        p_ = p;
    }

    // EF, EF BB and EF BB BF are all skipped: each byte only after the one before.
    void skipByteOrderMark() noexcept {
        static constexpr unsigned char kMark[] = {0xEF, 0xBB, 0xBF};
        for (unsigned char expected : kMark) {
            if (atEnd() || static_cast<unsigned char>(*p_) != expected) {
                return;
            }
            ++p_;
        }
    }

    bool parseValue(Slot slot) {
        skipWhiteSpace();
        switch (peek()) {
            case '"': return parseString(slot);
            case '{': return parseObject(slot);
            case '[': return parseArray(slot);
            case '-':
            case '0':
            case '1':
            case '2':
            case '3':
            case '4':
            case '5':
            case '6':
            case '7':
            case '8':
            case '9': return parseNumber(slot);
            case 't': return matchWord("true") ? check(sink_.boolean(slot, true)) : fail(msg::kInvalidBoolean);
            case 'f': return matchWord("false") ? check(sink_.boolean(slot, false)) : fail(msg::kInvalidBoolean);
            case 'n': return matchWord("null") ? check(sink_.null(slot)) : fail(msg::kInvalidNull);
            default: return fail(msg::kUnexpectedCharacter);
        }
    }

    bool matchWord(std::string_view word) noexcept {
        if (static_cast<std::size_t>(end_ - p_) < word.size() || std::memcmp(p_, word.data(), word.size()) != 0) {
            return false;
        }
        p_ += word.size();
        return true;
    }

    bool parseString(Slot slot) {
        std::string_view text;
        return readString(text) && check(sink_.string(slot, text));
    }

    // Reads the string at the cursor (on its opening quote). Text without
    // escapes is answered as a view into the source; otherwise it is built in
    // text_ and the view points there.
    bool readString(std::string_view& text) {
        ++p_;
        const char* runStart = p_;
        const char* stop = findQuoteOrBackslash(p_, end_);
        if (stop == end_) {
            p_ = end_;
            return fail(msg::kUnterminatedString);
        }
        if (*stop == '"') {
            text = std::string_view(runStart, static_cast<std::size_t>(stop - runStart));
            p_ = stop + 1;
            return true;
        }
        text_.assign(runStart, stop);
        p_ = stop;
        for (;;) {
            // p_ is on a backslash here.
            ++p_;
            if (!readEscape()) {
                return false;
            }
            runStart = p_;
            stop = findQuoteOrBackslash(p_, end_);
            text_.append(runStart, stop);
            if (stop == end_) {
                p_ = end_;
                return fail(msg::kUnterminatedString);
            }
            p_ = stop;
            if (*stop == '"') {
                ++p_;
                text = text_;
                return true;
            }
        }
    }

    bool readEscape() {
        const char c = peek();
        if (atEnd()) {
            return fail(msg::kBadEscape);
        }
        ++p_;
        switch (c) {
            case '"':
            case '/':
            case '\\': text_.push_back(c); return true;
            case 'b': text_.push_back('\b'); return true;
            case 'f': text_.push_back('\f'); return true;
            case 'n': text_.push_back('\n'); return true;
            case 'r': text_.push_back('\r'); return true;
            case 't': text_.push_back('\t'); return true;
            case 'u': return readUnicodeEscape();
            default: return fail(msg::kBadEscape);
        }
    }

    bool readHex4(std::uint32_t& value) noexcept {
        if (end_ - p_ < 4) {
            return false;
        }
        value = 0;
        for (int i = 0; i < 4; ++i) {
            const int digit = hexDigit(p_[i]);
            if (digit < 0) {
                return false;
            }
            value = value * 16 + static_cast<std::uint32_t>(digit);
        }
        p_ += 4;
        return true;
    }

    // Cursor after "\u".
    bool readUnicodeEscape() {
        std::uint32_t unit = 0;
        if (!readHex4(unit)) {
            return fail(msg::kBadHex);
        }
        if (unit >= 0xDC00 && unit <= 0xDFFF) {
            return fail(msg::kBadSurrogate);  // a low surrogate needs a high one before it
        }
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (end_ - p_ < 2 || p_[0] != '\\' || p_[1] != 'u') {
                return fail(msg::kBadSurrogate);
            }
            p_ += 2;
            std::uint32_t low = 0;
            if (!readHex4(low)) {
                return fail(msg::kBadHex);
            }
            if (low < 0xDC00 || low > 0xDFFF) {
                return fail(msg::kBadSurrogate);
            }
            unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        }
        appendUtf8(text_, unit);
        return true;
    }

    bool parseNumber(Slot slot) {
        const char* const start = p_;
        const bool negative = peek() == '-';
        if (negative) {
            ++p_;
        }
        if (!isDigit(peek())) {
            return fail(msg::kNoDigit);
        }
        // Every digit, of the integer and the fraction, goes into one integer;
        // it is exact while at most 19 of them are significant (it may wrap
        // beyond, and is then not used).
        std::uint64_t digits = 0;
        const char* const integerStart = p_;
        p_ = readDigits(p_, digits);
        const std::ptrdiff_t integerDigits = p_ - integerStart;
        const bool leadingZero = *integerStart == '0';
        if (leadingZero && integerDigits > 1) {
            return fail(msg::kLeadingZero);
        }
        // Fraction.
        bool hasFraction = false;
        std::ptrdiff_t fractionDigits = 0;
        std::ptrdiff_t fractionLeadingZeros = 0;
        if (peek() == '.') {
            ++p_;
            if (!isDigit(peek())) {
                return fail(msg::kNoFractionDigit);
            }
            hasFraction = true;
            const char* const fractionStart = p_;
            if (leadingZero) {
                // digits is still zero: the zeros need not enter it.
                while (p_ != end_ && *p_ == '0') {
                    ++p_;
                }
                fractionLeadingZeros = p_ - fractionStart;
            }
            p_ = readDigits(p_, digits);
            fractionDigits = p_ - fractionStart;
        }
        // Exponent; saturated far beyond the double range so that it never wraps.
        std::int64_t exponent = 0;
        if (peek() == 'e' || peek() == 'E') {
            ++p_;
            bool negativeExponent = false;
            if (peek() == '+' || peek() == '-') {
                negativeExponent = *p_ == '-';
                ++p_;
            }
            if (!isDigit(peek())) {
                return fail(msg::kNoExponentDigit);
            }
            while (p_ != end_ && isDigit(*p_)) {
                if (exponent < 1000000000) {
                    exponent = exponent * 10 + (*p_ - '0');
                }
                ++p_;
            }
            if (negativeExponent) {
                exponent = -exponent;
            }
        }
        constexpr auto kIntegerLimit = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
        if (!hasFraction && exponent == 0 && integerDigits <= 19 && digits <= kIntegerLimit) {
            const auto magnitude = static_cast<std::int64_t>(digits);
            return check(sink_.integer(slot, negative ? -magnitude : magnitude));
        }
        // A zero integer part is exactly "0" (leading zeros fail above): its
        // digit and the fraction's leading zeros are not significant.
        const std::ptrdiff_t significantDigits =
            leadingZero ? fractionDigits - fractionLeadingZeros : integerDigits + fractionDigits;
        double value = 0.0;
        if (significantDigits > 19 || !decimalToDouble(digits, exponent - fractionDigits, negative, value)) {
            const std::int64_t magnitudeExponent = exponent + (leadingZero ? -fractionLeadingZeros : integerDigits);
            if (!readDoubleText(start, negative, magnitudeExponent, value)) {
                return fail(msg::kBadFloat);
            }
        }
        return check(sink_.number(slot, value));
    }

    // Appends the digits at p to value; answers the first byte after them.
    // Eight bytes at a time while eight remain in the text.
    const char* readDigits(const char* p, std::uint64_t& value) const noexcept {
        std::uint64_t digits = value;
        while (end_ - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, sizeof word);
            const int count = leadingDigitCount(word);
            if (count == 0) {
                break;
            }
            digits = digits * kPowersOfTen[count] + digitRunValue(word, count);
            p += count;
            if (count < 8) {
                value = digits;
                return p;
            }
        }
        for (; p != end_ && isDigit(*p); ++p) {
            digits = digits * 10 + static_cast<std::uint64_t>(*p - '0');
        }
        value = digits;
        return p;
    }

    // The number text [start, p_) the slow way. magnitudeExponent (the
    // decimal exponent of its first significant digit, plus one) tells an
    // overflow from an underflow, where from_chars leaves the value alone.
    bool readDoubleText(const char* start, bool negative, std::int64_t magnitudeExponent, double& value) const {
        const auto [ptr, ec] = std::from_chars(start, p_, value, std::chars_format::general);
        if (ptr != p_) {
            return false;
        }
        if (ec == std::errc::result_out_of_range) {
            const double limit = magnitudeExponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
            value = negative ? -limit : limit;
            return true;
        }
        return ec == std::errc();
    }

    // One more level of arrays or objects; false beyond the bound.
    bool enter() noexcept {
        if (++depth_ > kMaxNestingDepth) {
            return fail(kDepthLimitMessage);
        }
        return true;
    }

    bool parseArray(Slot slot) {
        if (!enter()) {
            return false;
        }
        typename Sink::ArrayFrame frame{};
        if (!check(sink_.startArray(slot, frame))) {
            return false;
        }
        std::size_t count = 0;
        const bool ok = readElements(frame, count);
        sink_.flushArray(frame);
        if (!ok) {
            return false;
        }
        --depth_;
        return check(sink_.endArray(frame, count));
    }

    // Cursor on "[". True when the array ended, with "]" or at the end of the text.
    bool readElements(typename Sink::ArrayFrame& frame, std::size_t& count) {
        ++p_;
        if (atEnd()) {
            return true;
        }
        for (;;) {
            skipWhiteSpace();
            if (peek() == ']') {
                if (count > 0 && (options_ & kAllowTrailingComma) == 0) {
                    return fail(msg::kArrayComma);
                }
                ++p_;
                return true;
            }
            Slot element = sink_.startElement(frame);
            if (!parseValue(element)) {
                sink_.dropElement(frame);
                return false;
            }
            ++count;
            skipWhiteSpace();
            const char next = peek();
            if (next == ']') {
                ++p_;
                return true;
            }
            if (next != ',') {
                return fail(msg::kArrayText);
            }
            ++p_;
            if (atEnd()) {
                return true;
            }
        }
    }

    bool parseObject(Slot slot) {
        if (!enter()) {
            return false;
        }
        typename Sink::ObjectFrame frame{};
        if (!check(sink_.startObject(slot, frame))) {
            return false;
        }
        std::size_t count = 0;
        const bool ok = readMembers(frame, count);
        sink_.flushObject(frame);
        if (!ok) {
            return false;
        }
        --depth_;
        return check(sink_.endObject(frame, count));
    }

    // Cursor on "{". True when the object ended, with "}" or at the end of the text.
    bool readMembers(typename Sink::ObjectFrame& frame, std::size_t& count) {
        ++p_;
        for (;;) {
            skipWhiteSpace();
            if (atEnd()) {
                return true;
            }
            const char c = *p_;
            if (c == '}') {
                if (count > 0 && (options_ & kAllowTrailingComma) == 0) {
                    return fail(msg::kObjectComma);
                }
                ++p_;
                return true;
            }
            if (c != '"') {
                // A stray byte between members is stepped over.
                ++p_;
                continue;
            }
            if (!parseMember(frame)) {
                return false;
            }
            ++count;
            skipWhiteSpace();
            const char next = peek();
            if (next == '}') {
                ++p_;
                return true;
            }
            if (next != ',') {
                return fail(msg::kObjectText);
            }
            ++p_;
            if (atEnd()) {
                return true;
            }
        }
    }

    bool parseMember(typename Sink::ObjectFrame& frame) {
        std::string_view key;
        if (!readString(key)) {
            return false;
        }
        skipWhiteSpace();
        if (peek() != ':') {
            return fail(msg::kObjectText);
        }
        ++p_;
        Slot member{};
        if (!check(sink_.startMember(frame, key, member))) {
            return false;
        }
        if (!parseValue(member)) {
            sink_.dropMember(frame);
            return false;
        }
        return true;
    }

    Sink& sink_;
    const char* p_;
    const char* const end_;
    const ParseOptions options_;
    int depth_ = 0;
    const char* message_ = nullptr;
    std::string text_;  // strings with escapes are built here; keeps its capacity
};

template <typename Sink>
bool run(Sink& sink, typename Sink::Slot target, const char* begin, const char* end, ParseOptions options,
         std::string* error) {
    if (begin == nullptr) {
        end = begin;
    }
    Parser<Sink> parser(sink, begin, end, options);
    const bool ok = parser.parseDocument(target);
    if (error != nullptr) {
        if (ok) {
            error->clear();
        } else {
            error->assign(parser.message());
        }
    }
    return ok;
}

}  // namespace

bool parseJson(Value& out, const char* begin, const char* end, const ParseOptions& options, std::string* error) {
    ValueSink sink(begin, end);
    return run(sink, &out, begin, end, options, error);
}

bool parseJson(Value& out, const std::string& text, ParseOptions options, std::string* error) {
    return parseJson(out, text.data(), text.data() + text.size(), options, error);
}

bool parseJson(SaxHandler& handler, const char* begin, const char* end, const ParseOptions& options,
               std::string* error) {
    HandlerSink sink(handler);
    return run(sink, HandlerSink::Slot{}, begin, end, options, error);
}

}  // namespace pocketjson
