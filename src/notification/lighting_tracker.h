#pragma once
// Lighting equipment, device class 0x10 of the run-time loaded monitor-control
// library. The tracker remembers the last scan, taken first when it is
// created, so equipment attached before its first use is never reported as
// added. Without the library's PltRetrieveEx every scan ends with 404
// "FunctionNotFoundError" and the remembered list stays as it was.

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "notification/events.h"
#include "platform/locks.h"

namespace kelto::notification {

std::vector<DeviceRecord> enumerateLightingEquipment();

// A text feature of a device (selector 1 product, 2 serial), trailing blanks
// cut; 0 on success, otherwise the failing status.
std::int32_t featureText(std::uint64_t device, std::uint16_t selector, std::string& text);

class LightingEquipmentTracker {
public:
    static LightingEquipmentTracker& instance();

    // Rescans; either list may be null. Added and removed records are appended.
    void update(std::vector<DeviceRecord>* added, std::vector<DeviceRecord>* removed);

private:
    LightingEquipmentTracker();

    kelto::RecursiveLock lock_;
    std::vector<DeviceRecord> known_;
};

}  // namespace kelto::notification
