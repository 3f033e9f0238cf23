// The four screen resources through the shipped DLL and the screen-information
// stand-in: records, enumeration, addressing, profiles and gamma ramps.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "library_harness.h"
#include "platform/handle_owner.h"
#include "platform/path.h"
#include "pocketjson/json.h"

using mavel::test::callCount;
using mavel::test::MavelLibrary;
using mavel::test::Response;
using pocketjson::Value;

namespace {

constexpr const wchar_t* kCarvel = L"libcarvel2_x64.dll";

// Dyadic fractions, so that the written doubles read as written here.
const char* const kRecordWorld = R"({"carvel2": {"screens": [
  {"deviceId": "\\\\.\\DISPLAY1", "bounds": {"x": -1366, "y": 0, "width": 1366, "height": 768},
   "colorDepth": 4294967295, "rotation": 90, "refreshRate": 59.5, "scale": {"x": 1.5, "y": 1.5},
   "renderingSize": {"width": 1366, "height": 768}, "pixelRatio": {"x": 1.5, "y": 1.5},
   "isPrimary": true, "supportsProfile": true, "supportsGraphicsCardGamma": true,
   "edid": {"isTavroMonitor": true, "manufacturer": "TVR", "productName": "CS2740", "serialNumber": "SN1",
            "preferredResolution": {"width": 2560, "height": 1440},
            "chromaticity": {"red": {"x": 0.625, "y": 0.375, "X": 9}, "green": {"x": 0.25, "y": 0.75},
                             "blue": {"x": 0.125, "y": 0.0625}, "white": {"x": 0.3125, "y": 0.328125, "Y": 1},
                             "black": {"x": 0.5, "y": 0.5}},
            "manufactureDate": {"kind": 2, "year": 2019, "week": 0}}},
  {"deviceId": "\\\\.\\DISPLAY2", "bounds": {"x": 0, "y": 0, "width": 1920, "height": 1080}, "colorDepth": 24,
   "refreshRate": 60, "scale": {"x": 0.5, "y": 0.5}, "renderingSize": {"width": 1920, "height": 1080},
   "pixelRatio": {"x": 1.5, "y": 1.5}, "isMirroring": true}]}})";

const std::string kPixelRatio = R"("pixelRatio":{"x":1.5,"y":1.5},)";
const std::string kManufactureYear = R"("manufactureYear":{"type":"ModelYear","year":2019},)";
const std::string kEdidScreen =
    R"({"bounds":{"height":768,"width":1366,"x":-1366,"y":0},"colorDepth":4294967295,"edid":{"chromaticity":)"
    R"({"blue":{"x":0.125,"y":0.0625},"green":{"x":0.25,"y":0.75},"red":{"x":0.625,"y":0.375},)"
    R"("white":{"x":0.3125,"y":0.328125}},"isTavroMonitor":true,)" +
    kManufactureYear +
    R"("manufacturer":"TVR","preferredResolution":{"height":1440,"width":2560},"productName":"CS2740",)"
    R"("serialNumber":"SN1"},"isMirroring":false,"isPrimary":true,)" +
    kPixelRatio +
    R"("refreshRate":59.5,"renderingSize":{"height":768,"width":1366},"rotation":90,"scale":{"x":1.5,"y":1.5},)"
    R"("supportsGraphicsCardGamma":true,"supportsProfile":true,"virtualSize":{"height":512,"width":911}})";
const std::string kPlainScreen =
    R"({"bounds":{"height":1080,"width":1920,"x":0,"y":0},"colorDepth":24,"isMirroring":true,"isPrimary":false,)"
    R"("pixelRatio":{"x":1.5,"y":1.5},"refreshRate":60,"renderingSize":{"height":1080,"width":1920},"rotation":0,)"
    R"("scale":{"x":0.5,"y":0.5},"supportsGraphicsCardGamma":false,"supportsProfile":false,)"
    R"("virtualSize":{"height":1080,"width":1920}})";

std::string without(std::string text, const std::string& part) {
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part)) text.erase(at, part.size());
    return text;
}

