// The monitor-control stand-ins: controllers of libpltc_x64.dll and lighting
// equipment of libpallet_x64.dll, both answering from a list that only a
// rescan refreshes.

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "standin_test_support.h"

namespace {

using standin_test::Module;

constexpr std::uint32_t kLighting = 0x10;
constexpr std::uint32_t kTextFeature = 0xFF23;
constexpr std::int32_t kPartialSuccess = static_cast<std::int32_t>(0x80000006u);

class StandinPltc : public ::testing::Test {
protected:
    Module pltc = Module::full(L"libpltc_x64.dll");

    std::int32_t find() const { return pltc.function<std::int32_t(std::uint32_t, std::uint32_t)>("PltCtrlFind")(0, 0); }
    std::uint32_t monitors() const { return pltc.function<std::uint32_t()>("PltCtrlGetNumMonitors")(); }
    std::int32_t serialProduct(std::uint32_t index, char* serial, char* product) const {
        return pltc.function<std::int32_t(std::uint32_t, char*, char*)>("PltCtrlGetSerialProduct")(index, serial,
                                                                                                   product);
    }
    std::int32_t hidHandle(const char* serial, const char* product, std::uint64_t* handle) const {
        return pltc.function<std::int32_t(const char*, const char*, std::uint64_t*)>("PltCtrlGetHIDHandle")(
            serial, product, handle);
    }
};

TEST_F(StandinPltc, ControllersAreKnownOnlyAfterARescan) {
    EXPECT_EQ(monitors(), 0u);
    char serial[9] = {};
    char product[17] = {};
    EXPECT_LT(serialProduct(0, serial, product), 0);

    find();
    ASSERT_EQ(monitors(), 1u);
    ASSERT_GE(serialProduct(0, serial, product), 0);
    EXPECT_STREQ(serial, "45012345");
    EXPECT_STREQ(product, "CS2740");
    EXPECT_LT(serialProduct(1, serial, product), 0);
    std::uint64_t handle = 0;
    EXPECT_GE(hidHandle(serial, product, &handle), 0);
    EXPECT_EQ(handle, 0x1001u);
}

TEST_F(StandinPltc, AttachingAndDetachingShowAtTheNextRescan) {
    find();
    ASSERT_TRUE(pltc.loadWorld(R"({"pltc": {"controllers": [
        {"serial": "A1", "product": "P1", "hidHandle": 1}, {"serial": "B2", "product": "P2", "hidHandle": 2}]}})"));
    EXPECT_EQ(monitors(), 1u);
    find();
    EXPECT_EQ(monitors(), 2u);
    std::uint64_t handle = 0;
    EXPECT_LT(hidHandle("45012345", "CS2740", &handle), 0);
    EXPECT_EQ(handle, 0u);

    ASSERT_TRUE(pltc.loadWorld(R"({"pltc": {}})"));
    EXPECT_EQ(monitors(), 2u);
    find();
    EXPECT_EQ(monitors(), 0u);
}

TEST_F(StandinPltc, LongTextsAreCutToTheBuffersAndStillFindTheController) {
    ASSERT_TRUE(pltc.loadWorld(R"({"pltc": {"known": [
        {"serial": "123456789AB", "product": "ABCDEFGHIJKLMNOPQRS", "hidHandle": "0xFFFFFFFF00000001"}]}})"));
    ASSERT_EQ(monitors(), 1u);
    std::array<char, 12> serial;
    std::array<char, 20> product;
    serial.fill('#');
    product.fill('#');
    ASSERT_GE(serialProduct(0, serial.data(), product.data()), 0);
    EXPECT_STREQ(serial.data(), "12345678");
    EXPECT_STREQ(product.data(), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(serial[9], '#');
    EXPECT_EQ(product[17], '#');

    std::uint64_t handle = 0;
    EXPECT_GE(hidHandle(serial.data(), product.data(), &handle), 0);
    EXPECT_EQ(handle, 0xFFFFFFFF00000001u);
}

TEST_F(StandinPltc, FailingRescanKeepsTheKnownList) {
    ASSERT_TRUE(pltc.loadWorld(R"({"pltc": {"controllers": [{"serial": "S", "product": "P"}],
        "fail": ["PltCtrlFind", "PltCtrlGetHIDHandle"]}})"));
    EXPECT_LT(find(), 0);
    EXPECT_EQ(monitors(), 0u);
    EXPECT_EQ(pltc.callCount("PltCtrlFind"), 1);
}

class StandinPallet : public ::testing::Test {
protected:
    Module pallet = Module::full(L"libpallet_x64.dll");

