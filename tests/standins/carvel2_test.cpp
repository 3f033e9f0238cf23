// The screen-information stand-in: enumeration state, handle lifetimes,
// lookups, the profile size protocol, gamma and the minimal variant.

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "standin_abi_types.h"
#include "standin_test_support.h"

namespace {

using standin_test::Json;
using standin_test::Module;

using Handle = void*;
using Ramp = std::array<double, 256>;

constexpr const char* kDemoProfile = "C:\\windows\\system32\\spool\\drivers\\color\\sRGB Color Space Profile.icm";

class StandinCarvel2 : public ::testing::Test {
protected:
    Module carvel = Module::full(L"libcarvel2_x64.dll");

    std::int32_t find() const { return carvel.function<std::int32_t()>("CrvFindScreens")(); }
    void release() const { carvel.function<void()>("CrvReleaseScreens")(); }
    std::uint32_t count() const { return carvel.function<std::uint32_t()>("CrvGetScreenCount")(); }
    Handle at(std::uint32_t index) const { return carvel.function<Handle(std::uint32_t)>("CrvGetScreenAtIndex")(index); }
    CrvRect bounds(Handle screen) const { return carvel.function<CrvRect(Handle)>("CrvGetScreenBounds")(screen); }
    Handle edid(Handle screen) const { return carvel.function<Handle(Handle)>("CrvGetScreenEdid")(screen); }
    std::string deviceId(Handle screen) const {
        return carvel.function<const char*(Handle)>("CrvGetWindowsScreenDeviceId")(screen);
    }

    std::uint32_t countAt(std::int32_t x, std::int32_t y) const {
        const CrvPoint point = carvel.function<CrvPoint(std::int32_t, std::int32_t)>("CrvPointMake")(x, y);
        return carvel.function<std::uint32_t(CrvPoint)>("CrvGetScreenCountForPoint")(point);
    }
    Handle screenAt(std::int32_t x, std::int32_t y, std::uint32_t index) const {
        return carvel.function<Handle(CrvPoint, std::uint32_t)>("CrvGetScreenForPointAtIndex")(CrvPoint{x, y}, index);
    }

    // Size protocol of CrvGetScreenProfile: ask for the size, then read.
    std::int32_t profile(Handle screen, std::string& path) const {
        auto get = carvel.function<std::int32_t(Handle, char*, std::uint32_t*)>("CrvGetScreenProfile");
        std::uint32_t size = 0;
        if (get(screen, nullptr, &size) == 0) return 0;
        std::vector<char> buffer(size, '\0');
        const std::int32_t ok = get(screen, buffer.data(), &size);
        path = buffer.data();
        return ok;
    }
    std::int32_t setProfile(Handle screen, const char* path) const {
        return carvel.function<std::int32_t(Handle, const char*)>("CrvSetScreenProfile")(screen, path);
    }

