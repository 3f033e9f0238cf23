#pragma once
// The monitor's own description of itself (EDID base block, versions 1.3 and
// 1.4). Plain C++ on bytes, so it is tested on any system.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace provider::edid {

inline constexpr std::size_t kBlockSize = 128;

struct Chromaticity {
    struct Point {
        double x = 0, y = 0;
    };
    Point red, green, blue, white;
};

struct Edid {
    std::string manufacturer;  // the three-letter PNP id, "GSM"
    std::uint16_t productCode = 0;
    std::string productName;              // the monitor name descriptor, or the product code in hex
    std::string serialNumber;             // the serial descriptor, or the serial number in decimal
    std::uint32_t width = 0, height = 0;  // the preferred (first detailed) timing
    Chromaticity chromaticity;
    // The week (0 when not given) and year of manufacture; a monitor that
    // gives a model year instead says week 0xFF.
    bool modelYear = false;
    std::uint32_t week = 0, year = 0;
    std::uint8_t version = 0, revision = 0;
};

// The base block, read from the first 128 bytes; nothing when the header or
// the checksum is wrong or the data is short.
std::optional<Edid> parse(std::span<const std::uint8_t> data);

}  // namespace provider::edid
