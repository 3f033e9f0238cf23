#include "notification/lighting_tracker.h"

#include "platform/logger.h"
#include "platform/monitor_control.h"

namespace kelto::notification {

namespace {

constexpr std::uint32_t kLightingDeviceClass = 0x10;
constexpr std::uint32_t kTextFeature = 0xFF23;
constexpr std::uint16_t kProductSelector = 1;
constexpr std::uint16_t kSerialSelector = 2;
// The library reports this warning with data delivered all the same.
constexpr std::int32_t kDeliveredWithWarning = static_cast<std::int32_t>(0x80000006);
constexpr std::int32_t kNoFeatureData = static_cast<std::int32_t>(0x80000007);

bool delivered(std::int32_t status) noexcept { return status >= 0 || status == kDeliveredWithWarning; }

// A text made only of blanks stays as it is.
void trimTrailingBlanks(std::string& text) {
    const std::size_t last = text.find_last_not_of(' ');
    if (last != std::string::npos) text.erase(last + 1);
}

}  // namespace

std::int32_t featureText(std::uint64_t device, std::uint16_t selector, std::string& text) {
    libpalletLoader& library = libpalletLoader::instance();
    std::uint8_t flag = 0;
    std::uint32_t value1 = 0, value2 = 0, value3 = 1, byteCount = 0;
    const std::int32_t sized = library.invoke(pallet::rt::getFixedData, device, kTextFeature, selector, &flag, &value1,
                                              &value2, &value3, &byteCount);
    if (!delivered(sized) || byteCount == 0) return kNoFeatureData;
    std::string buffer(std::size_t{byteCount} + 1, '\0');
    const std::int32_t read =
        library.invoke(pallet::rt::getFeatureArray, device, kTextFeature, selector, buffer.data(), byteCount);
    if (!delivered(read)) return read;
    text = buffer.c_str();
    trimTrailingBlanks(text);
    return 0;
}

std::vector<DeviceRecord> enumerateLightingEquipment() {
    libpalletLoader& library = libpalletLoader::instance();
    std::vector<DeviceRecord> found;
    std::uint64_t device = 0;
    for (std::int32_t index = 0; library.invoke(pallet::rt::retrieveEx, kLightingDeviceClass, index, &device) >= 0;
         ++index) {
        std::string product, serial;
        // A device whose texts cannot be read is left out.
        if (featureText(device, kProductSelector, product) != 0) continue;
        if (featureText(device, kSerialSelector, serial) != 0) continue;
        found.push_back({device, serial, product});
    }
    return found;
}

// A failed first scan throws out of here, so the next use tries again.
LightingEquipmentTracker::LightingEquipmentTracker() {
    const std::lock_guard hold(lock_);
    known_ = enumerateLightingEquipment();
}

LightingEquipmentTracker& LightingEquipmentTracker::instance() {
    static LightingEquipmentTracker tracker;
    return tracker;
}

void LightingEquipmentTracker::update(std::vector<DeviceRecord>* added, std::vector<DeviceRecord>* removed) {
    std::vector<DeviceRecord> before;
    std::vector<DeviceRecord> after;
    {
        const std::lock_guard hold(lock_);
        before = known_;
        libpalletLoader::instance().invoke(pallet::rt::updateEx, kLightingDeviceClass);
        known_ = enumerateLightingEquipment();
        after = known_;
    }
    // Compared on the copies, after the lock is released.
    const MavelLogger& log = MavelLogger::instance();
    diffRecords(
        before, after, added, removed,
        [&](const DeviceRecord& r) { log.logEvent("lightingEquipmentChanged", deviceLogText("Add", r)); },
        [&](const DeviceRecord& r) { log.logEvent("lightingEquipmentChanged", deviceLogText("Remove", r)); });
}

}  // namespace kelto::notification
