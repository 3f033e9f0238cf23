// JSON text out of pocketjson::Value, appended straight to the caller's string.
// Numbers go through std::to_chars: no locale can turn the decimal point into
// a comma, and the exponent has the two-digit C form on every runtime.

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>

#include "pocketjson/decimal.h"
#include "pocketjson/json.h"
#include "pocketjson/text_words.h"

namespace pocketjson {

namespace {

// What each byte becomes inside a quoted string: 0 copies it unchanged, 'u'
// asks for the six-byte \u00XX form, any other letter follows a backslash.
constexpr std::array<char, 256> makeEscapeTable() {
    std::array<char, 256> table{};
    for (int byte = 0; byte < 0x20; ++byte) {
        table[byte] = 'u';
    }
    table[0x7F] = 'u';
    table['\b'] = 'b';
    table['\t'] = 't';
    table['\n'] = 'n';
    table['\f'] = 'f';
    table['\r'] = 'r';
    table['"'] = '"';
    table['\\'] = '\\';
    return table;
}

constexpr std::array<char, 256> kEscapes = makeEscapeTable();

// Appends to the caller's string through its own buffer: the string is grown
// ahead in large steps and written with plain stores, and cut back to what
// was written when the output goes away (also after a failed write, whose
// partial text must stay).
class Output {
public:
    explicit Output(std::string& text) noexcept : text_(text), used_(text.size()) {}
    ~Output() { text_.resize(used_); }  // only ever shrinks here: cannot throw
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    // Room for n more bytes; commit() then says how many were written.
    char* room(std::size_t n) {
        if (text_.size() - used_ < n) {
            grow(n);
        }
        return text_.data() + used_;
    }
    void commit(std::size_t n) noexcept { used_ += n; }

    void put(char c) {
        *room(1) = c;
        ++used_;
    }
    void put(std::string_view bytes) {
        std::memcpy(room(bytes.size()), bytes.data(), bytes.size());
        used_ += bytes.size();
    }

private:
    void grow(std::size_t n) { text_.resize(std::max(text_.size() * 2, used_ + n + 256)); }

