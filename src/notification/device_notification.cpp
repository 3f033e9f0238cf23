#include "notification/device_notification.h"

#include <vector>

#include "notification/device_change.h"
#include "notification/lighting_tracker.h"
#include "notification/monitor_tracker.h"
#include "notification/sensor_tracker.h"

namespace kelto::bridge {

namespace {

using notification::DeviceRecord;
using notification::SensorRecord;
using pocketjson::Value;

}  // namespace

BridgeResult DeviceNotification::onGet(const RequestArgs& args) {
    uri += "DeviceNotification";
    requireBadRequest(args.query().hasKey("supports"), "'supports' query is only supported.");
    return BridgeResult(Value(true));
}

// The changes go into the answer, never into an event; the trackers now know
// them, so later events report only later changes.
BridgeResult DeviceNotification::onPut(const RequestArgs&) {
    uri += "DeviceNotification";
    notification::registerDeviceNotification();
    std::vector<DeviceRecord> monitorsAdded, monitorsRemoved, lightingAdded, lightingRemoved;
    std::vector<SensorRecord> sensorsAdded, sensorsRemoved;
    notification::MonitorTracker::instance().update(&monitorsAdded, &monitorsRemoved);
    notification::SensorTracker::instance().update(&sensorsAdded, &sensorsRemoved);
    notification::LightingEquipmentTracker::instance().update(&lightingAdded, &lightingRemoved);
    Value answer;
    answer["monitors"] = notification::changeValue(monitorsAdded, monitorsRemoved);
    answer["sensors"] = notification::changeValue(sensorsAdded, sensorsRemoved);
    answer["lightingEquipments"] = notification::changeValue(lightingAdded, lightingRemoved);
    answer["supports"] = true;
    return BridgeResult(answer);
}

BridgeResult DeviceNotification::onDelete(const RequestArgs&) {
    uri += "DeviceNotification";
    notification::unregisterDeviceNotification();
    return BridgeResult();
}

}  // namespace kelto::bridge
