#include "devices.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <optional>

namespace mavel::cli {

namespace {

using pocketjson::Value;

// Worlds write integers as numbers or as texts such as "0x1001".
std::optional<std::uint64_t> integerOf(const Value& value) {
    if (value.isInteger()) return static_cast<std::uint64_t>(value.intValue());
    if (!value.isString()) return std::nullopt;
    std::string_view text = value.stringValue();
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
        base = 16;
    }
    std::uint64_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number, base);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return number;
}

std::string decimal(const Value& value) {
    const std::optional<std::uint64_t> number = integerOf(value);
    return number ? std::to_string(*number) : value.asString();
}

// The form the library's sensor events give individual ids in.
std::string hex16(const Value& value) {
    std::array<char, 16> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), integerOf(value).value_or(0), 16).ptr;
    const auto written = static_cast<std::size_t>(end - digits.data());
    return std::string(digits.size() - written, '0') + std::string(digits.data(), written);
}

// prefix followed by number, zero-padded to width digits.
std::string numbered(std::string_view prefix, int number, std::size_t width) {
    std::string digits = std::to_string(number);
    if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
    return std::string(prefix) + digits;
}

std::string productAndSerial(const Value& device) {
    return device.get("product").asString() + " (" + device.get("serial").asString() + ")";
}

Value newController(int ordinal) {
    Value device;
    device["serial"] = numbered("451", ordinal, 5);
    device["product"] = "CS2740";
    device["hidHandle"] = 0x1100 + ordinal;
    return device;
}

Value newSensor(int ordinal) {
    Value device;
    device["deviceID"] = 4097;
    device["individualID"] = 0x1A2B3C + ordinal;
    return device;
}

Value newSerialSensor(int ordinal) {
    Value device;
    device["deviceID"] = 24577 + ordinal;
    return device;
}

Value newLightingEquipment(int ordinal) {
    Value device;
    device["handle"] = 0x2100 + ordinal;
    device["product"] = "Viewing Booth L2";
    device["serial"] = numbered("LB2-", 100 + ordinal, 4);
    return device;
}

// The instance ids carry the vendor and product the library sorts devices by.
constexpr std::array<DeviceKind, 4> kDeviceKinds{{
    {"monitor", "monitor controller", L"libpltc_x64.dll", "pltc", "controllers", "serial",
     "USB\\VID_056D&PID_4014\\6&1A2B3C4D&0&1", &newController, &productAndSerial},
    {"sensor", "sensor", L"libtrellis_x64.dll", "trellis", "devices", "individualID",
     "USB\\VID_0765&PID_5020\\6&1A2B3C4D&0&2", &newSensor,
     [](const Value& device) {
         return "device " + decimal(device.get("deviceID")) + ", individual ID " + hex16(device.get("individualID"));
     }},
    {"serial-sensor", "serial sensor", L"libbramble.dll", "bramble", "serialSensors", "deviceID",
     "USB\\VID_0403&PID_6001\\6&1A2B3C4D&0&3", &newSerialSensor,
     [](const Value& device) { return "device " + decimal(device.get("deviceID")); }},
    {"lighting", "lighting equipment", L"libpallet_x64.dll", "pallet", "equipment", "serial",
     "USB\\VID_056D&PID_8100\\6&1A2B3C4D&0&4", &newLightingEquipment, &productAndSerial},
}};

constexpr std::size_t kLabelWidth = 20;

// A world's "known" list would replace what the library last scanned.
Value::Array& editableList(const DeviceKind& kind, Value& section) {
    section.mutableMembers().erase("known");
    return section[kind.list].mutableElements();
}

}  // namespace

std::span<const DeviceKind> deviceKinds() noexcept { return kDeviceKinds; }

const DeviceKind* findDeviceKind(std::string_view name) noexcept {
    const auto found = std::ranges::find(kDeviceKinds, name, &DeviceKind::name);
    return found != kDeviceKinds.end() ? &*found : nullptr;
}

std::string devicesText(const DeviceKind& kind, const Value& section) {
    std::string label(kind.label);
    label.resize(kLabelWidth, ' ');
    std::string text;
    for (const Value& device : section.get(kind.list).elements()) {
        text.append(label).append(kind.describe(device)).append("\n");
    }
    return text.empty() ? label + "none\n" : text;
}

Value plugDevice(const DeviceKind& kind, Value& section) {
    Value::Array& list = editableList(kind, section);
    const auto inList = [&](const Value& device) {
        return std::ranges::any_of(list, [&](const Value& listed) {
            return decimal(listed.get(kind.identity)) == decimal(device.get(kind.identity));
        });
    };
    Value device = kind.make(1);
    for (int ordinal = 2; inList(device); ++ordinal) {
        device = kind.make(ordinal);
    }
    list.push_back(device);
    return device;
}

Value unplugDevice(const DeviceKind& kind, Value& section) {
    Value::Array& list = editableList(kind, section);
    if (list.empty()) return Value();
    Value device = list.back();
    list.pop_back();
    return device;
}

}  // namespace mavel::cli
