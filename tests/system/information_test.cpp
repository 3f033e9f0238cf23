// "System/Information" through the shipped DLL against the system-information
// stand-in: section selection, members, text conversion. This file is UTF-8,
// so a text written here is the UTF-8 the library must answer.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library_harness.h"

using mavel::test::callCount;
using mavel::test::kOstrel;
using mavel::test::MavelLibrary;
using mavel::test::Response;
using pocketjson::Value;

namespace {

const std::vector<std::string> kAllSections = {"cpu", "graphicsCards", "ipAddress", "locale", "memory", "os",
                                               "pc",  "timeZone"};

std::vector<std::string> memberNames(const Value& value) {
    std::vector<std::string> names;
    for (const auto& [name, member] : value.members()) names.emplace_back(name);
    return names;
}

Response getInformation(const MavelLibrary& library, const std::string& query) {
    return library.call("SystemInformation", "GET", "", query);
}

}  // namespace

TEST(SystemInformationSelection, EmptyQueriesSelectAllObjectKeysSelectTheirsOthersNothing) {
    MavelLibrary library;
    const struct {
        const char* query;
        std::vector<std::string> sections;  // none: the value is null
    } cases[] = {
        {"", kAllSections},   {"null", kAllSections}, {"{}", kAllSections},
        {"[]", kAllSections}, {"\"\"", kAllSections}, {R"({"os": 1, "pc": null, "unknown": true})", {"os", "pc"}},
        {R"(["os"])", {}},    {R"("os")", {}},        {R"({"OS": 1})", {}},
    };
    for (const auto& c : cases) {
        const Response response = getInformation(library, c.query);
        EXPECT_EQ(response.status, 200) << c.query;
        EXPECT_TRUE(response.error().isNull()) << c.query;
        EXPECT_EQ(memberNames(response.value()), c.sections) << c.query;
        EXPECT_EQ(response.value().isNull(), c.sections.empty()) << c.query;
    }
}

TEST(SystemInformationSelection, EachKeyAloneAnswersAndAsksForItsSectionOnly) {
    MavelLibrary library;
    // Each section, a key value (any value selects), and a library function only that section calls.
    const struct {
        const char* key;
        const char* value;
        const char* function;
    } sections[] = {
        {"cpu", "false", "OstrGetCPUName"},
        {"graphicsCards", "null", "OstrEnumVGA"},
        {"ipAddress", "0", "OstrEnumIPAddress"},
        {"locale", "\"\"", "OstrGetLocaleName"},
        {"memory", "{}", "OstrGetMemoryInformation"},
        {"os", "[]", "OstrGetOSName"},
        {"pc", "1", "OstrGetPCName"},
        {"timeZone", "true", "OstrGetTimezoneName"},
    };
    for (const auto& selected : sections) {
        mavel::test::resetCallLog(kOstrel);
        const std::string query = std::string("{\"") + selected.key + "\": " + selected.value + "}";
        EXPECT_EQ(memberNames(getInformation(library, query).value()), std::vector<std::string>{selected.key});
        for (const auto& other : sections) {
            EXPECT_EQ(callCount(kOstrel, other.function) > 0, &other == &selected) << query << " " << other.function;
        }
    }
}