    std::int32_t gamma(Handle screen, Ramp& red, Ramp& green, Ramp& blue) const {
        return carvel.function<std::int32_t(Handle, double*, double*, double*)>("CrvGetScreenGraphicsCardGamma")(
            screen, red.data(), green.data(), blue.data());
    }
    std::int32_t setGamma(Handle screen, const Ramp& red, const Ramp& green, const Ramp& blue) const {
        return carvel.function<std::int32_t(Handle, const double*, const double*, const double*)>(
            "CrvSetScreenGraphicsCardGamma")(screen, red.data(), green.data(), blue.data());
    }
};

Json oneScreen(int width) {
    return {{"carvel2",
             {{"screens",
               {{{"deviceId", "\\\\.\\DISPLAY7"},
                 {"bounds", {{"x", 0}, {"y", 0}, {"width", width}, {"height", 600}}},
                 {"supportsProfile", false},
                 {"supportsGraphicsCardGamma", true}}}}}}};
}

TEST_F(StandinCarvel2, ScreenCountIsZeroUntilFoundAndAfterRelease) {
    EXPECT_EQ(count(), 0u);
    EXPECT_EQ(at(0), nullptr);
    EXPECT_NE(find(), 0);
    EXPECT_EQ(count(), 2u);
    EXPECT_NE(at(1), nullptr);
    EXPECT_EQ(at(2), nullptr);
    release();
    EXPECT_EQ(count(), 0u);
    EXPECT_EQ(at(0), nullptr);
    EXPECT_EQ(carvel.callCount("CrvFindScreens"), 1);
    EXPECT_EQ(carvel.callCount("CrvGetScreenCount"), 3);
}

TEST_F(StandinCarvel2, OnlyANewEnumerationSeesAChangedWorld) {
    find();
    ASSERT_TRUE(carvel.loadWorld(oneScreen(800)));
    EXPECT_EQ(count(), 2u);
    find();
    ASSERT_EQ(count(), 1u);
    EXPECT_EQ(bounds(at(0)).width, 800);
    EXPECT_EQ(edid(at(0)), nullptr);
}

TEST_F(StandinCarvel2, HandlesFromEarlierEnumerationsStayReadable) {
    find();
    Handle old = at(0);
    Handle oldEdid = edid(old);
    const char* oldId = carvel.function<const char*(Handle)>("CrvGetWindowsScreenDeviceId")(old);
    ASSERT_TRUE(carvel.loadWorld(oneScreen(800)));
    find();
    EXPECT_NE(at(0), old);
    release();

    EXPECT_EQ(bounds(old).width, 2560);
    EXPECT_STREQ(oldId, "\\\\.\\DISPLAY1");
    EXPECT_STREQ(carvel.function<const char*(Handle)>("CrvGetEdidProductName")(oldEdid), "CS2740");
}

TEST_F(StandinCarvel2, NullAndForeignHandlesReadAsZeros) {
    find();
    int foreign = 0;
    for (Handle handle : {Handle{nullptr}, Handle{&foreign}}) {
        const CrvRect r = bounds(handle);
        EXPECT_EQ(r.width + r.height + r.x + r.y, 0);
        EXPECT_EQ(deviceId(handle), "");
        EXPECT_EQ(edid(handle), nullptr);
        EXPECT_STREQ(carvel.function<const char*(Handle)>("CrvGetEdidSerialNumber")(handle), "");
        const CrvChromaticity c = carvel.function<CrvChromaticity(Handle)>("CrvGetEdidChromaticity")(handle);
        EXPECT_EQ(c.red.x + c.white.y, 0.0);
        std::string path;
        EXPECT_EQ(profile(handle, path), 0);
    }
    // A screen handle is no EDID handle.
    EXPECT_STREQ(carvel.function<const char*(Handle)>("CrvGetEdidManufacturer")(at(0)), "");
}

TEST_F(StandinCarvel2, DemoScreensCarryFullRecords) {
    find();
    Handle primary = at(0);
    EXPECT_EQ(deviceId(primary), "\\\\.\\DISPLAY1");
    EXPECT_EQ(carvel.function<std::uint32_t(Handle)>("CrvGetScreenColorDepth")(primary), 32u);
    EXPECT_DOUBLE_EQ(carvel.function<double(Handle)>("CrvGetScreenRefreshRate")(primary), 60.0);
    EXPECT_NE(carvel.function<std::int32_t(Handle)>("CrvIsScreenPrimary")(primary), 0);
    EXPECT_EQ(carvel.function<std::int32_t(Handle)>("CrvIsScreenPrimary")(at(1)), 0);
    const CrvVector2 scale = carvel.function<CrvVector2(Handle)>("CrvGetScreenScale")(primary);
    EXPECT_DOUBLE_EQ(scale.x, 1.25);
    const CrvVector2 ratio = carvel.function<CrvVector2(Handle)>("CrvGetScreenPixelRatio")(primary);
    EXPECT_DOUBLE_EQ(ratio.y, 1.25);

    Handle e = edid(primary);
    ASSERT_NE(e, nullptr);
    EXPECT_NE(carvel.function<std::int32_t(Handle)>("CrvIsEdidTavroMonitor")(e), 0);
    EXPECT_STREQ(carvel.function<const char*(Handle)>("CrvGetEdidSerialNumber")(e), "45012345");
    const CrvSize preferred = carvel.function<CrvSize(Handle)>("CrvGetEdidPreferredResolution")(e);
    EXPECT_EQ(preferred.width, 2560);
    EXPECT_EQ(preferred.height, 1440);
    const CrvChromaticity c = carvel.function<CrvChromaticity(Handle)>("CrvGetEdidChromaticity")(e);
    EXPECT_DOUBLE_EQ(c.red.x, 0.6797);
    EXPECT_DOUBLE_EQ(c.white.y, 0.3291);
    const CrvManufactureDate date = carvel.function<CrvManufactureDate(Handle)>("CrvGetEdidManufactureYear")(e);
    EXPECT_EQ(date.kind, 1u);
    EXPECT_EQ(date.year, 2021u);
    EXPECT_EQ(date.week, 14u);
}

TEST_F(StandinCarvel2, ColourFieldsLandAtTheirOffsets) {
    ASSERT_TRUE(carvel.loadWorld(R"({"carvel2": {"screens": [{"edid": {"chromaticity": {
        "black": {"cyan": 1, "X": 2, "T": 6500, "L": 3, "h": 4}}}}]}})"));
    find();
    const CrvChromaticity c = carvel.function<CrvChromaticity(Handle)>("CrvGetEdidChromaticity")(edid(at(0)));
    EXPECT_DOUBLE_EQ(c.black.cyan, 1.0);
    EXPECT_DOUBLE_EQ(c.black.X, 2.0);
    EXPECT_EQ(c.black.T, 6500u);
    EXPECT_DOUBLE_EQ(c.black.L, 3.0);
    EXPECT_DOUBLE_EQ(c.black.h, 4.0);
    EXPECT_DOUBLE_EQ(c.red.x, 0.0);
}

