#pragma once
// Measurement-device library libtrellis_x64.dll (imported) and the sensor
// library libbramble.dll (looked up at run time through kelto::BrambleLoader;
// every function optional).

#include <cstdint>

#include "platform/dynamic_library.h"

extern "C" {
__declspec(dllimport) std::int32_t TrlEnumConnectedDevices(std::int32_t index, std::uint32_t* deviceID,
                                                           std::uint64_t* individualID);
}

namespace bramble::rt {

inline constexpr ExportedFunction<void()> lockSensors{"BrambleLockSensors"};
inline constexpr ExportedFunction<void()> unlockSensors{"BrambleUnlockSensors"};
inline constexpr ExportedFunction<void(const char*, const char*)> preUpdateBuiltInSensorHandle{
    "BramblePreUpdateBuiltInSensorHandle"};
inline constexpr ExportedFunction<void(const char*, const char*)> updateBuiltInSensorHandle{
    "BrambleUpdateBuiltInSensorHandle"};
inline constexpr ExportedFunction<std::int32_t(std::uint64_t, std::uint64_t*)> getHandleForHIDHandle{
    "BrambleGetHandleForHIDHandle"};
inline constexpr ExportedFunction<std::int32_t(std::uint32_t, std::uint64_t*)> getHandleForDeviceID{
    "BrambleGetHandleForDeviceID"};
inline constexpr ExportedFunction<std::int32_t(std::uint64_t)> removeSensor{"BrambleRemoveSensor"};
inline constexpr ExportedFunction<std::int32_t(std::int32_t, std::uint32_t*)> enumConnectedSerialSensors{
    "BrambleEnumConnectedSerialSensors"};

}  // namespace bramble::rt
