#include "edid.h"

#include <algorithm>
#include <array>
#include <numeric>

namespace provider::edid {
namespace {

constexpr std::array<std::uint8_t, 8> kHeader{0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
constexpr std::size_t kDescriptors = 54, kDescriptorSize = 18, kDescriptorCount = 4;
constexpr std::uint8_t kSerialTag = 0xFF, kNameTag = 0xFC;

using Block = std::span<const std::uint8_t, kBlockSize>;

bool isValid(Block block) {
    if (!std::equal(kHeader.begin(), kHeader.end(), block.begin())) return false;
    return std::accumulate(block.begin(), block.end(), 0u) % 256 == 0;
}

// Three five-bit letters, 1 = 'A', in a big-endian word.
std::string manufacturerId(Block block) {
    const unsigned word = (block[8] << 8) | block[9];
    std::string id;
    for (const int shift : {10, 5, 0}) {
        const unsigned letter = (word >> shift) & 0x1F;
        id += letter >= 1 && letter <= 26 ? static_cast<char>('A' + letter - 1) : '?';
    }
    return id;
}

// A display descriptor's text: up to 13 bytes, ended by a line feed and
// padded with spaces.
std::string descriptorText(std::span<const std::uint8_t> descriptor) {
    std::string text;
    for (const std::uint8_t byte : descriptor.subspan(5, 13)) {
        if (byte == 0x0A || byte == 0x00) break;
        text += static_cast<char>(byte);
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

// Ten-bit fractions: eight high bits in their own byte, two low bits packed
// in bytes 25 and 26.
double fraction(Block block, std::size_t highByte, std::size_t lowByte, int lowShift) {
    const unsigned value = (block[highByte] << 2) | ((block[lowByte] >> lowShift) & 0x3);
    return value / 1024.0;
}

Chromaticity chromaticity(Block block) {
    Chromaticity c;
    c.red = {fraction(block, 27, 25, 6), fraction(block, 28, 25, 4)};
    c.green = {fraction(block, 29, 25, 2), fraction(block, 30, 25, 0)};
    c.blue = {fraction(block, 31, 26, 6), fraction(block, 32, 26, 4)};
    c.white = {fraction(block, 33, 26, 2), fraction(block, 34, 26, 0)};
    return c;
}

std::string hex4(unsigned value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text(4, '0');
    for (int i = 3; i >= 0; --i, value >>= 4) text[i] = kDigits[value & 0xF];
    return text;
}

void readDescriptor(std::span<const std::uint8_t> descriptor, Edid& edid, bool& timingSeen) {
    const bool isTiming = descriptor[0] != 0 || descriptor[1] != 0;
    if (isTiming) {
        if (timingSeen) return;
        timingSeen = true;
        edid.width = descriptor[2] | ((descriptor[4] & 0xF0) << 4);
        edid.height = descriptor[5] | ((descriptor[7] & 0xF0) << 4);
    } else if (descriptor[3] == kSerialTag) {
        edid.serialNumber = descriptorText(descriptor);
    } else if (descriptor[3] == kNameTag) {
        edid.productName = descriptorText(descriptor);
    }
}

}  // namespace

std::optional<Edid> parse(std::span<const std::uint8_t> data) {
    if (data.size() < kBlockSize) return std::nullopt;
    const Block block = data.first<kBlockSize>();
    if (!isValid(block)) return std::nullopt;

    Edid edid;
    edid.manufacturer = manufacturerId(block);
    edid.productCode = static_cast<std::uint16_t>(block[10] | (block[11] << 8));
    const std::uint32_t serial = block[12] | (block[13] << 8) | (block[14] << 16) | (std::uint32_t{block[15]} << 24);
    edid.modelYear = block[16] == 0xFF;
    edid.week = edid.modelYear ? 0 : block[16];
    edid.year = 1990u + block[17];
    edid.version = block[18];
    edid.revision = block[19];
    edid.chromaticity = chromaticity(block);

    bool timingSeen = false;
    for (std::size_t i = 0; i < kDescriptorCount; ++i) {
        readDescriptor(block.subspan(kDescriptors + i * kDescriptorSize, kDescriptorSize), edid, timingSeen);
    }
    if (edid.productName.empty()) edid.productName = hex4(edid.productCode);
    if (edid.serialNumber.empty() && serial != 0) edid.serialNumber = std::to_string(serial);
    return edid;
}

}  // namespace provider::edid