TEST_F(StandinCarvel2, MonitorLookupMatchesSerialAndProduct) {
    find();
    auto countFor = carvel.function<std::uint32_t(const char*, const char*)>("CrvGetScreenCountForMonitor");
    auto screenFor = carvel.function<Handle(const char*, const char*, std::uint32_t)>("CrvGetScreenForMonitorAtIndex");
    EXPECT_EQ(countFor("45012345", "CS2740"), 1u);
    EXPECT_EQ(screenFor("45012345", "CS2740", 0), at(0));
    EXPECT_EQ(screenFor("45012345", "CS2740", 1), nullptr);
    EXPECT_EQ(countFor("45012345", "View 24F"), 0u);
    EXPECT_EQ(countFor(nullptr, "CS2740"), 0u);
}

TEST_F(StandinCarvel2, PointLookupListsScreensContainingThePoint) {
    find();
    EXPECT_EQ(countAt(2559, 1439), 1u);
    EXPECT_EQ(screenAt(2559, 0, 0), at(0));
    EXPECT_EQ(screenAt(2560, 0, 0), at(1));
    EXPECT_EQ(countAt(2560, 1080), 0u);
    EXPECT_EQ(countAt(-1, 0), 0u);

    ASSERT_TRUE(carvel.loadWorld(R"({"carvel2": {"screens": [
        {"bounds": {"width": 100, "height": 100}, "isMirroring": true},
        {"bounds": {"width": 100, "height": 100}, "isMirroring": true}]}})"));
    find();
    EXPECT_EQ(countAt(50, 50), 2u);
    EXPECT_EQ(screenAt(50, 50, 1), at(1));
}

TEST_F(StandinCarvel2, ProfileSizeIncludesTheTerminatingZero) {
    find();
    auto get = carvel.function<std::int32_t(Handle, char*, std::uint32_t*)>("CrvGetScreenProfile");
    std::uint32_t size = 0;
    ASSERT_NE(get(at(0), nullptr, &size), 0);
    EXPECT_EQ(size, std::strlen(kDemoProfile) + 1);

    std::vector<char> small(size - 1, 'x');
    std::uint32_t smallSize = size - 1;
    EXPECT_EQ(get(at(0), small.data(), &smallSize), 0);
    EXPECT_EQ(smallSize, size);

    std::vector<char> buffer(size, 'x');
    ASSERT_NE(get(at(0), buffer.data(), &size), 0);
    EXPECT_STREQ(buffer.data(), kDemoProfile);
    EXPECT_EQ(get(at(0), nullptr, nullptr), 0);
}