// Every text member holds a character outside ASCII: most arrive in the ANSI
// code page and are converted; the locale country and the card's location
// id arrive already in UTF-8 and are passed on byte for byte.
TEST(SystemInformationContent, EverySectionDescribesTheStandInMachine) {
    MavelLibrary library;
    mavel::test::loadOstrelWorld(R"({
        "os": {"name": "Système 11", "shortName": "Système", "edition": "Édition", "servicePackVersion": "SP é",
               "releaseID": "Août", "kernelVersion": "10.0.é", "buildNumber": "22631é", "architecture": -7},
        "locale": {"name": "de-é", "languages": ["de-é", "en-GB", "fr-FR"], "decimalSeparator": "é",
                   "thousandSeparator": "è", "country": "Côte d'Ivoire"},
        "timeZone": {"name": "Zone é", "offset": -60},
        "cpu": {"name": "CPU é", "architecture": "arm é"},
        "memory": {"total": 4294967295, "available": 1024, "usage": 12.5},
        "pc": {"name": "Café-PC", "model": "M-é", "vendor": "V-é", "serialNumber": "S-é"},
        "ipAddresses": {"ipv6": ["fe80::é"], "ipv4": ["10.0.0.é", "10.0.0.2"]},
        "graphicsCards": [{"name": "Carte é", "vendor": "Vendeur é", "driverName": "é.sys",
                           "driverVersion": "1.é", "deviceLocationId": "Bus é", "vram": 3000000000}]
    })");
    // Every IPv4 address comes before every IPv6 address.
    EXPECT_EQ(getInformation(library, "").text,
              R"({"error":null,"value":{"cpu":{"architecture":"arm é","name":"CPU é"},)"
              R"("graphicsCards":[{"deviceLocationId":"Bus é","driverName":"é.sys","driverVersion":"1.é",)"
              R"("name":"Carte é","vendor":"Vendeur é","vram":3000000000}],)"
              R"("ipAddress":[{"address":"10.0.0.é","type":"IPv4"},{"address":"10.0.0.2","type":"IPv4"},)"
              R"({"address":"fe80::é","type":"IPv6"}],)"
              R"("locale":{"country":"Côte d'Ivoire","decimalSeparator":"é","languages":["de-é","en-GB","fr-FR"],)"
              R"("name":"de-é","thousandSeparator":"è"},)"
              R"("memory":{"available":1024,"total":4294967295,"usage":12.5},)"
              R"("os":{"architecture":-7,"buildNumber":"22631é","edition":"Édition","kernelVersion":"10.0.é",)"
              R"("name":"Système 11","releaseID":"Août","servicePackVersion":"SP é","shortName":"Système"},)"
              R"("pc":{"model":"M-é","name":"Café-PC","serialNumber":"S-é","vendor":"V-é"},)"
              R"("timeZone":{"name":"Zone é","offset":-60}}})");
}

TEST(SystemInformationContent, EmptyListsStayNoLanguagesAndAFailedMemoryQueryLeaveTheirMembersOut) {
    MavelLibrary library;
    mavel::test::loadOstrelWorld(R"({"locale": {"name": "en-US"}, "fail": ["OstrGetMemoryInformation"]})");
    EXPECT_EQ(getInformation(library, "").text,
              R"({"error":null,"value":{"cpu":{"architecture":"","name":""},"graphicsCards":[],"ipAddress":[],)"
              R"("locale":{"country":"","decimalSeparator":"","name":"en-US","thousandSeparator":""},)"
              R"("os":{"architecture":0,"buildNumber":"","edition":"","kernelVersion":"","name":"","releaseID":"",)"
              R"("servicePackVersion":"","shortName":""},"pc":{"model":"","name":"","serialNumber":"","vendor":""},)"
              R"("timeZone":{"name":"","offset":0}}})");
    EXPECT_EQ(getInformation(library, R"({"memory": 1})").text, R"({"error":null,"value":null})");
}

TEST(SystemInformationOptional, LibraryWithoutOptionalFunctionsLeavesOnlyTheirMembersOut) {
    MavelLibrary library(mavel::test::minimalFolder());
    const Value answer = getInformation(library, "").value();
    EXPECT_EQ(memberNames(answer), kAllSections);
    EXPECT_FALSE(answer.get("os").hasKey("releaseID"));
    EXPECT_TRUE(answer.get("os").hasKey("kernelVersion"));
    EXPECT_FALSE(answer.get("locale").hasKey("country"));
    EXPECT_TRUE(answer.get("locale").hasKey("thousandSeparator"));
    ASSERT_GT(answer.get("graphicsCards").size(), 0u);
    for (const Value& card : answer.get("graphicsCards").elements()) {
        EXPECT_FALSE(card.hasKey("deviceLocationId"));
        EXPECT_TRUE(card.hasKey("vram"));
    }
}