// Three 100 by 100 screens side by side at x 0, 100 and 200. The first two
// show one monitor (serial "SN", product "P"); the second takes no profile,
// the third no gamma ramp, and only the first has a profile and a card.
const char* const kRowWorld = R"({"carvel2": {"screens": [
  {"deviceId": "S0", "bounds": {"x": 0, "y": 0, "width": 100, "height": 100}, "supportsProfile": true,
   "supportsGraphicsCardGamma": true, "profile": "C:\\p0.icm", "edid": {"serialNumber": "SN", "productName": "P"}},
  {"deviceId": "S1", "bounds": {"x": 100, "y": 0, "width": 100, "height": 100},
   "supportsGraphicsCardGamma": true, "edid": {"serialNumber": "SN", "productName": "P"}},
  {"deviceId": "S2", "bounds": {"x": 200, "y": 0, "width": 100, "height": 100}, "supportsProfile": true}]},
 "ostrel": {"graphicsCards": [{"name": "Caf\u00e9 GPU", "vendor": "V", "driverName": "d.sys",
   "driverVersion": "1.2", "deviceLocationId": "PCI 1", "vram": 4096, "screens": ["S0"]}]}})";

std::string indexParams(int index) { return "{\"index\":" + std::to_string(index) + "}"; }

// The x of each screen in an answer: one record or an array of them.
std::vector<std::int64_t> boundsX(const Value& value) {
    std::vector<std::int64_t> xs;
    if (value.isObject()) xs.push_back(value.get("bounds").get("x").intValue());
    for (const Value& record : value.elements()) xs.push_back(record.get("bounds").get("x").intValue());
    return xs;
}

// Enumerated and watched, as a page does before it addresses single screens;
// failing names library functions that the stand-in makes fail.
void enumerateRow(const MavelLibrary& library, const std::string& failing = "") {
    mavel::test::loadWorld(std::string(kRowWorld).insert(13, "\"fail\":[\"" + failing + "\"],"));
    library.call("Screens", "PUT");
}

std::string profileOf(const MavelLibrary& library, int index) {
    const Response response = library.call("ScreenAtIndex", "GET", indexParams(index), R"({"profile":1})");
    return response.status == 200 ? response.value().asString() : response.errorMessage();
}

std::wstring scratchFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + name;
    const kelto::UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return path;
}

// Whole doubles are written without a fraction and read back as integers.
double number(const Value& value) {
    return value.isInteger() ? static_cast<double>(value.intValue()) : value.doubleValue();
}

bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

// One library per process: the second copy of a DLL name would be the first.
void expectRecords(const std::wstring& folder, const std::string& expected) {
    MavelLibrary library(folder);
    mavel::test::loadWorld(kRecordWorld);
    const Response response = library.call("Screens");
    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.text, R"({"error":null,"value":[)" + expected + "]}");
}

TEST(ScreenRecords, ByteForByteWithEveryFunction) {
    expectRecords(mavel::test::binFolder(), kEdidScreen + "," + kPlainScreen);
}

TEST(ScreenRecords, ByteForByteWithoutTheOptionalFunctions) {
    expectRecords(mavel::test::minimalFolder(),
                  without(without(kEdidScreen + "," + kPlainScreen, kPixelRatio), kManufactureYear));
}

TEST(ScreenRecords, VirtualSizeDividesByScalesOfAtLeastOneAndRoundsHalfUp) {
    MavelLibrary library;
    mavel::test::loadWorld(R"({"carvel2": {"screens": [
        {"scale": {"x": 2, "y": 2}, "renderingSize": {"width": 3840, "height": 2160}},
        {"scale": {"x": 0.5, "y": 1}, "renderingSize": {"width": 1366, "height": 768}},
        {"scale": {"x": 1.5, "y": 3}, "renderingSize": {"width": 1366, "height": 7}}]}})");
    library.call("Screens", "PUT");
    mavel::test::resetCallLog(kCarvel);
    const Value screens = library.call("Screens").value();
    const char* const expected[] = {R"({"height":1080,"width":1920})", R"({"height":768,"width":1366})",
                                    R"({"height":2,"width":911})"};
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(pocketjson::toJson(screens.at(i).get("virtualSize")), expected[i]) << i;
    }
    // The virtual size asks for scale and rendering size again, after their own members.
    for (const char* function : {"CrvGetScreenScale", "CrvGetScreenRenderingSize"}) {
        EXPECT_EQ(callCount(kCarvel, function), 2 * static_cast<int>(std::size(expected))) << function;
    }
}

