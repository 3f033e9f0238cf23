#include "notification/monitor_tracker.h"

#include <string>

#include "notification/sensor_library.h"
#include "platform/logger.h"
#include "platform/monitor_control.h"

namespace kelto::notification {

namespace {

void tellSensorLibrary(ExportedFunction<void(const char*, const char*)> function,
                       const std::vector<DeviceRecord>& controllers) {
    for (const DeviceRecord& controller : controllers) {
        BrambleLoader::instance().invokeIfPresent(function, controller.serial.c_str(), controller.product.c_str());
    }
}

}  // namespace

std::vector<DeviceRecord> enumerateMonitorControllers() {
    std::vector<DeviceRecord> controllers;
    const std::uint32_t count = PltCtrlGetNumMonitors();
    for (std::uint32_t index = 0; index < count; ++index) {
        char serial[9] = {};
        char product[17] = {};
        if (PltCtrlGetSerialProduct(index, serial, product) < 0) continue;
        // The library fills at most 8 and 16 characters; the last byte stays a terminator.
        serial[8] = product[16] = '\0';
        std::uint64_t hidHandle = 0;
        PltCtrlGetHIDHandle(serial, product, &hidHandle);
        controllers.push_back({hidHandle, serial, product});
    }
    return controllers;
}

MonitorTracker& MonitorTracker::instance() {
    static MonitorTracker tracker;
    return tracker;
}

void MonitorTracker::update(std::vector<DeviceRecord>* added, std::vector<DeviceRecord>* removed) {
    const std::lock_guard hold(lock_);
    const SensorLibraryLock sensors;
    const std::vector<DeviceRecord> before = enumerateMonitorControllers();
    tellSensorLibrary(bramble::rt::preUpdateBuiltInSensorHandle, before);
    PltCtrlFind(0, 0);
    const std::vector<DeviceRecord> after = enumerateMonitorControllers();
    tellSensorLibrary(bramble::rt::updateBuiltInSensorHandle, after);
    const MavelLogger& log = MavelLogger::instance();
    diffRecords(
        before, after, added, removed,
        [&](const DeviceRecord& r) { log.logEvent("monitorChanged", deviceLogText("Add", r)); },
        [&](const DeviceRecord& r) {
            removeSensor(bramble::rt::getHandleForHIDHandle, r.handle);
            log.logEvent("monitorChanged", deviceLogText("Remove", r));
        });
}

}  // namespace kelto::notification
