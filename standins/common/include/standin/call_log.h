#pragma once
// Names of the exported functions called since the last reset, in order.
// Not synchronised: the owning library guards it with its own lock.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace standin {

class CallLog {
public:
    void record(std::string_view function);
    void clear() noexcept { names_.clear(); }
    std::int32_t count(std::string_view function) const noexcept;
    // JSON array of the names.
    std::string json() const;

private:
    std::vector<std::string> names_;
};

}  // namespace standin