TEST(ScreensList, EnumeratesOnFirstGetOnEveryPutAndAgainAfterDelete) {
    MavelLibrary library;
    const struct {
        std::vector<const char*> methods;
        int enumerations;
    } cases[] = {{{"GET", "GET"}, 1}, {{"PUT", "PUT"}, 2}, {{"PUT", "GET"}, 1}, {{"GET", "DELETE", "GET"}, 2}};
    for (const auto& c : cases) {
        library.call("Screens", "DELETE");
        mavel::test::resetCallLog(kCarvel);
        for (const char* method : c.methods) library.call("Screens", method);
        EXPECT_EQ(callCount(kCarvel, "CrvFindScreens"), c.enumerations) << c.methods.size() << c.methods[0];
    }
    const Response deleted = library.call("Screens", "DELETE");
    EXPECT_EQ(deleted.text, R"({"error":null,"value":null})");
    mavel::test::loadWorld(R"({"carvel2": {"screens": []}})");
    EXPECT_EQ(library.call("Screens").text, R"({"error":null,"value":[]})");
}

TEST(SingleScreens, AddressingByIndexPointAndMonitor) {
    MavelLibrary library;
    enumerateRow(library);
    const struct {
        const char* exportName;
        const char* params;
        int status;
        std::vector<std::int64_t> xs;  // the screens answered, or the error message
        const char* message;
    } cases[] = {
        {"ScreenAtIndex", "", 200, {0}, ""},
        {"ScreenAtIndex", R"({"index":1})", 200, {100}, ""},
        {"ScreenAtIndex", R"({"index":1.5})", 200, {200}, ""},
        {"ScreenAtIndex", R"({"index":"2"})", 200, {200}, ""},
        {"ScreenAtIndex", R"({"index":-1})", 200, {0}, ""},
        {"ScreenAtIndex", R"({"index":[1]})", 200, {0}, ""},
        {"ScreenAtIndex", R"({"index":3})", 400, {}, "index is invalid."},
        {"ScreensForPoint", R"({"point":"150x50"})", 200, {100}, ""},
        {"ScreensForPoint", R"({"point":"12abcx7"})", 200, {0}, ""},
        {"ScreensForPoint", R"({"point":"x250xx+50"})", 200, {200}, ""},
        {"ScreensForPoint", R"({"point":" 250x 5"})", 200, {200}, ""},
        {"ScreensForPoint", R"({"point":"100,200"})", 400, {}, "point is invalid."},
        {"ScreensForPoint", R"({"point":"150x"})", 400, {}, "point is invalid."},
        {"ScreensForPoint", R"({"point":"1x2x3"})", 400, {}, "point is invalid."},
        {"ScreensForPoint", R"({"point":"900x50"})", 404, {}, "screen is not found."},
        {"ScreensForPoint", R"({"point":"-2147483649x0"})", 404, {}, "screen is not found."},
        {"ScreensForMonitor", R"({"serial":"SN","product":"P"})", 200, {0, 100}, ""},
        {"ScreensForMonitor", R"({"serial":"P","product":"SN"})", 404, {}, "screen is not found."},
    };
    for (const auto& c : cases) {
        const Response response = library.call(c.exportName, "GET", c.params);
        EXPECT_EQ(response.status, c.status) << c.exportName << c.params;
        EXPECT_EQ(boundsX(response.value()), c.xs) << c.exportName << c.params;
        EXPECT_EQ(response.errorMessage(), c.message) << c.exportName << c.params;
    }
}

