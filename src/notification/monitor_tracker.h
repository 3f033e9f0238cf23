#pragma once
// Monitor controllers, as the imported monitor-control library lists them.
// The tracker keeps no list: what the library reports before and after its
// rescan is the change, and the sensor library is kept informed, since a
// monitor's built-in sensor is tied to its controller.

#include <mutex>
#include <vector>

#include "notification/events.h"
#include "platform/locks.h"

namespace kelto::notification {

std::vector<DeviceRecord> enumerateMonitorControllers();

class MonitorTracker {
public:
    static MonitorTracker& instance();

    // Rescans; either list may be null. Added and removed records are appended.
    void update(std::vector<DeviceRecord>* added, std::vector<DeviceRecord>* removed);

private:
    MonitorTracker() = default;

    kelto::RecursiveLock lock_;
};

}  // namespace kelto::notification
