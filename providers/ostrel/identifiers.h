#pragma once
// Identifiers that Windows hands out as packed data or text: the firmware's
// system record and USB hardware ids. Plain C++, tested on any system.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace provider {

// The firmware's system-information record (SMBIOS type 1), from the raw
// table GetSystemFirmwareTable('RSMB') returns; texts in the firmware's bytes.
struct SystemRecord {
    std::string vendor, model, serialNumber;
};
std::optional<SystemRecord> parseSystemRecord(std::span<const std::uint8_t> rawTable);

// "USB\VID_046D&PID_C52B&REV_1201": vendor, product and release (bcdDevice),
// all hexadecimal. Nothing unless both VID and PID are there.
struct UsbIds {
    std::int32_t vendor = 0, product = 0, release = 0;
};
std::optional<UsbIds> parseUsbHardwareId(std::wstring_view id);

}  // namespace provider