TEST(SingleScreens, FirstPresentSelectorChoosesTheAnswer) {
    MavelLibrary library;
    enumerateRow(library);
    const std::string card =
        R"({"deviceLocationId":"PCI 1","driverName":"d.sys","driverVersion":"1.2","name":"Caf\u00e9 GPU",)"
        R"("vendor":"V","vram":4096})";
    const struct {
        const char* exportName;
        const char* params;
        const char* query;
        std::string expected;  // the value; "" to compare only its kind below
    } cases[] = {
        {"ScreenAtIndex", "", R"({"gamma":1,"profile":null})", R"("C:\\p0.icm")"},
        {"ScreenAtIndex", "", R"({"graphicsCard":false})", card},
        {"ScreensForMonitor", R"({"serial":"SN","product":"P"})", R"({"graphicsCard":1})", "[" + card + ",null]"},
        {"ScreensForMonitor", R"({"serial":"SN","product":"P"})", R"({"profile":1})", ""},
    };
    for (const auto& c : cases) {
        const Response response = library.call(c.exportName, "GET", c.params, c.query);
        if (!c.expected.empty()) {
            Value expected;
            pocketjson::parseJson(expected, c.expected);
            EXPECT_EQ(pocketjson::toJson(response.value()), pocketjson::toJson(expected)) << c.query;
        } else {
            // One screen of the list has no profile: nothing partial is answered.
            EXPECT_EQ(response.text,
                      R"({"error":{"message":"Failed to get screen profile.","name":"InternalError"},"value":null})");
        }
    }
    const Value gamma = library.call("ScreenAtIndex", "GET", "", R"({"graphicsCard":1,"gamma":1})").value();
    for (const char* channel : {"red", "green", "blue"}) {
        EXPECT_EQ(gamma.get(channel).size(), 256u) << channel;
        EXPECT_EQ(number(gamma.get(channel).at(255)), 1.0) << channel;
    }
}

TEST(SingleScreens, FailuresAnswerTheirStatusAndKeepWhatWasDone) {
    const struct {
        const char* fails;  // functions the stand-in makes fail
        const char* method;
        const char* exportName;
        const char* query;
        std::string body;
        int status;
        const char* message;
    } cases[] = {
        {"CrvGetScreenProfile", "GET", "ScreenAtIndex", R"({"profile":1})", "", 500, "Failed to get screen profile."},
        {"CrvGetScreenGraphicsCardGamma", "GET", "ScreenAtIndex", R"({"gamma":1})", "", 500,
         "Failed to get screen gamma."},
        {"CrvSetScreenProfile", "DELETE", "ScreenAtIndex", R"({"profile":""})", "", 500,
         "Failed to remove screen profile."},
        {"", "PUT", "ScreensForMonitor", "", R"({"profile":"C:\\new.icm"})", 500, "Failed to set screen profile."},
        {"", "PUT", "ScreensForMonitor", "", R"({"profile":"C:\\new.icm","gamma":{}})", 500,
         "Failed to set screen profile."},
        {"", "PUT", "ScreenAtIndex", "", R"({"profile":"C:\\new.icm","gamma":{"red":[0]}})", 400,
         "gamma.red is invalid size."},
        {"", "PUT", "ScreenAtIndex", "", R"({"gamma":{"red":")" + std::string(256, 'r') + R"(","green":[1]}})", 400,
         "gamma.green is invalid size."},
        {"", "PUT", "ScreenAtIndex", "",
         R"({"gamma":{"red":")" + std::string(256, 'r') + R"(","green":")" + std::string(256, 'g') + R"("}})", 400,
         "gamma.blue is invalid size."},
        {"", "PUT", "ScreenAtIndex", "", "{}", 400, "data must contains profile or gamma."},
        {"", "PUT", "ScreenAtIndex", "", "not json", 400, "data must contains profile or gamma."},
    };
    for (const auto& c : cases) {
        MavelLibrary library;
        enumerateRow(library, c.fails);
        const std::string params =
            std::string(c.exportName) == "ScreenAtIndex" ? "" : R"({"serial":"SN","product":"P"})";
        const Response response = library.call(c.exportName, c.method, params, c.query, c.body);
        EXPECT_EQ(response.status, c.status) << c.body << c.fails;
        EXPECT_EQ(response.errorMessage(), c.message) << c.body << c.fails;
    }
}