    std::string& text_;
    std::size_t used_;
};

void putEscape(Output& out, unsigned char byte) {
    const char kind = kEscapes[byte];
    if (kind != 'u') {
        const char pair[2] = {'\\', kind};
        out.put(std::string_view(pair, 2));
        return;
    }
    static constexpr char kHex[] = "0123456789abcdef";
    const char unicode[6] = {'\\', 'u', '0', '0', kHex[byte >> 4], kHex[byte & 0xF]};
    out.put(std::string_view(unicode, 6));
}

// First byte in [p, end) that needs an escape (below 0x20, 0x7F, a double
// quote or a backslash), eight bytes at a time: most strings have none.
const char* findEscape(const char* p, const char* end) noexcept {
    while (end - p >= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, sizeof word);
        // Some byte below 0x20 sets a high bit here (the lowest set bit need
        // not be that byte: the byte loop below finds it).
        const std::uint64_t control = (word - kByteOnes * 0x20) & ~word & kByteHighs;
        const std::uint64_t special = bytesEqualTo(word, '"') | bytesEqualTo(word, '\\') | bytesEqualTo(word, 0x7F);
        if ((control | special) != 0) {
            break;
        }
        p += 8;
    }
    while (p < end && kEscapes[static_cast<unsigned char>(*p)] == 0) {
        ++p;
    }
    return p;
}

// Copies n bytes and tells whether none of them needs an escape: for keys
// and short texts one pass beats a search followed by a copy.
bool copyPlain(char* out, const char* p, std::size_t n) noexcept {
    char kinds = 0;
    for (std::size_t i = 0; i < n; ++i) {
        out[i] = p[i];
        kinds |= kEscapes[static_cast<unsigned char>(p[i])];
    }
    return kinds == 0;
}

// A member's key comes with the colon after it in the same piece. The colon
// is a byte, not a text: a copy of a text of unknown length is a call into
// the C runtime.
void putString(Output& out, std::string_view text, char after = '\0') {
    const char* p = text.data();
    const char* const end = p + text.size();
    const std::size_t tail = after != '\0' ? 1 : 0;
    constexpr std::size_t kShort = 24;
    if (text.size() <= kShort) {
        const std::size_t length = text.size() + 2 + tail;
        char* const first = out.room(text.size() + 3);
        first[0] = '"';
        if (copyPlain(first + 1, p, text.size())) {
            first[text.size() + 1] = '"';
            first[text.size() + 2] = after;  // within the room; counted only when wanted
            out.commit(length);
            return;
        }
        // What was copied is not committed: the escaping path overwrites it.
    }
    const char* stop = findEscape(p, end);
    if (stop == end) {
        // The common case in one piece: quote, bytes, quote.
        const std::size_t length = text.size() + 2 + tail;
        char* const first = out.room(text.size() + 3);
        first[0] = '"';
        std::memcpy(first + 1, p, text.size());
        first[text.size() + 1] = '"';
        first[text.size() + 2] = after;
        out.commit(length);
        return;
    }
    out.put('"');
    for (;;) {
        out.put(std::string_view(p, static_cast<std::size_t>(stop - p)));
        if (stop == end) {
            break;
        }
        putEscape(out, static_cast<unsigned char>(*stop));
        p = stop + 1;
        stop = findEscape(p, end);
    }
    out.put('"');
    if (after != '\0') out.put(after);
}

// "%.17g" without printf: the double scaled by a power of ten to a 17-digit
// integer with 128-bit arithmetic, then laid out by the %g rules. The scaling
// is exact to about 2^-126; when that leaves the rounding of the 17th digit
// open (a tie, or nearly one), std::to_chars decides instead.
namespace seventeen {

using u128 = unsigned __int128;

constexpr std::uint64_t kLow17 = 10000000000000000ull;    // 10^16
constexpr std::uint64_t kHigh17 = 100000000000000000ull;  // 10^17

// For a positive finite v: digits in [10^16, 10^17) and exponent10 with
// v ~ digits * 10^exponent10, rounded to nearest. False when undecided.
bool scale(double v, std::uint64_t& digits, int& exponent10) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    const int biased = static_cast<int>(bits >> 52);
    std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
    int binaryExponent;
    if (biased == 0) {
        binaryExponent = -1074;
    } else {
        mantissa |= std::uint64_t{1} << 52;
        binaryExponent = biased - 1075;
    }
    const int shift = __builtin_clzll(mantissa);
    mantissa <<= shift;
    binaryExponent -= shift;  // v = mantissa * 2^binaryExponent, top bit set

    // log10(2) ~ 78913 / 2^18; the estimate of the leading decimal exponent
    // may be one too small, which the loop corrects.
    int leading = ((binaryExponent + 63) * 78913) >> 18;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int k = leading - 16;
        if (-k < kSmallestTenPower || -k > kLargestTenPower) {
            return false;
        }
        const PowerOfTen power = powerOfTen(-k);
        const u128 low = static_cast<u128>(mantissa) * power.low;
        const u128 high = static_cast<u128>(mantissa) * power.high;
        // 192-bit product w2:w1:w0; only w2:w1 matter for the result.
        const u128 upper = high + (low >> 64);
        const int drop = -(binaryExponent + power.exponent) - 64;  // bits of upper below the point
        if (drop < 64 || drop > 127) {
            return false;
        }
        const u128 whole = upper >> drop;
        if (whole < kLow17) {
            --leading;
            continue;
        }
        if (whole >= kHigh17) {
            ++leading;
            continue;
        }
        const u128 fractionBits = upper & ((u128{1} << drop) - 1);
        const auto fraction = static_cast<std::uint64_t>((fractionBits << (128 - drop)) >> 64);
        constexpr std::uint64_t kHalf = std::uint64_t{1} << 63;
        constexpr std::uint64_t kMargin = 1u << 10;
        if (fraction > kHalf - kMargin && fraction < kHalf + kMargin) {
            return false;
        }
        digits = static_cast<std::uint64_t>(whole) + (fraction >= kHalf ? 1 : 0);
        exponent10 = k;
        if (digits == kHigh17) {
            digits = kLow17;
            ++exponent10;
        }
        return true;
    }
    return false;
}

