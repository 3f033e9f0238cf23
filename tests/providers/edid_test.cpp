// EDID base blocks made by hand from the published 1.3/1.4 layout.

#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <ostream>
#include <string>
#include <vector>

#include "edid.h"

namespace {

using provider::edid::parse;

struct Timing {
    unsigned width, height;
};

struct BlockFacts {
    char letters[4] = "DEL";
    std::uint16_t productCode = 0xA0C4;
    std::uint32_t serial = 0;
    std::uint8_t week = 12, yearSince1990 = 28, version = 1, revision = 3;
    Timing timing{1920, 1200};
    std::string name = "DELL U2415";
    std::string serialText = "7MT0185S0L3L";  // no serial descriptor when empty
    // Ten-bit chromaticity values: red, green, blue, white, each x then y.
    unsigned chroma[8] = {655, 338, 307, 614, 154, 61, 320, 337};
};

void textDescriptor(std::uint8_t* at, std::uint8_t tag, const std::string& text) {
    at[3] = tag;
    std::fill(at + 5, at + 18, 0x20);
    std::copy(text.begin(), text.end(), at + 5);
    if (text.size() < 13) at[5 + text.size()] = 0x0A;
}

std::vector<std::uint8_t> block(const BlockFacts& f) {
    std::vector<std::uint8_t> b(128, 0);
    b[1] = b[2] = b[3] = b[4] = b[5] = b[6] = 0xFF;
    const unsigned word = ((f.letters[0] - '@') << 10) | ((f.letters[1] - '@') << 5) | (f.letters[2] - '@');
    b[8] = word >> 8, b[9] = word & 0xFF;
    b[10] = f.productCode & 0xFF, b[11] = f.productCode >> 8;
    for (int i = 0; i < 4; ++i) b[12 + i] = (f.serial >> (8 * i)) & 0xFF;
    b[16] = f.week, b[17] = f.yearSince1990, b[18] = f.version, b[19] = f.revision;
    const unsigned* c = f.chroma;
    b[25] = ((c[0] & 3) << 6) | ((c[1] & 3) << 4) | ((c[2] & 3) << 2) | (c[3] & 3);
    b[26] = ((c[4] & 3) << 6) | ((c[5] & 3) << 4) | ((c[6] & 3) << 2) | (c[7] & 3);
    for (int i = 0; i < 8; ++i) b[27 + i] = c[i] >> 2;
    // First descriptor: the preferred timing (a pixel clock makes it one).
    b[54] = 0x01, b[55] = 0x1D;
    b[56] = f.timing.width & 0xFF, b[58] = (f.timing.width >> 8) << 4;
    b[59] = f.timing.height & 0xFF, b[61] = (f.timing.height >> 8) << 4;
    if (!f.name.empty()) textDescriptor(&b[72], 0xFC, f.name);
    if (!f.serialText.empty()) textDescriptor(&b[90], 0xFF, f.serialText);
    textDescriptor(&b[108], 0xFE, "IGNORED");
    b[127] = static_cast<std::uint8_t>(256 - std::accumulate(b.begin(), b.end() - 1, 0u) % 256);
    return b;
}

struct Case {
    const char* what;
    BlockFacts facts;
    const char* manufacturer;
    const char* productName;
    const char* serialNumber;
    unsigned width, height, week, year;
    bool modelYear;
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.what; }

class EdidTable : public testing::TestWithParam<Case> {};

TEST_P(EdidTable, ReadsTheMonitorsOwnDescription) {
    const Case& c = GetParam();
    const auto edid = parse(block(c.facts));
    ASSERT_TRUE(edid.has_value());
    EXPECT_EQ(edid->manufacturer, c.manufacturer);
    EXPECT_EQ(edid->productName, c.productName);
    EXPECT_EQ(edid->serialNumber, c.serialNumber);
    EXPECT_EQ(edid->width, c.width);
    EXPECT_EQ(edid->height, c.height);
    EXPECT_EQ(edid->week, c.week);
    EXPECT_EQ(edid->year, c.year);
    EXPECT_EQ(edid->modelYear, c.modelYear);
    EXPECT_EQ(edid->version, c.facts.version);
    EXPECT_EQ(edid->revision, c.facts.revision);
}

BlockFacts without(BlockFacts facts, std::string BlockFacts::*text) {
    facts.*text = "";
    return facts;
}

BlockFacts changed(BlockFacts facts, void (*change)(BlockFacts&)) {
    change(facts);
    return facts;
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, EdidTable,
    testing::Values(
        Case{"version 1.3 with name and serial", {}, "DEL", "DELL U2415", "7MT0185S0L3L", 1920, 1200, 12, 2018, false},
        Case{"no serial descriptor: the number",
             changed(without({}, &BlockFacts::serialText), [](BlockFacts& f) { f.serial = 16843009; }), "DEL",
             "DELL U2415", "16843009", 1920, 1200, 12, 2018, false},
        Case{"no serial at all", without({}, &BlockFacts::serialText), "DEL", "DELL U2415", "", 1920, 1200, 12, 2018,
             false},
        Case{"no name: the product code", without({}, &BlockFacts::name), "DEL", "A0C4", "7MT0185S0L3L", 1920, 1200, 12,
             2018, false},
        Case{"version 1.4 model year, 4K, 13-letter texts",
             changed({},
                     [](BlockFacts& f) {
                         std::copy_n("GSM", 4, f.letters);
                         f.week = 0xFF, f.yearSince1990 = 30, f.revision = 4;
                         f.timing = {3840, 2160};
                         f.name = "LG HDR 4K 27\"";
                         f.serialText = "SN 12  ";
                     }),
             "GSM", "LG HDR 4K 27\"", "SN 12", 3840, 2160, 0, 2020, true},
        Case{"week not given", changed({}, [](BlockFacts& f) { f.week = 0; }), "DEL", "DELL U2415", "7MT0185S0L3L",
             1920, 1200, 0, 2018, false}),
    [](const testing::TestParamInfo<Case>& info) { return "Case" + std::to_string(info.index); });

TEST(Edid, ChromaticityIsTenBitFractions) {
    const BlockFacts facts;
    const auto edid = parse(block(facts));
    ASSERT_TRUE(edid.has_value());
    const auto& c = edid->chromaticity;
    const provider::edid::Chromaticity::Point points[] = {c.red, c.green, c.blue, c.white};
    for (int i = 0; i < 4; ++i) {
        EXPECT_DOUBLE_EQ(points[i].x, facts.chroma[2 * i] / 1024.0) << "point " << i;
        EXPECT_DOUBLE_EQ(points[i].y, facts.chroma[2 * i + 1] / 1024.0) << "point " << i;
    }
}

TEST(Edid, RefusesDamagedBlocks) {
    const std::vector<std::uint8_t> good = block({});
    struct Damage {
        const char* what;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Damage> damages{{"checksum", good}, {"header", good}, {"short", good}, {"empty", {}}};
    damages[0].bytes[100] ^= 0x01;
    damages[1].bytes[0] = 0x01, damages[1].bytes[127] -= 1;  // checksum still right
    damages[2].bytes.resize(127);
    for (const Damage& damage : damages) EXPECT_FALSE(parse(damage.bytes).has_value()) << damage.what;
    std::vector<std::uint8_t> longer = good;
    longer.resize(256, 0xAB);  // an extension block follows
    EXPECT_TRUE(parse(longer).has_value());
}

}  // namespace