TEST_F(StandinCarvel2, ProfileCanBeReplacedDetachedAndOutlivesReEnumeration) {
    find();
    std::string path;
    ASSERT_NE(setProfile(at(0), "C:\\profiles\\wide.icc"), 0);
    ASSERT_NE(profile(at(0), path), 0);
    EXPECT_EQ(path, "C:\\profiles\\wide.icc");

    ASSERT_NE(setProfile(at(1), nullptr), 0);
    EXPECT_EQ(profile(at(1), path), 0);

    find();
    ASSERT_NE(profile(at(0), path), 0);
    EXPECT_EQ(path, "C:\\profiles\\wide.icc");
    EXPECT_EQ(profile(at(1), path), 0);

    ASSERT_TRUE(carvel.loadWorld(oneScreen(640)));
    find();
    EXPECT_EQ(profile(at(0), path), 0);
    EXPECT_EQ(setProfile(at(0), "C:\\x.icc"), 0);  // this screen supports no profile
}

TEST_F(StandinCarvel2, GammaRampsRoundTripAndStartAsIdentity) {
    find();
    Ramp red{}, green{}, blue{};
    ASSERT_NE(gamma(at(0), red, green, blue), 0);
    EXPECT_DOUBLE_EQ(red[0], 0.0);
    EXPECT_DOUBLE_EQ(green[255], 1.0);
    EXPECT_NEAR(blue[51], 0.2, 1e-12);

    Ramp flat{};
    flat.fill(0.5);
    red.fill(0.25);
    ASSERT_NE(setGamma(at(0), red, flat, flat), 0);
    find();
    Ramp readRed{}, readGreen{}, readBlue{};
    ASSERT_NE(gamma(at(0), readRed, readGreen, readBlue), 0);
    EXPECT_EQ(readRed, red);
    EXPECT_EQ(readBlue, flat);
    EXPECT_EQ(carvel.function<std::int32_t(Handle, double*, double*, double*)>("CrvGetScreenGraphicsCardGamma")(
                  at(0), readRed.data(), nullptr, readBlue.data()),
              0);
}

TEST_F(StandinCarvel2, FailListMakesTheNamedFunctionsFail) {
    Json world = oneScreen(640);
    world["carvel2"]["fail"] = {"CrvFindScreens"};
    ASSERT_TRUE(carvel.loadWorld(world));
    EXPECT_EQ(find(), 0);
    EXPECT_EQ(count(), 0u);

    world["carvel2"]["fail"] = {"CrvGetScreenGraphicsCardGamma", "CrvGetWindowsScreenDeviceId"};
    ASSERT_TRUE(carvel.loadWorld(world));
    EXPECT_NE(find(), 0);
    Ramp red{}, green{}, blue{};
    EXPECT_EQ(gamma(at(0), red, green, blue), 0);
    EXPECT_NE(setGamma(at(0), red, green, blue), 0);
    EXPECT_EQ(deviceId(at(0)), "");
}

TEST_F(StandinCarvel2, RampsOfTheWrongLengthMakeTheWorldInvalid) {
    EXPECT_FALSE(carvel.loadWorld(R"({"carvel2": {"screens": [{"gamma": {"red": [0, 1]}}]}})"));
    find();
    EXPECT_EQ(count(), 2u);
}

TEST(StandinCarvel2Minimal, LacksPixelRatioAndManufactureYear) {
    const Module carvel = Module::minimal(L"libcarvel2_x64.dll");
    EXPECT_FALSE(carvel.exports("CrvGetScreenPixelRatio"));
    EXPECT_FALSE(carvel.exports("CrvGetEdidManufactureYear"));
    EXPECT_NE(carvel.function<std::int32_t()>("CrvFindScreens")(), 0);
    EXPECT_EQ(carvel.function<std::uint32_t()>("CrvGetScreenCount")(), 2u);
}

}  // namespace
