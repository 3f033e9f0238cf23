#pragma once
// The "point" of ScreensForPoint, read from request text without any Windows
// call, so the native build can fuzz it.

#include <cstdint>
#include <optional>
#include <string>

namespace kelto::screens {

struct ScreenPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

// "XxY": two pieces around 'x' (empty pieces dropped), each read as stream
// input reads an int. No point unless there are exactly two pieces.
std::optional<ScreenPoint> readScreenPoint(const std::string& text);

}  // namespace kelto::screens
