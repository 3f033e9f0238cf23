#include "notification/events.h"

#include <windows.h>

#include "platform/closed_libraries.h"
#include "platform/library_text.h"
#include "pocketjson/json.h"

namespace kelto::notification {

namespace {

using pocketjson::Value;
using pocketjson::ValueType;

constexpr std::int64_t kTicksPerMillisecond = 10000;

// Sixteen lower-case hexadecimal digits, zero-padded.
std::string hex16(std::uint64_t number) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text(16, '0');
    for (auto digit = text.rbegin(); digit != text.rend(); ++digit, number >>= 4) *digit = kDigits[number & 0xF];
    return text;
}

Value changeOf(Value added, Value removed) {
    Value change;
    change["added"] = std::move(added);
    change["removed"] = std::move(removed);
    return change;
}

}  // namespace

std::int64_t nowTicks() noexcept { return static_cast<std::int64_t>(GetTickCount64()) * kTicksPerMillisecond; }

std::uint32_t elapsedMilliseconds(std::int64_t sinceTicks) noexcept {
    return static_cast<std::uint32_t>((nowTicks() - sinceTicks) / kTicksPerMillisecond);
}

std::string deviceLogText(const char* verb, const DeviceRecord& record) {
    return std::string(verb) + " " + record.product + "(" + record.serial + ")";
}

Value deviceRecordsValue(const std::vector<DeviceRecord>& records) {
    Value list(ValueType::Array);
    for (const DeviceRecord& record : records) {
        Value device;
        device["serial"] = utf8FromAnsi(record.serial.c_str());
        device["product"] = utf8FromAnsi(record.product.c_str());
        list.append(device);
    }
    return list;
}

Value sensorRecordsValue(const std::vector<SensorRecord>& records) {
    Value list(ValueType::Array);
    for (const SensorRecord& record : records) {
        Value sensor;
        sensor["deviceID"] = record.deviceID;
        if (record.individualID != 0) sensor["individualID"] = hex16(record.individualID);
        list.append(sensor);
    }
    return list;
}

Value changeValue(const std::vector<DeviceRecord>& added, const std::vector<DeviceRecord>& removed) {
    return changeOf(deviceRecordsValue(added), deviceRecordsValue(removed));
}

Value changeValue(const std::vector<SensorRecord>& added, const std::vector<SensorRecord>& removed) {
    return changeOf(sensorRecordsValue(added), sensorRecordsValue(removed));
}

void dispatchChangeEvent(const char* eventName, const std::vector<DeviceRecord>& added,
                         const std::vector<DeviceRecord>& removed) {
    if (added.empty() && removed.empty()) return;
    dispatchEvent(eventName, pocketjson::toJson(changeValue(added, removed)));
}

void dispatchChangeEvent(const char* eventName, const std::vector<SensorRecord>& added,
                         const std::vector<SensorRecord>& removed) {
    if (added.empty() && removed.empty()) return;
    dispatchEvent(eventName, pocketjson::toJson(changeValue(added, removed)));
}

void dispatchEvent(const char* eventName, const std::string& payload) noexcept {
    BridgeHelperDispatchEvent(eventName, payload.c_str());
}

}  // namespace kelto::notification
