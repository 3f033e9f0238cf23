#pragma once
// The run-time loaded sensor library, whose every function is optional:
// each call is skipped when the library or the function is missing.

#include <cstdint>

#include "platform/sensors.h"

namespace kelto::notification {

// Holds the sensor library's own lock over a scope, when it has one.
class SensorLibraryLock {
public:
    SensorLibraryLock() { BrambleLoader::instance().invokeIfPresent(bramble::rt::lockSensors); }
    ~SensorLibraryLock() { BrambleLoader::instance().invokeIfPresent(bramble::rt::unlockSensors); }
    SensorLibraryLock(const SensorLibraryLock&) = delete;
    SensorLibraryLock& operator=(const SensorLibraryLock&) = delete;
};

// Makes the sensor library forget the sensor that lookup finds (a function
// of the library that stores a sensor handle for a key); nothing happens
// unless the library has both lookup and removal.
template <class Key, class Lookup>
void removeSensor(Lookup lookup, Key key) {
    BrambleLoader& library = BrambleLoader::instance();
    if (!library.hasFunction(lookup) || !library.hasFunction(bramble::rt::removeSensor)) return;
    std::uint64_t sensor = 0;
    library.invoke(lookup, key, &sensor);
    if (sensor != 0) library.invoke(bramble::rt::removeSensor, sensor);
}

}  // namespace kelto::notification
