// "System/Information" through the shipped DLL against the system-information
// stand-in: section selection, optional members, text conversion.

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

const std::vector<std::string> kAllSections = {"cpu",    "graphicsCards", "ipAddress", "locale",
                                               "memory", "os",            "pc",        "timeZone"};

std::vector<std::string> memberNames(const Value& value) {
    std::vector<std::string> names;
    for (const auto& [name, member] : value.members()) names.push_back(name);
    return names;
}

Response getInformation(const MavelLibrary& library, const std::string& query) {
    return library.call("SystemInformation", "GET", "", query);
}

}  // namespace

TEST(SystemInformationSelection, EmptyQueriesSelectEverySection) {
    MavelLibrary library;
    for (const char* query : {"", "null", "{}", "[]", "\"\""}) {
        const Response response = getInformation(library, query);
        EXPECT_EQ(response.status, 200) << query;
        EXPECT_EQ(memberNames(response.value()), kAllSections) << query;
    }
}

TEST(SystemInformationSelection, ObjectKeysSelectWhateverTheirValues) {
    MavelLibrary library;
    EXPECT_EQ(memberNames(getInformation(library, R"({"os": 1, "pc": null})").value()),
              (std::vector<std::string>{"os", "pc"}));
    EXPECT_EQ(memberNames(getInformation(library, R"({"cpu": false, "unknown": true})").value()),
              (std::vector<std::string>{"cpu"}));
}

TEST(SystemInformationSelection, UnselectedSectionsAreNotAskedFor) {
    MavelLibrary library;
    mavel::test::resetCallLog(kOstrel);
    getInformation(library, R"({"cpu": true})");
    EXPECT_EQ(callCount(kOstrel, "OstrGetCPUName"), 1);
    EXPECT_EQ(callCount(kOstrel, "OstrGetOSName"), 0);
    EXPECT_EQ(callCount(kOstrel, "OstrGetMemoryInformation"), 0);
    EXPECT_EQ(callCount(kOstrel, "OstrEnumVGA"), 0);
}

TEST(SystemInformationSelection, NonEmptyQueryThatIsNoObjectSelectsNothing) {
    MavelLibrary library;
    for (const char* query : {R"(["os"])", R"("os")", R"({"OS": 1})"}) {
        const Response response = getInformation(library, query);
        EXPECT_EQ(response.status, 200) << query;
        EXPECT_TRUE(response.value().isNull()) << query;
        EXPECT_TRUE(response.error().isNull()) << query;
    }
}

TEST(SystemInformationContent, DescribesTheStandInMachine) {
    MavelLibrary library;
    mavel::test::loadOstrelWorld(R"({
        "os": {"name": "Windows 11 Pro", "shortName": "Windows 11", "edition": "Professional",
               "servicePackVersion": "", "releaseID": "23H2", "kernelVersion": "10.0.22631",
               "buildNumber": "22631", "architecture": -7},
        "locale": {"name": "de-DE", "languages": ["de-DE", "en-GB", "fr-FR"], "decimalSeparator": ",",
                   "thousandSeparator": ".", "country": "DE"},
        "timeZone": {"name": "W. Europe Standard Time", "offset": -60},
        "cpu": {"name": "Test CPU", "architecture": "arm64"},
        "memory": {"total": 4294967295, "available": 1024, "usage": 12.5},
        "pc": {"name": "PC-1", "model": "M-1", "vendor": "V-1", "serialNumber": "S-1"},
        "ipAddresses": {"ipv6": ["fe80::1"], "ipv4": ["10.0.0.1", "10.0.0.2"]},
        "graphicsCards": [{"name": "Card A", "vendor": "Vendor A", "driverName": "a.sys",
                           "driverVersion": "1.2", "deviceLocationId": "PCI bus 3", "vram": 3000000000}]
    })");
    const Value answer = getInformation(library, "").value();

    const Value& os = answer.get("os");
    EXPECT_EQ(os.get("name").asString(), "Windows 11 Pro");
    EXPECT_EQ(os.get("shortName").asString(), "Windows 11");
    EXPECT_EQ(os.get("releaseID").asString(), "23H2");
    EXPECT_EQ(os.get("kernelVersion").asString(), "10.0.22631");
    EXPECT_TRUE(os.get("buildNumber").isString());
    EXPECT_TRUE(os.get("servicePackVersion").isString());
    EXPECT_EQ(os.get("architecture").intValue(), -7);

    const Value& locale = answer.get("locale");
    ASSERT_EQ(locale.get("languages").size(), 3u);
    EXPECT_EQ(locale.get("languages").at(0).asString(), "de-DE");
    EXPECT_EQ(locale.get("languages").at(2).asString(), "fr-FR");
    EXPECT_EQ(locale.get("decimalSeparator").asString(), ",");
    EXPECT_EQ(locale.get("country").asString(), "DE");

    EXPECT_EQ(answer.get("timeZone").get("offset").intValue(), -60);
    EXPECT_EQ(answer.get("cpu").get("architecture").asString(), "arm64");

    const Value& memory = answer.get("memory");
    EXPECT_EQ(memory.get("total").intValue(), 4294967295);
    EXPECT_EQ(memory.get("available").intValue(), 1024);
    EXPECT_DOUBLE_EQ(memory.get("usage").doubleValue(), 12.5);

    EXPECT_EQ(answer.get("pc").get("serialNumber").asString(), "S-1");

    // Every IPv4 address comes before every IPv6 address.
    const Value& addresses = answer.get("ipAddress");
    ASSERT_EQ(addresses.size(), 3u);
    EXPECT_EQ(addresses.at(0).get("address").asString(), "10.0.0.1");
    EXPECT_EQ(addresses.at(1).get("type").asString(), "IPv4");
    EXPECT_EQ(addresses.at(2).get("address").asString(), "fe80::1");
    EXPECT_EQ(addresses.at(2).get("type").asString(), "IPv6");

    const Value& cards = answer.get("graphicsCards");
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards.at(0).get("driverVersion").asString(), "1.2");
    EXPECT_EQ(cards.at(0).get("vram").intValue(), 3000000000);
    EXPECT_EQ(cards.at(0).get("deviceLocationId").asString(), "PCI bus 3");
}

