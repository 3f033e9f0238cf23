// Arbitrary bytes through the parser with every flag combination. Whatever
// parses must write (compact and pretty) to text that parses back to an equal
// value, and the SAX path must agree with the value path on the outcome.
// A number alone must read as strtod reads it.

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "pocketjson/json.h"

namespace {

using pocketjson::Value;

bool holdsNonFinite(const Value& value) {
    switch (value.type()) {
        case pocketjson::ValueType::Double: return !std::isfinite(value.doubleValue());
        case pocketjson::ValueType::Object:
            for (const auto& member : value.members()) {
                if (holdsNonFinite(member.second)) return true;
            }
            return false;
        case pocketjson::ValueType::Array:
            for (const Value& element : value.elements()) {
                if (holdsNonFinite(element)) return true;
            }
            return false;
        default: return false;
    }
}

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// Counts events and nesting; cancels now and then to exercise that path.
class CountingHandler : public pocketjson::SaxHandler {
public:
    explicit CountingHandler(std::size_t cancelAfter) : cancelAfter_(cancelAfter) {}

    bool null() override { return step(); }
    bool boolean(bool) override { return step(); }
    bool integer(std::int64_t) override { return step(); }
    bool number(double) override { return step(); }
    bool string(const std::string&) override { return step(); }
    bool startArray() override { return open(); }
    bool endArray(std::size_t) override { return close(); }
    bool startObject() override { return open(); }
    bool key(const std::string&) override { return step(); }
    bool endObject(std::size_t) override { return close(); }

    int depth = 0;

private:
    bool step() { return ++events_ != cancelAfter_; }
    bool open() {
        ++depth;
        require(depth <= pocketjson::kMaxNestingDepth);
        return step();
    }
    bool close() {
        --depth;
        require(depth >= 0);
        return step();
    }

    std::size_t events_ = 0;
    std::size_t cancelAfter_;
};

// Equality across a write and a read: a Double with an integral value is
// written without a fraction ("%.17g" of 300.0 is "300") and so may come back
// as the Integer of the same value; everything else must match exactly.
bool sameAfterWrite(const Value& original, const Value& back) {
    if (original.isDouble() && back.isInteger()) {
        const double d = original.doubleValue();
        return d == std::trunc(d) && d >= -9223372036854775808.0 && d < 9223372036854775808.0 &&
               static_cast<std::int64_t>(d) == back.intValue();
    }
    if (original.type() != back.type()) {
        return false;
    }
    if (original.isObject()) {
        const auto& left = original.members();
        const auto& right = back.members();
        if (left.size() != right.size()) return false;
        for (auto l = left.begin(), r = right.begin(); l != left.end(); ++l, ++r) {
            if (l->first != r->first || !sameAfterWrite(l->second, r->second)) return false;
        }
        return true;
    }
    if (original.isArray()) {
        const auto& left = original.elements();
        const auto& right = back.elements();
        if (left.size() != right.size()) return false;
        for (std::size_t i = 0; i < left.size(); ++i) {
            if (!sameAfterWrite(left[i], right[i])) return false;
        }
        return true;
    }
    return original == back;
}

void roundTrip(const Value& value, pocketjson::WriteOptions flags) {
    std::string text;
    require(pocketjson::writeJson(value, text, flags));
    Value back;
    std::string error;
    require(pocketjson::parseJson(back, text, 0, &error));
    require(sameAfterWrite(value, back));
    // A second trip is exact: the text is already in its written form.
    std::string again;
    require(pocketjson::writeJson(back, again, flags));
    require(again == text);
}

// A text that is one number alone must read as the C library reads it: the
// parser's own decimal conversion against strtod, bit for bit.
void compareWithStrtod(const char* begin, const char* end, const Value& value) {
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (begin != end && isSpace(*begin)) ++begin;
    while (end != begin && isSpace(end[-1])) --end;
    const std::string text(begin, end);
    char* stop = nullptr;
    const double expected = std::strtod(text.c_str(), &stop);
    if (stop == text.c_str() + text.size()) {
        require(std::bit_cast<std::uint64_t>(expected) == std::bit_cast<std::uint64_t>(value.doubleValue()));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* begin = reinterpret_cast<const char*>(data);
    const char* end = begin + size;
    for (pocketjson::ParseOptions options = 0; options < 4; ++options) {
        Value value;
        std::string error;
        const bool ok = pocketjson::parseJson(value, begin, end, options, &error);
        require(ok == error.empty());

        CountingHandler handler(0);
        std::string saxError;
        require(pocketjson::parseJson(handler, begin, end, options, &saxError) == ok);
        require(saxError == error);

        CountingHandler cancelling(1 + size % 7);
        pocketjson::parseJson(cancelling, begin, end, options);

        if (ok && value.isDouble()) {
            compareWithStrtod(begin, end, value);
        }
        if (!ok || holdsNonFinite(value)) {
            continue;
        }
        roundTrip(value, 0);
        roundTrip(value, pocketjson::kPretty | (size & 0x7));
    }
    return 0;
}
