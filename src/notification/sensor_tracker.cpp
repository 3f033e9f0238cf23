#include "notification/sensor_tracker.h"

#include <string>

#include "notification/sensor_library.h"
#include "platform/logger.h"

namespace kelto::notification {

namespace {

// The removed sensor is forgotten by the sensor library too.
void compare(const std::vector<SensorRecord>& known, const std::vector<SensorRecord>& current,
             std::vector<SensorRecord>* added, std::vector<SensorRecord>* removed, const char* eventName) {
    const MavelLogger& log = MavelLogger::instance();
    diffRecords(
        known, current, added, removed,
        [&](const SensorRecord& r) { log.logEvent(eventName, "Add " + std::to_string(r.deviceID)); },
        [&](const SensorRecord& r) {
            removeSensor(bramble::rt::getHandleForDeviceID, r.deviceID);
            log.logEvent(eventName, "Remove " + std::to_string(r.deviceID));
        });
}

}  // namespace

std::vector<SensorRecord> enumerateSensors() {
    const SensorLibraryLock sensors;
    std::vector<SensorRecord> found;
    std::uint32_t deviceID = 0;
    std::uint64_t individualID = 0;
    for (std::int32_t index = 0; TrlEnumConnectedDevices(index, &deviceID, &individualID) >= 0; ++index) {
        found.push_back({deviceID, individualID});
    }
    return found;
}

std::vector<SensorRecord> enumerateSerialSensors() {
    std::vector<SensorRecord> found;
    BrambleLoader& library = BrambleLoader::instance();
    if (!library.hasFunction(bramble::rt::enumConnectedSerialSensors)) return found;
    std::uint32_t deviceID = 0;
    for (std::int32_t index = 0; library.invoke(bramble::rt::enumConnectedSerialSensors, index, &deviceID) >= 0;
         ++index) {
        found.push_back({deviceID, 0});
    }
    return found;
}

SensorTracker::SensorTracker() : known_(enumerateSensors()), knownSerial_(enumerateSerialSensors()) {}

SensorTracker& SensorTracker::instance() {
    static SensorTracker tracker;
    return tracker;
}

void SensorTracker::update(std::vector<SensorRecord>* added, std::vector<SensorRecord>* removed) {
    const std::lock_guard hold(lock_);
    std::vector<SensorRecord> current = enumerateSensors();
    compare(known_, current, added, removed, "sensorChanged");
    known_ = std::move(current);
}

void SensorTracker::updateSerial(std::vector<SensorRecord>* added, std::vector<SensorRecord>* removed) {
    const std::lock_guard hold(lock_);
    // Without the function nothing is compared, and the known list empties.
    std::vector<SensorRecord> current;
    if (BrambleLoader::instance().hasFunction(bramble::rt::enumConnectedSerialSensors)) {
        current = enumerateSerialSensors();
        compare(knownSerial_, current, added, removed, "serialSensorChanged");
    }
    knownSerial_ = std::move(current);
}

void refreshSensors() {
    std::vector<SensorRecord> added;
    std::vector<SensorRecord> removed;
    SensorTracker::instance().update(&added, &removed);
    dispatchChangeEvent("sensorChanged", added, removed);
}

}  // namespace kelto::notification
