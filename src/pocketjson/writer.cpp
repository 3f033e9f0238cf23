// JSON text out of pocketjson::Value, appended straight to the caller's string.
// Numbers go through std::to_chars: no locale can turn the decimal point into
// a comma, and the exponent has the two-digit C form on every runtime.

#include <array>
#include <charconv>
#include <cmath>
#include <string_view>

#include "pocketjson/json.h"

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

void appendEscape(std::string& out, unsigned char byte) {
    const char kind = kEscapes[byte];
    if (kind != 'u') {
        const char pair[2] = {'\\', kind};
        out.append(pair, 2);
        return;
    }
    static constexpr char kHex[] = "0123456789abcdef";
    const char unicode[6] = {'\\', 'u', '0', '0', kHex[byte >> 4], kHex[byte & 0xF]};
    out.append(unicode, 6);
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
            out_.append(value.boolValue() ? std::string_view("true") : std::string_view("false"));
            return true;
        case ValueType::Integer:
            writeInteger(value.intValue());
            return true;
        case ValueType::Double:
            if (!std::isfinite(value.doubleValue())) {
                return false;
            }
            formatDouble(value.doubleValue(), out_);
            return true;
        case ValueType::String:
            escapeString(out_, value.stringValue());
            return true;
        case ValueType::Object:
            return writeObject(value.members(), depth);
        case ValueType::Array:
            return writeArray(value.elements(), depth);
        default:
            // Null and tags that carry no JSON form.
            out_.append("null", 4);
            return true;
        }
    }

private:
    static std::string_view indentUnit(WriteOptions flags) noexcept {
        switch (flags & 0x3) {
        case kIndentFourSpaces:
            return "    ";
        case kIndentTab:
            return "\t";
        default:
            return "  ";
        }
    }

    void writeInteger(std::int64_t n) {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
        out_.append(digits, static_cast<std::size_t>(end - digits));
    }

    void newLine(int depth) {
        out_.append(lineBreak_);
        for (int level = 0; level < depth; ++level) {
            out_.append(indent_);
        }
    }

    bool writeObject(const Value::Object& members, int depth) {
        if (members.empty()) {
            out_.append("{}", 2);
            return true;
        }
        out_.push_back('{');
        bool first = true;
        for (const auto& [key, member] : members) {
            if (!first) {
                out_.push_back(',');
            }
            first = false;
            if (pretty_) {
                newLine(depth + 1);
            }
            escapeString(out_, key);
            if (pretty_) {
                out_.append(": ", 2);
            } else {
                out_.push_back(':');
            }
            if (!write(member, depth + 1)) {
                return false;
            }
        }
        if (pretty_) {
            newLine(depth);
        }
        out_.push_back('}');
        return true;
    }

    bool writeArray(const Value::Array& elements, int depth) {
        if (elements.empty()) {
            out_.append("[]", 2);
            return true;
        }
        out_.push_back('[');
        bool first = true;
        for (const Value& element : elements) {
            if (!first) {
                out_.push_back(',');
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
        out_.push_back(']');
        return true;
    }

    std::string& out_;
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
    if (d == 0.0) {
        out.append("0.0", 3);  // both zeros: the sign of -0.0 is dropped
        return true;
    }
    if (std::isnan(d)) {
        out.append("nan", 3);
        return false;
    }
    if (std::isinf(d)) {
        out.append(d < 0 ? std::string_view("-inf") : std::string_view("inf"));
        return false;
    }
    // 17 significant digits in the "%.17g" layout; the longest text is
    // "-2.2250738585072014e-308", 24 bytes.
    char digits[32];
    const auto end = std::to_chars(digits, digits + sizeof digits, d, std::chars_format::general, 17).ptr;
    out.append(digits, static_cast<std::size_t>(end - digits));
    return true;
}

void escapeString(std::string& out, const std::string& text) {
    out.push_back('"');
    const auto* const bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < size; ++i) {
        if (kEscapes[bytes[i]] != 0) {
            out.append(text, runStart, i - runStart);
            appendEscape(out, bytes[i]);
            runStart = i + 1;
        }
    }
    out.append(text, runStart, size - runStart);
    out.push_back('"');
}

}  // namespace pocketjson
