#pragma once
// Screen-information library libcarvel2_x64.dll. Call it only under the
// screen registry's lock. Texts belong to the library; copy them at once.
// The functions in carvel2::rt are optional and looked up by name in the copy
// held by kelto::libcarvel2Loader.

#include "platform/closed_libraries.h"
#include "platform/dynamic_library.h"

namespace carvel2::rt {
inline constexpr ExportedFunction<decltype(CrvGetScreenPixelRatio)> getScreenPixelRatio{"CrvGetScreenPixelRatio"};
inline constexpr ExportedFunction<decltype(CrvGetEdidManufactureYear)> getEdidManufactureYear{
    "CrvGetEdidManufactureYear"};

}  // namespace carvel2::rt
