#pragma once
// The exported functions called since the last reset, in order, each with
// its number in the process-wide call sequence.
// Not synchronised: the owning library guards it with its own lock.
// Recording costs no allocation once a function has been seen and the log
// has been as long before, and no comparison of names: a closed library
// records nothing, so the stand-ins' bookkeeping must not weigh on what a
// benchmark measures through them. Exports name themselves with literals, so
// a name is first looked up by where its text lives (the same name at another
// address still ends up as the one entry of names_).

#include <array>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace standin {

class CallLog {
public:
    void record(std::string_view function);
    void clear() noexcept { calls_.clear(); }
    std::int32_t count(std::string_view function) const noexcept;
    // JSON array of the names.
    std::string json() const;
    // JSON array of [name, sequence number] pairs.
    std::string sequenceJson() const;

private:
    struct Call {
        const std::string* function = nullptr;  // one of names_
        std::int64_t number = 0;
    };
    // Every function name seen, once; set elements stay where they are.
    std::set<std::string, std::less<>> names_;
    // The names last seen, by the address of their text: one probe where a
    // search of names_ compares texts (a hash map costs a division).
    struct Seen {
        const char* text = nullptr;
        const std::string* name = nullptr;
    };
    std::array<Seen, 256> seen_{};
    std::vector<Call> calls_;
};

}  // namespace standin
