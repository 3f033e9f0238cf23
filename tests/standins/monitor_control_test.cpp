// The monitor-control stand-ins: controllers of libpltc_x64.dll and lighting
// equipment of libpallet_x64.dll, both answering from a known list that only a
// rescan refreshes.

#include <gtest/gtest.h>

#include <string>

#include "standin_test_support.h"

namespace {

using standin_test::Module;

TEST(StandinPltc, ControllersAreKnownFromOneRescanToTheNext) {
    const Module pltc{L"libpltc_x64.dll"};
    auto find = [&] { return pltc.function<std::int32_t(std::uint32_t, std::uint32_t)>("PltCtrlFind")(0, 0); };
    auto monitors = pltc.function<std::uint32_t()>("PltCtrlGetNumMonitors");
    auto serialProduct = pltc.function<std::int32_t(std::uint32_t, char*, char*)>("PltCtrlGetSerialProduct");
    auto hidHandle = pltc.function<std::int32_t(const char*, const char*, std::uint64_t*)>("PltCtrlGetHIDHandle");
    // Larger than the 9 and 17 bytes the caller passes, to see nothing is written beyond those.
    std::string serial(12, '#'), product(20, '#');
    std::uint64_t handle = 0;

    EXPECT_EQ(monitors(), 0u);
    EXPECT_LT(serialProduct(0, serial.data(), product.data()), 0);
    EXPECT_GE(find(), 0);
    ASSERT_EQ(monitors(), 1u);
    ASSERT_GE(serialProduct(0, serial.data(), product.data()), 0);
    EXPECT_STREQ(serial.data(), "45012345");
    EXPECT_STREQ(product.data(), "CS2740");
    EXPECT_LT(serialProduct(1, serial.data(), product.data()), 0);

    ASSERT_TRUE(pltc.loadWorld(R"({"pltc": {"controllers": [{"serial": "45012345", "product": "CS2740"},
        {"serial": "123456789AB", "product": "ABCDEFGHIJKLMNOPQRS", "hidHandle": "0xFFFFFFFF00000001"}]}})"));
    EXPECT_EQ(monitors(), 1u);
    find();
    ASSERT_EQ(monitors(), 2u);
    ASSERT_GE(serialProduct(1, serial.data(), product.data()), 0);
    EXPECT_STREQ(serial.data(), "12345678");
    EXPECT_STREQ(product.data(), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(serial[9], '#');
    EXPECT_EQ(product[17], '#');
    EXPECT_GE(hidHandle(serial.data(), product.data(), &handle), 0);
    EXPECT_EQ(handle, 0xFFFFFFFF00000001u);

    ASSERT_TRUE(pltc.loadWorld(R"({"pltc": {}})"));
    find();
    EXPECT_EQ(monitors(), 0u);
    EXPECT_LT(hidHandle("45012345", "CS2740", &handle), 0);
}

class StandinPallet : public ::testing::Test {
protected:
    static constexpr std::uint32_t kLighting = 0x10;
    static constexpr std::uint32_t kText = 0xFF23;
    Module pallet{L"libpallet_x64.dll"};

    void update() const { pallet.function<std::int32_t(std::uint32_t)>("PltUpdateEx")(kLighting); }
    std::int32_t retrieve(std::int32_t index, std::uint64_t& handle) const {
        return pallet.function<std::int32_t(std::uint32_t, std::int32_t, std::uint64_t*)>("PltRetrieveEx")(
            kLighting, index, &handle);
    }
    // The caller's way: out-values preset to 0, 0, 0, 1; the last is the text length.
    std::int32_t textLength(std::uint64_t handle, std::uint16_t selector, std::uint32_t& length) const {
        std::uint8_t flag = 0;
        std::uint32_t value1 = 0, value2 = 0, value3 = 0;
        length = 1;
        return pallet.function<std::int32_t(std::uint64_t, std::uint32_t, std::uint16_t, std::uint8_t*, std::uint32_t*,
                                            std::uint32_t*, std::uint32_t*, std::uint32_t*)>("PltGetFixedData")(
            handle, kText, selector, &flag, &value1, &value2, &value3, &length);
    }
    std::int32_t textBytes(std::uint64_t handle, std::uint16_t selector, std::string& text) const {
        return pallet.function<std::int32_t(std::uint64_t, std::uint32_t, std::uint16_t, void*, std::uint32_t)>(
            "PltGetFeatureArray")(handle, kText, selector, text.data(), static_cast<std::uint32_t>(text.size()));
    }
};

TEST_F(StandinPallet, EquipmentIsKnownFromOneUpdateToTheNext) {
    std::uint64_t handle = 0;
    EXPECT_LT(retrieve(0, handle), 0);
    update();
    ASSERT_GE(retrieve(0, handle), 0);
    EXPECT_EQ(handle, 0x2001u);
    EXPECT_LT(retrieve(1, handle), 0);
    EXPECT_LT(retrieve(-1, handle), 0);

    ASSERT_TRUE(pallet.loadWorld(R"({"pallet": {"equipment": [{"handle": 5}, {"handle": 6}]}})"));
    EXPECT_LT(retrieve(1, handle), 0);
    update();
    ASSERT_GE(retrieve(1, handle), 0);
    EXPECT_EQ(handle, 6u);
}

TEST_F(StandinPallet, CodeOfPartialSuccessStillDeliversTheTextAndOtherFailuresDeliverNothing) {
    ASSERT_TRUE(pallet.loadWorld(R"({"pallet": {"known": [
        {"handle": 1, "product": "P", "serial": "S-1  ", "serialCode": "0x80000006"},
        {"handle": 2, "product": "Q", "serial": "S-2", "productCode": "0x80000010"}]}})"));
    constexpr auto kPartialSuccess = static_cast<std::int32_t>(0x80000006u);
    std::uint32_t length = 0;
    std::string text(8, '\0');
    EXPECT_EQ(textLength(1, 2, length), kPartialSuccess);
    EXPECT_EQ(length, 5u);  // trailing blanks kept, no terminating zero
    EXPECT_EQ(textBytes(1, 2, text), kPartialSuccess);
    EXPECT_STREQ(text.c_str(), "S-1  ");

    text.assign(8, '\0');
    EXPECT_EQ(textLength(2, 1, length), static_cast<std::int32_t>(0x80000010u));
    EXPECT_EQ(length, 1u);
    EXPECT_LT(textBytes(2, 1, text), 0);
    EXPECT_STREQ(text.c_str(), "");
    EXPECT_EQ(textLength(2, 2, length), 0);
    EXPECT_EQ(length, 3u);
}

}  // namespace
