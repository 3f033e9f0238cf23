#pragma once
// What every event of the library shares: the tick clock that spaces native
// messages, the two device record types with their JSON forms, the
// comparison of an old and a new device list, and the sending of a change.

#include <cstdint>
#include <string>
#include <vector>

#include "pocketjson/value.h"

namespace kelto::notification {

// The system's millisecond uptime in 100-nanosecond units.
std::int64_t nowTicks() noexcept;
// Whole milliseconds since a nowTicks() reading, compared as unsigned 32 bits.
std::uint32_t elapsedMilliseconds(std::int64_t sinceTicks) noexcept;

// A monitor controller or a piece of lighting equipment; the handle is not
// part of its identity.
struct DeviceRecord {
    std::uint64_t handle = 0;
    std::string serial;
    std::string product;

    friend bool operator==(const DeviceRecord& a, const DeviceRecord& b) noexcept {
        return a.serial == b.serial && a.product == b.product;
    }
};

struct SensorRecord {
    std::uint32_t deviceID = 0;
    std::uint64_t individualID = 0;  // 0 when the library reports none

    friend bool operator==(const SensorRecord&, const SensorRecord&) noexcept = default;
};

// The tracker log text of a device: "Add P(S)" for verb "Add", product P, serial S.
std::string deviceLogText(const char* verb, const DeviceRecord& record);

pocketjson::Value deviceRecordsValue(const std::vector<DeviceRecord>& records);
pocketjson::Value sensorRecordsValue(const std::vector<SensorRecord>& records);

// {"added":[...],"removed":[...]}, the form of every device change.
pocketjson::Value changeValue(const std::vector<DeviceRecord>& added, const std::vector<DeviceRecord>& removed);
pocketjson::Value changeValue(const std::vector<SensorRecord>& added, const std::vector<SensorRecord>& removed);

// Sends the change unless both lists are empty.
void dispatchChangeEvent(const char* eventName, const std::vector<DeviceRecord>& added,
                         const std::vector<DeviceRecord>& removed);
void dispatchChangeEvent(const char* eventName, const std::vector<SensorRecord>& added,
                         const std::vector<SensorRecord>& removed);

// Appends to added what only the new list holds (then calls onAdded with it)
// and to removed what only the old list holds (then calls onRemoved, the
// tracker's removal action and log line). Either output may be null, which
// skips that half and its callback. Duplicates are kept: a record twice in
// the new list and never in the old one is added twice.
template <class Record, class OnAdded, class OnRemoved>
void diffRecords(const std::vector<Record>& oldRecords, const std::vector<Record>& newRecords,
                 std::vector<Record>* added, std::vector<Record>* removed, OnAdded onAdded, OnRemoved onRemoved) {
    const auto contains = [](const std::vector<Record>& list, const Record& record) {
        for (const Record& candidate : list) {
            if (candidate == record) return true;
        }
        return false;
    };
    for (const Record& record : newRecords) {
        if (added == nullptr || contains(oldRecords, record)) continue;
        added->push_back(record);
        onAdded(record);
    }
    for (const Record& record : oldRecords) {
        if (removed == nullptr || contains(newRecords, record)) continue;
        removed->push_back(record);
        onRemoved(record);
    }
}

// Hands an event to the bridge host; payload is UTF-8 and need not be JSON.
void dispatchEvent(const char* eventName, const std::string& payload) noexcept;

}  // namespace kelto::notification