TEST(SingleScreens, WhatAFailedPutDidStaysDone) {
    MavelLibrary library;
    enumerateRow(library);
    // The first screen of the monitor takes the profile before the second refuses it.
    library.call("ScreensForMonitor", "PUT", R"({"serial":"SN","product":"P"})", "", R"({"profile":"C:\\m.icm"})");
    EXPECT_EQ(profileOf(library, 0), "C:\\m.icm");
    // The profile is set before the invalid ramp is found.
    library.call("ScreenAtIndex", "PUT", indexParams(2), "", R"({"profile":"C:\\g.icm","gamma":{"red":[1]}})");
    EXPECT_EQ(profileOf(library, 2), "C:\\g.icm");
    // An empty path still reaches the library.
    mavel::test::resetCallLog(kCarvel);
    library.call("ScreenAtIndex", "PUT", "", "", R"({"profile":""})");
    EXPECT_EQ(callCount(kCarvel, "CrvSetScreenProfile"), 1);
}

TEST(SingleScreens, GammaRampsTakeTheFirst256EntriesAsNumbers) {
    MavelLibrary library;
    enumerateRow(library);
    std::string red = "[";
    for (int i = 0; i < 300; ++i) red += std::to_string(i * 0.5 - 10) + (i < 299 ? "," : "]");
    std::string green = R"([true, false, "0.25", " 7", "x", null, {}, [1], 3)";
    for (int i = 9; i < 256; ++i) green += ",0";
    green += "]";
    const std::string body =
        R"({"gamma":{"red":)" + red + R"(,"green":)" + green + R"(,"blue":")" + std::string(256, '9') + "\"}}";
    ASSERT_EQ(library.call("ScreenAtIndex", "PUT", "", "", body).status, 200);

    const Value gamma = library.call("ScreenAtIndex", "GET", "", R"({"gamma":1})").value();
    EXPECT_EQ(gamma.get("red").size(), 256u);
    EXPECT_EQ(number(gamma.get("red").at(0)), -10.0);
    EXPECT_EQ(number(gamma.get("red").at(255)), 117.5);
    const double greenStart[] = {1, 0, 0.25, 7, 0, 0, 0, 0, 3};
    for (std::size_t i = 0; i < std::size(greenStart); ++i) {
        EXPECT_EQ(number(gamma.get("green").at(i)), greenStart[i]) << i;
    }
    for (const Value& entry : gamma.get("blue").elements()) EXPECT_EQ(number(entry), 0.0);
}

TEST(SingleScreens, DeleteDetachesTheProfileAndDeletesExactlyTheNamedFile) {
    MavelLibrary library;
    enumerateRow(library);
    const std::wstring named = scratchFile(L"mavel-named.icm");
    const std::wstring other = scratchFile(L"mavel-other.icm");

    // Without "profile" nothing happens.
    EXPECT_EQ(library.call("ScreenAtIndex", "DELETE").status, 200);
    EXPECT_EQ(profileOf(library, 0), "C:\\p0.icm");

    const std::string query = "{\"profile\":" + mavel::test::jsonString(fs::toUtf8(named)) + "}";
    EXPECT_EQ(library.call("ScreenAtIndex", "DELETE", "", query).text, R"({"error":null,"value":null})");
    EXPECT_FALSE(exists(named));
    EXPECT_TRUE(exists(other));
    EXPECT_EQ(profileOf(library, 0), "Failed to get screen profile.");

    // An empty name detaches and deletes nothing.
    library.call("ScreenAtIndex", "PUT", indexParams(2), "", R"({"profile":"C:\\x.icm"})");
    EXPECT_EQ(library.call("ScreenAtIndex", "DELETE", indexParams(2), R"({"profile":""})").status, 200);
    EXPECT_EQ(profileOf(library, 2), "Failed to get screen profile.");
    EXPECT_TRUE(exists(other));
    DeleteFileW(other.c_str());
}
