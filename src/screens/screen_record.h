#pragma once
// The JSON record of one screen and the value forms of the screen-information
// library's plain structures.

#include <string>

#include "platform/carvel2.h"
#include "pocketjson/value.h"

namespace kelto::screens {

pocketjson::Value rectValue(const CrvRect& rect);
pocketjson::Value sizeValue(const CrvSize& size);
pocketjson::Value vector2Value(const CrvVector2& vector);
// "ManufactureYear" for kind 1, "ModelYear" for kind 2, null for any other kind.
pocketjson::Value manufactureDateValue(const CrvManufactureDate& date);
// The members that space names, one letter each; "CMYK" alone picks the four
// ink fields, elsewhere "C" is chroma and "Y" is CIE Y.
pocketjson::Value colorValue(const CrvColor& color, const std::string& space);
// "R", "G", "B", "W", "K" of primaries pick red, green, blue, white, black.
pocketjson::Value chromaticityValue(const CrvChromaticity& chromaticity, const std::string& primaries,
                                    const std::string& space);

// The record of a non-null screen; the caller holds the registry's lock.
pocketjson::Value screenRecord(CrvScreen screen);

}  // namespace kelto::screens