// Pairs of decimal digits "00" to "99": two digits per division.
constexpr std::array<char, 200> makeDigitPairs() {
    std::array<char, 200> pairs{};
    for (int i = 0; i < 100; ++i) {
        pairs[2 * i] = static_cast<char>('0' + i / 10);
        pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}
constexpr std::array<char, 200> kDigitPairs = makeDigitPairs();

// Eight digits of n < 10^8, with leading zeros.
void writeEightDigits(char* out, std::uint32_t n) noexcept {
    const std::uint32_t high = n / 10000;
    const std::uint32_t low = n % 10000;
    std::memcpy(out, &kDigitPairs[2 * (high / 100)], 2);
    std::memcpy(out + 2, &kDigitPairs[2 * (high % 100)], 2);
    std::memcpy(out + 4, &kDigitPairs[2 * (low / 100)], 2);
    std::memcpy(out + 6, &kDigitPairs[2 * (low % 100)], 2);
}

// The 17 digits of n in [10^16, 10^17).
void writeDigits(char* out, std::uint64_t n) noexcept {
    constexpr std::uint64_t kEight = 100000000;
    out[0] = static_cast<char>('0' + n / (kEight * kEight));
    const std::uint64_t rest = n % (kEight * kEight);
    writeEightDigits(out + 1, static_cast<std::uint32_t>(rest / kEight));
    writeEightDigits(out + 9, static_cast<std::uint32_t>(rest % kEight));
}

// Lays out 17 digits with the %g rules for precision 17: trailing zeros of
// the fraction go, and so does a bare decimal point. Returns the end.
char* layout(char* out, bool negative, std::uint64_t digits, int exponent10) {
    char text[17];
    writeDigits(text, digits);
    int length = 17;
    while (length > 1 && text[length - 1] == '0') {
        --length;
    }
    const int leading = exponent10 + 16;
    if (negative) {
        *out++ = '-';
    }
    if (leading >= -4 && leading < 17) {
        if (leading >= 0) {
            const int integerDigits = leading + 1;
            std::memcpy(out, text, static_cast<std::size_t>(integerDigits));
            out += integerDigits;
            if (length > integerDigits) {
                *out++ = '.';
                std::memcpy(out, text + integerDigits, static_cast<std::size_t>(length - integerDigits));
                out += length - integerDigits;
            }
        } else {
            *out++ = '0';
            *out++ = '.';
            for (int zeros = -leading - 1; zeros > 0; --zeros) {
                *out++ = '0';
            }
            std::memcpy(out, text, static_cast<std::size_t>(length));
            out += length;
        }
        return out;
    }
    *out++ = text[0];
    if (length > 1) {
        *out++ = '.';
        std::memcpy(out, text + 1, static_cast<std::size_t>(length - 1));
        out += length - 1;
    }
    *out++ = 'e';
    *out++ = leading < 0 ? '-' : '+';
    const int magnitude = leading < 0 ? -leading : leading;
    if (magnitude >= 100) {
        *out++ = static_cast<char>('0' + magnitude / 100);
    }
    *out++ = static_cast<char>('0' + magnitude / 10 % 10);
    *out++ = static_cast<char>('0' + magnitude % 10);
    return out;
}

// Writes a finite non-zero double; at most 24 bytes.
char* format(char* first, char* last, double d) {
    std::uint64_t digits = 0;
    int exponent10 = 0;
    if (scale(std::fabs(d), digits, exponent10)) {
        return layout(first, std::signbit(d), digits, exponent10);
    }
    return std::to_chars(first, last, d, std::chars_format::general, 17).ptr;
}

}  // namespace seventeen