    void update() const { pallet.function<std::int32_t(std::uint32_t)>("PltUpdateEx")(kLighting); }
    std::int32_t retrieve(std::int32_t index, std::uint64_t* handle) const {
        return pallet.function<std::int32_t(std::uint32_t, std::int32_t, std::uint64_t*)>("PltRetrieveEx")(
            kLighting, index, handle);
    }
    // The call as the caller makes it: out-values preset to 0, 0, 0, 1.
    std::int32_t fixedData(std::uint64_t handle, std::uint32_t feature, std::uint16_t selector,
                           std::uint32_t& byteCount) const {
        std::uint8_t flag = 0;
        std::uint32_t value1 = 0, value2 = 0, value3 = 0;
        byteCount = 1;
        return pallet.function<std::int32_t(std::uint64_t, std::uint32_t, std::uint16_t, std::uint8_t*,
                                            std::uint32_t*, std::uint32_t*, std::uint32_t*, std::uint32_t*)>(
            "PltGetFixedData")(handle, feature, selector, &flag, &value1, &value2, &value3, &byteCount);
    }
    std::int32_t featureArray(std::uint64_t handle, std::uint16_t selector, char* buffer, std::uint32_t length) const {
        return pallet.function<std::int32_t(std::uint64_t, std::uint32_t, std::uint16_t, void*, std::uint32_t)>(
            "PltGetFeatureArray")(handle, kTextFeature, selector, buffer, length);
    }
    // Reads a text the way the caller does: byte count, then the bytes.
    std::string text(std::uint64_t handle, std::uint16_t selector) const {
        std::uint32_t byteCount = 0;
        fixedData(handle, kTextFeature, selector, byteCount);
        std::string buffer(byteCount + 1, '\0');
        featureArray(handle, selector, buffer.data(), byteCount);
        return buffer.c_str();
    }
};

TEST_F(StandinPallet, EquipmentIsListedAfterAnUpdate) {
    std::uint64_t handle = 0;
    EXPECT_LT(retrieve(0, &handle), 0);
    update();
    ASSERT_GE(retrieve(0, &handle), 0);
    EXPECT_EQ(handle, 0x2001u);
    EXPECT_LT(retrieve(1, &handle), 0);
    EXPECT_LT(retrieve(-1, &handle), 0);
    EXPECT_EQ(text(handle, 1), "Viewing Booth L2");
    EXPECT_EQ(text(handle, 2), "LB2-0042");
}

TEST_F(StandinPallet, ByteCountIsTheTextLengthWithTrailingBlanksKept) {
    ASSERT_TRUE(pallet.loadWorld(R"({"pallet": {"known": [{"handle": 7, "product": "Lamp   ", "serial": "   "}]}})"));
    std::uint32_t byteCount = 0;
    ASSERT_EQ(fixedData(7, kTextFeature, 1, byteCount), 0);
    EXPECT_EQ(byteCount, 7u);
    std::array<char, 8> buffer{};
    ASSERT_EQ(featureArray(7, 1, buffer.data(), 4), 0);
    EXPECT_STREQ(buffer.data(), "Lamp");
    EXPECT_EQ(text(7, 2), "   ");
}

TEST_F(StandinPallet, PartialSuccessCodeStillDeliversTheText) {
    ASSERT_TRUE(pallet.loadWorld(R"({"pallet": {"known": [
        {"handle": 1, "product": "P", "serial": "S-1", "serialCode": "0x80000006"},
        {"handle": 2, "product": "Q", "serial": "S-2", "productCode": "0x80000010"}]}})"));
    std::uint32_t byteCount = 0;
    EXPECT_EQ(fixedData(1, kTextFeature, 2, byteCount), kPartialSuccess);
    EXPECT_EQ(byteCount, 3u);
    std::array<char, 4> buffer{};
    EXPECT_EQ(featureArray(1, 2, buffer.data(), 3), kPartialSuccess);
    EXPECT_STREQ(buffer.data(), "S-1");

    EXPECT_EQ(fixedData(2, kTextFeature, 1, byteCount), static_cast<std::int32_t>(0x80000010u));
    EXPECT_EQ(byteCount, 1u);  // untouched
    buffer.fill('\0');
    EXPECT_LT(featureArray(2, 1, buffer.data(), 3), 0);
    EXPECT_STREQ(buffer.data(), "");
    EXPECT_EQ(fixedData(2, kTextFeature, 2, byteCount), 0);
}

TEST_F(StandinPallet, UnknownDevicesFeaturesAndSelectorsAreRefused) {
    update();
    std::uint32_t byteCount = 0;
    EXPECT_LT(fixedData(0x9999, kTextFeature, 1, byteCount), 0);
    EXPECT_LT(fixedData(0x2001, 0xFF24, 1, byteCount), 0);
    EXPECT_LT(fixedData(0x2001, kTextFeature, 3, byteCount), 0);
    EXPECT_EQ(byteCount, 1u);
}

TEST_F(StandinPallet, FailListRefusesTheNamedFunction) {
    ASSERT_TRUE(pallet.loadWorld(R"({"pallet": {"known": [{"handle": 1, "product": "P", "serial": "S"}],
        "fail": ["PltGetFeatureArray"]}})"));
    std::uint32_t byteCount = 0;
    EXPECT_EQ(fixedData(1, kTextFeature, 1, byteCount), 0);
    std::array<char, 2> buffer{};
    EXPECT_LT(featureArray(1, 1, buffer.data(), 1), 0);
}

TEST(StandinPalletMinimal, LacksRetrieveEx) {
    const Module pallet = Module::minimal(L"libpallet_x64.dll");
    EXPECT_FALSE(pallet.exports("PltRetrieveEx"));
    EXPECT_TRUE(pallet.exports("PltUpdateEx"));
    EXPECT_TRUE(pallet.exports("PltGetFixedData"));
    EXPECT_TRUE(pallet.exports("PltGetFeatureArray"));
}

}  // namespace
