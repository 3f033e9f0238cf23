#pragma once
// Measurement-device library libtrellis_x64.dll (imported) and the sensor
// library libbramble.dll (looked up at run time through kelto::BrambleLoader;
// every function optional).

#include "platform/closed_libraries.h"
#include "platform/dynamic_library.h"

namespace bramble::rt {
inline constexpr ExportedFunction<decltype(BrambleLockSensors)> lockSensors{"BrambleLockSensors"};
inline constexpr ExportedFunction<decltype(BrambleUnlockSensors)> unlockSensors{"BrambleUnlockSensors"};
inline constexpr ExportedFunction<decltype(BramblePreUpdateBuiltInSensorHandle)> preUpdateBuiltInSensorHandle{
    "BramblePreUpdateBuiltInSensorHandle"};
inline constexpr ExportedFunction<decltype(BrambleUpdateBuiltInSensorHandle)> updateBuiltInSensorHandle{
    "BrambleUpdateBuiltInSensorHandle"};
inline constexpr ExportedFunction<decltype(BrambleGetHandleForHIDHandle)> getHandleForHIDHandle{
    "BrambleGetHandleForHIDHandle"};
inline constexpr ExportedFunction<decltype(BrambleGetHandleForDeviceID)> getHandleForDeviceID{
    "BrambleGetHandleForDeviceID"};
inline constexpr ExportedFunction<decltype(BrambleRemoveSensor)> removeSensor{"BrambleRemoveSensor"};
inline constexpr ExportedFunction<decltype(BrambleEnumConnectedSerialSensors)> enumConnectedSerialSensors{
    "BrambleEnumConnectedSerialSensors"};

}  // namespace bramble::rt
