#pragma once
// Measurement sensors (listed by the measurement-device library) and serial
// sensors (listed by the optional sensor library). The tracker remembers the
// last scan of each, taken first when it is created, so sensors attached
// before its first use are never reported as added.

#include <mutex>
#include <vector>

#include "notification/events.h"
#include "platform/locks.h"

namespace kelto::notification {

std::vector<SensorRecord> enumerateSensors();
// Empty when the sensor library cannot list serial sensors.
std::vector<SensorRecord> enumerateSerialSensors();

class SensorTracker {
public:
    static SensorTracker& instance();

    // Rescan; either list may be null. Added and removed records are appended.
    void update(std::vector<SensorRecord>* added, std::vector<SensorRecord>* removed);
    void updateSerial(std::vector<SensorRecord>* added, std::vector<SensorRecord>* removed);

private:
    SensorTracker();

    std::vector<SensorRecord> known_;
    std::vector<SensorRecord> knownSerial_;
    kelto::RecursiveLock lock_;
};

// Rescans sensors and sends "sensorChanged" when something changed.
void refreshSensors();

}  // namespace kelto::notification
