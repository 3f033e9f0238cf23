#pragma once
// Monitor-control libraries: libpltc_x64.dll (imported) lists monitor
// controllers; libpallet_x64.dll (looked up at run time through
// kelto::libpalletLoader) lists lighting equipment.

#include <cstdint>

#include "platform/dynamic_library.h"

extern "C" {
__declspec(dllimport) std::int32_t PltCtrlFind(std::uint32_t reserved1, std::uint32_t reserved2);
__declspec(dllimport) std::uint32_t PltCtrlGetNumMonitors(void);
__declspec(dllimport) std::int32_t PltCtrlGetSerialProduct(std::uint32_t index, char* serial9, char* product17);
__declspec(dllimport) std::int32_t PltCtrlGetHIDHandle(const char* serial, const char* product,
                                                       std::uint64_t* hidHandle);
}

namespace pallet::rt {

inline constexpr ExportedFunction<std::int32_t(std::uint32_t)> updateEx{"PltUpdateEx"};
inline constexpr ExportedFunction<std::int32_t(std::uint32_t, std::int32_t, std::uint64_t*)> retrieveEx{
    "PltRetrieveEx"};
inline constexpr ExportedFunction<std::int32_t(std::uint64_t, std::uint32_t, std::uint16_t, std::uint8_t*,
                                               std::uint32_t*, std::uint32_t*, std::uint32_t*, std::uint32_t*)>
    getFixedData{"PltGetFixedData"};
inline constexpr ExportedFunction<std::int32_t(std::uint64_t, std::uint32_t, std::uint16_t, void*, std::uint32_t)>
    getFeatureArray{"PltGetFeatureArray"};

}  // namespace pallet::rt
