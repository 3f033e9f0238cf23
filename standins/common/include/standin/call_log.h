#pragma once
// The exported functions called since the last reset, in order, each with
// its number in the process-wide call sequence.
// Not synchronised: the owning library guards it with its own lock.

#include <cstdint>
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
        std::string function;
        std::int64_t number = 0;
    };
    std::vector<Call> calls_;
};

}  // namespace standin