TEST(SystemInformationContent, FailedMemoryQueryDropsOnlyThatSection) {
    MavelLibrary library;
    mavel::test::loadOstrelWorld(R"({"memory": {"total": 8, "available": 4, "usage": 50.0},
                                     "fail": ["OstrGetMemoryInformation"]})");
    const Value answer = getInformation(library, "").value();
    EXPECT_FALSE(answer.hasKey("memory"));
    EXPECT_TRUE(answer.hasKey("pc"));
    EXPECT_TRUE(getInformation(library, R"({"memory": 1})").value().isNull());
}

TEST(SystemInformationContent, EmptyListsStayButNoLanguagesLeaveTheirMember) {
    MavelLibrary library;
    mavel::test::loadOstrelWorld(R"({"locale": {"name": "en-US"}})");
    const Value answer = getInformation(library, "").value();
    EXPECT_TRUE(answer.get("ipAddress").isArray());
    EXPECT_EQ(answer.get("ipAddress").size(), 0u);
    EXPECT_TRUE(answer.get("graphicsCards").isArray());
    EXPECT_EQ(answer.get("graphicsCards").size(), 0u);
    EXPECT_EQ(answer.get("locale").get("name").asString(), "en-US");
    EXPECT_FALSE(answer.get("locale").hasKey("languages"));
}

// The stand-in keeps world texts in code page 1252 except the two members
// the library hands out already encoded.
TEST(SystemInformationContent, AnsiTextsArriveAsUtf8AndRawMembersByteForByte) {
    MavelLibrary library;
    mavel::test::loadOstrelWorld(R"({
        "os": {"name": "Système é", "releaseID": "Août"},
        "locale": {"languages": ["fr-é"], "country": "Côte d'Ivoire"},
        "pc": {"name": "Café-PC"},
        "ipAddresses": {"ipv4": ["é"]},
        "graphicsCards": [{"name": "Carte é", "deviceLocationId": "Bus é"}]
    })");
    const Value answer = getInformation(library, "").value();
    EXPECT_EQ(answer.get("os").get("name").asString(), "Syst\xC3\xA8me \xC3\xA9");
    EXPECT_EQ(answer.get("os").get("releaseID").asString(), "Ao\xC3\xBBt");
    EXPECT_EQ(answer.get("pc").get("name").asString(), "Caf\xC3\xA9-PC");
    EXPECT_EQ(answer.get("locale").get("languages").at(0).asString(), "fr-\xC3\xA9");
    EXPECT_EQ(answer.get("ipAddress").at(0).get("address").asString(), "\xC3\xA9");
    EXPECT_EQ(answer.get("graphicsCards").at(0).get("name").asString(), "Carte \xC3\xA9");
    EXPECT_EQ(answer.get("locale").get("country").asString(), "C\xC3\xB4te d'Ivoire");
    EXPECT_EQ(answer.get("graphicsCards").at(0).get("deviceLocationId").asString(), "Bus \xC3\xA9");
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