bool putDouble(Output& out, double d) {
    if (d == 0.0) {
        out.put("0.0");  // both zeros: the sign of -0.0 is dropped
        return true;
    }
    if (std::isnan(d)) {
        out.put("nan");
        return false;
    }
    if (std::isinf(d)) {
        out.put(d < 0 ? std::string_view("-inf") : std::string_view("inf"));
        return false;
    }
    // 17 significant digits in the "%.17g" layout; the longest text is
    // "-2.2250738585072014e-308", 24 bytes.
    constexpr std::size_t kLongest = 32;
    char* const first = out.room(kLongest);
    char* const end = seventeen::format(first, first + kLongest, d);
    out.commit(static_cast<std::size_t>(end - first));
    return true;
}

void putInteger(Output& out, std::int64_t n) {
    constexpr std::size_t kLongest = 20;  // "-9223372036854775808"
    char* const first = out.room(kLongest);
    const auto end = std::to_chars(first, first + kLongest, n).ptr;
    out.commit(static_cast<std::size_t>(end - first));
}

class Writer {
public:
    Writer(std::string& out, WriteOptions flags) noexcept
        : out_(out),
          pretty_((flags & kPretty) != 0),
          indent_(indentUnit(flags)),
          lineBreak_((flags & kCrLf) != 0 ? std::string_view("\r\n") : std::string_view("\n")) {}

    bool write(const Value& value, int depth) {
        switch (value.type()) {
            case ValueType::Boolean:
                out_.put(value.boolValue() ? std::string_view("true") : std::string_view("false"));
                return true;
            case ValueType::Integer: putInteger(out_, value.intValue()); return true;
            case ValueType::Double:
                // An infinity or NaN writes nothing and fails the write.
                return std::isfinite(value.doubleValue()) && putDouble(out_, value.doubleValue());
            case ValueType::String: putString(out_, value.stringValue()); return true;
            case ValueType::Object: return writeObject(value.members(), depth);
            case ValueType::Array: return writeArray(value.elements(), depth);
            default:
                // Null and tags that carry no JSON form.
                out_.put("null");
                return true;
        }
    }

private:
    static std::string_view indentUnit(WriteOptions flags) noexcept {
        switch (flags & 0x3) {
            case kIndentFourSpaces: return "    ";
            case kIndentTab: return "\t";
            default: return "  ";
        }
    }

    void newLine(int depth) {
        out_.put(lineBreak_);
        for (int level = 0; level < depth; ++level) {
            out_.put(indent_);
        }
    }

    bool writeObject(const Value::Object& members, int depth) {
        if (members.empty()) {
            out_.put("{}");
            return true;
        }
        out_.put('{');
        bool first = true;
        for (const auto& [key, member] : members) {
            if (!first) {
                out_.put(',');
            }
            first = false;
            if (pretty_) {
                newLine(depth + 1);
            }
            putString(out_, key, ':');
            if (pretty_) {
                out_.put(' ');
            }
            if (!write(member, depth + 1)) {
                return false;
            }
        }
        if (pretty_) {
            newLine(depth);
        }
        out_.put('}');
        return true;
    }

    bool writeArray(const Value::Array& elements, int depth) {
        if (elements.empty()) {
            out_.put("[]");
            return true;
        }
        out_.put('[');
        bool first = true;
        for (const Value& element : elements) {
            if (!first) {
                out_.put(',');
            }
            first = false;
            if (pretty_) {
                newLine(depth + 1);
            }
            if (!write(element, depth + 1)) {
                return false;
            }
        }
        if (pretty_) {
            newLine(depth);
        }
        out_.put(']');
        return true;
    }

    Output out_;
    const bool pretty_;
    const std::string_view indent_;
    const std::string_view lineBreak_;
};

}  // namespace

bool writeJson(const Value& value, std::string& out, WriteOptions flags) {
    Writer writer(out, flags);
    return writer.write(value, 0);
}

std::string toJson(const Value& value, WriteOptions flags) {
    std::string text;
    writeJson(value, text, flags);
    return text;
}

bool formatDouble(double d, std::string& out) {
    Output output(out);
    return putDouble(output, d);
}

void escapeString(std::string& out, const std::string& text) {
    Output output(out);
    putString(output, text);
}

}  // namespace pocketjson
