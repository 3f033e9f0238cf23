#include "screens/screen_point.h"

#include <locale>
#include <sstream>
#include <vector>

#include "pocketjson/text.h"

namespace kelto::screens {

namespace {

// Leading blanks, a sign, digits up to the first other character; 0 when no
// number begins there, the nearest limit when it overflows.
std::int32_t readCoordinate(const std::string& piece) {
    std::istringstream stream(piece);
    stream.imbue(std::locale::classic());
    int number = 0;
    stream >> number;
    return number;
}

}  // namespace

std::optional<ScreenPoint> readScreenPoint(const std::string& text) {
    const std::vector<std::string> pieces = pocketjson::splitString(text, "x");
    if (pieces.size() != 2) return std::nullopt;
    return ScreenPoint{readCoordinate(pieces[0]), readCoordinate(pieces[1])};
}

}  // namespace kelto::screens
