#pragma once
// Monitor-control libraries: libpltc_x64.dll (imported) lists monitor
// controllers; libpallet_x64.dll (looked up at run time through
// kelto::libpalletLoader) lists lighting equipment.

#include "platform/closed_libraries.h"
#include "platform/dynamic_library.h"

namespace pallet::rt {
inline constexpr ExportedFunction<decltype(PltUpdateEx)> updateEx{"PltUpdateEx"};
inline constexpr ExportedFunction<decltype(PltRetrieveEx)> retrieveEx{"PltRetrieveEx"};
inline constexpr ExportedFunction<decltype(PltGetFixedData)> getFixedData{"PltGetFixedData"};
inline constexpr ExportedFunction<decltype(PltGetFeatureArray)> getFeatureArray{"PltGetFeatureArray"};

}  // namespace pallet::rt
