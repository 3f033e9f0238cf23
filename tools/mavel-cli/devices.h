#pragma once
// The USB devices mavel-cli shows (devices) and attaches or detaches while it
// watches (--plug, --unplug): which stand-in world section lists each kind,
// the device it plugs in and the instance id the configuration manager
// reports for it. Nothing here needs Windows, so that tests can reach it.

#include <span>
#include <string>
#include <string_view>

#include "pocketjson/value.h"

namespace mavel::cli {

struct DeviceKind {
    std::string_view name;   // as --plug and --unplug know it
    std::string_view label;  // as devices prints it
    const wchar_t* standinFile;
    const char* section;
    const char* list;
    const char* identity;  // the member that tells two devices of the kind apart
    // What the library reads the vendor and product from.
    const char* instanceId;
    pocketjson::Value (*make)(int ordinal);
    std::string (*describe)(const pocketjson::Value& device);
};

std::span<const DeviceKind> deviceKinds() noexcept;
const DeviceKind* findDeviceKind(std::string_view name) noexcept;

// One line per device of the kind listed in the section ("<label>  none" when
// there is none), each ending in a line break.
std::string devicesText(const DeviceKind& kind, const pocketjson::Value& section);

// Both edit a section read from a stand-in so that it can be loaded back: the
// plugged device is the kind's first one whose identity the list lacks; the
// unplugged one is the list's last (null when the list is empty).
pocketjson::Value plugDevice(const DeviceKind& kind, pocketjson::Value& section);
pocketjson::Value unplugDevice(const DeviceKind& kind, pocketjson::Value& section);

}  // namespace mavel::cli
