// The screen-information stand-in: enumeration state, handle lifetimes and the
// profile size protocol.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/closed_libraries.h"
#include "standin_test_support.h"

namespace {

using standin_test::Module;
using Handle = void*;

constexpr const char* kOneScreen = R"({"carvel2": {"screens": [{"deviceId": "\\\\.\\DISPLAY7",
    "bounds": {"width": 800, "height": 600}, "supportsProfile": false}]}})";

class StandinCarvel2 : public ::testing::Test {
protected:
    Module carvel{L"libcarvel2_x64.dll"};

    std::int32_t find() const { return carvel.function<std::int32_t()>("CrvFindScreens")(); }
    void release() const { carvel.function<void()>("CrvReleaseScreens")(); }
    std::uint32_t count() const { return carvel.function<std::uint32_t()>("CrvGetScreenCount")(); }
    Handle at(std::uint32_t index) const {
        return carvel.function<Handle(std::uint32_t)>("CrvGetScreenAtIndex")(index);
    }
    std::int32_t width(Handle screen) const {
        return carvel.function<CrvRect(Handle)>("CrvGetScreenBounds")(screen).width;
    }
    Handle edid(Handle screen) const { return carvel.function<Handle(Handle)>("CrvGetScreenEdid")(screen); }
    std::string text(const char* function, Handle handle) const {
        return carvel.function<const char*(Handle)>(function)(handle);
    }
    std::int32_t getProfile(Handle screen, char* buffer, std::uint32_t* size) const {
        return carvel.function<std::int32_t(Handle, char*, std::uint32_t*)>("CrvGetScreenProfile")(screen, buffer,
                                                                                                   size);
    }
};

TEST_F(StandinCarvel2, ScreensAreListedFromTheLastFindUntilTheRelease) {
    EXPECT_EQ(count(), 0u);
    EXPECT_EQ(at(0), nullptr);
    EXPECT_NE(find(), 0);
    EXPECT_EQ(count(), 2u);
    EXPECT_NE(at(1), nullptr);
    EXPECT_EQ(at(2), nullptr);

    ASSERT_TRUE(carvel.loadWorld(kOneScreen));
    EXPECT_EQ(count(), 2u);
    EXPECT_NE(find(), 0);
    ASSERT_EQ(count(), 1u);
    EXPECT_EQ(width(at(0)), 800);
    EXPECT_EQ(edid(at(0)), nullptr);  // and a null handle reads as empty
    EXPECT_EQ(text("CrvGetEdidProductName", edid(at(0))), "");
    release();
    EXPECT_EQ(count(), 0u);
    EXPECT_EQ(at(0), nullptr);
    EXPECT_EQ(carvel.callCount("CrvFindScreens"), 2);
}

TEST_F(StandinCarvel2, HandlesOfEarlierEnumerationsStayReadable) {
    find();
    Handle old = at(0);
    Handle oldEdid = edid(old);
    ASSERT_TRUE(carvel.loadWorld(kOneScreen));
    find();
    EXPECT_NE(at(0), old);
    release();
    EXPECT_EQ(width(old), 2560);
    EXPECT_EQ(text("CrvGetWindowsScreenDeviceId", old), "\\\\.\\DISPLAY1");
    EXPECT_EQ(text("CrvGetEdidProductName", oldEdid), "CS2740");
}

TEST_F(StandinCarvel2, ProfileSizeCountsTheTerminatingZeroAndATooSmallBufferOnlyGetsTheSize) {
    constexpr const char* kDemoProfile = "C:\\windows\\system32\\spool\\drivers\\color\\sRGB Color Space Profile.icm";
    find();
    std::uint32_t size = 0;
    ASSERT_NE(getProfile(at(0), nullptr, &size), 0);
    EXPECT_EQ(size, std::strlen(kDemoProfile) + 1);
    std::vector<char> buffer(size, 'x');
    std::uint32_t smallSize = size - 1;
    EXPECT_EQ(getProfile(at(0), buffer.data(), &smallSize), 0);
    EXPECT_EQ(smallSize, size);
    ASSERT_NE(getProfile(at(0), buffer.data(), &size), 0);
    EXPECT_STREQ(buffer.data(), kDemoProfile);
    EXPECT_EQ(getProfile(at(0), nullptr, nullptr), 0);
}

}  // namespace
