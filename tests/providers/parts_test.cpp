// The providers' readers of packed data, registry values and texts.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "identifiers.h"
#include "provider/registry.h"
#include "provider/text.h"

namespace {

// A raw firmware table: the header, then structures, each a formatted part
// and its strings.
std::vector<std::uint8_t> firmwareTable(const std::vector<std::vector<std::uint8_t>>& structures) {
    std::vector<std::uint8_t> table(8, 0);
    for (const auto& structure : structures) table.insert(table.end(), structure.begin(), structure.end());
    return table;
}

std::vector<std::uint8_t> structure(std::vector<std::uint8_t> formatted, const std::vector<std::string>& strings) {
    for (const std::string& text : strings) {
        formatted.insert(formatted.end(), text.begin(), text.end());
        formatted.push_back(0);
    }
    if (strings.empty()) formatted.push_back(0);
    formatted.push_back(0);
    return formatted;
}

const std::vector<std::uint8_t> kBios = structure({0, 6, 0, 0, 1, 2}, {"BIOS maker", "1.0"});
const std::vector<std::uint8_t> kBare = structure({3, 4, 1, 0}, {});
const std::vector<std::uint8_t> kSystem = structure({1, 8, 2, 0, 1, 2, 3, 4}, {"Contoso", "Model X", "2", "SN-42"});
const std::vector<std::uint8_t> kEnd = structure({127, 4, 3, 0}, {});

TEST(Identifiers, FindTheSystemRecordAmongTheFirmwareStructures) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> table;
        std::optional<provider::SystemRecord> expected;
    };
    std::vector<std::uint8_t> badIndex = kSystem;
    badIndex[7] = 9;  // the serial names a string that is not there
    std::vector<std::uint8_t> cutShort = firmwareTable({kSystem});
    cutShort.resize(12);
    const Case cases[] = {
        {"after others", firmwareTable({kBios, kBare, kSystem, kEnd}),
         provider::SystemRecord{"Contoso", "Model X", "SN-42"}},
        {"string out of range", firmwareTable({badIndex}), provider::SystemRecord{"Contoso", "Model X", ""}},
        {"none", firmwareTable({kBios, kEnd}), std::nullopt},
        {"after the end", firmwareTable({kBios, kEnd, kSystem}), std::nullopt},
        {"cut short", cutShort, std::nullopt},
        {"no header", {1, 8}, std::nullopt},
    };
    for (const Case& c : cases) {
        const auto record = provider::parseSystemRecord(c.table);
        ASSERT_EQ(record.has_value(), c.expected.has_value()) << c.what;
        if (!record) continue;
        EXPECT_EQ(record->vendor, c.expected->vendor) << c.what;
        EXPECT_EQ(record->model, c.expected->model) << c.what;
        EXPECT_EQ(record->serialNumber, c.expected->serialNumber) << c.what;
    }
}

TEST(Identifiers, ReadUsbHardwareIds) {
    struct Case {
        const wchar_t* id;
        std::optional<provider::UsbIds> expected;
    };
    const Case cases[] = {
        {L"USB\\VID_046D&PID_C52B&REV_1201", provider::UsbIds{0x046D, 0xC52B, 0x1201}},
        {L"USB\\VID_0bda&PID_8153&REV_3100&MI_00", provider::UsbIds{0x0BDA, 0x8153, 0x3100}},
        {L"USB\\VID_046D&PID_C52B", provider::UsbIds{0x046D, 0xC52B, 0}},
        {L"USB\\ROOT_HUB30", std::nullopt},
        {L"USB\\VID_&PID_1234", std::nullopt},
        {L"USB\\VID_1234", std::nullopt},
    };
    for (const Case& c : cases) {
        const auto ids = provider::parseUsbHardwareId(c.id);
        ASSERT_EQ(ids.has_value(), c.expected.has_value()) << c.id;
        if (!ids) continue;
        EXPECT_EQ(ids->vendor, c.expected->vendor) << c.id;
        EXPECT_EQ(ids->product, c.expected->product) << c.id;
        EXPECT_EQ(ids->release, c.expected->release) << c.id;
    }
}

TEST(Text, ConvertsToAndFromTheAnsiCodePage) {
    ASSERT_EQ(GetACP(), 1252u) << "the cases below are those of code page 1252";
    struct Case {
        std::wstring wide;
        std::string ansi;
    };
    const Case cases[] = {{L"", ""},
                          {L"plain", "plain"},
                          {L"caf\u00e9 \u20ac", "caf\xe9 \x80"},
                          {std::wstring(L"a\0b", 3), std::string("a\0b", 3)}};
    for (const Case& c : cases) {
        EXPECT_EQ(provider::toAnsi(c.wide), c.ansi);
        EXPECT_EQ(provider::fromAnsi(c.ansi), c.wide);
    }
    EXPECT_EQ(provider::toAnsi(L"\u4e2d"), "?") << "what the code page lacks";
}

TEST(Text, InternedTextsStayPutAndAreShared) {
    const char* first = provider::intern("zone one");
    for (int i = 0; i < 1000; ++i) provider::intern("filler " + std::to_string(i));
    EXPECT_EQ(provider::intern(std::string("zone ") + "one"), first);
    EXPECT_STREQ(first, "zone one");
    EXPECT_NE(provider::intern("zone two"), first);
    EXPECT_STREQ(provider::internWide(L"caf\u00e9"), "caf\xe9");
}

class RegistryReader : public testing::Test {
protected:
    static constexpr const wchar_t* kPath = L"Software\\MavelProviderTest";

    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kPath);
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        key_.reset(key);
        const std::wstring longText(300, L'x');
        set(L"sz", REG_SZ, L"caf\u00e9", 10);
        set(L"expand", REG_EXPAND_SZ, L"%WINDIR%", 18);
        set(L"multi", REG_MULTI_SZ, L"one\0two\0\0", 20);
        set(L"long", REG_SZ, longText.c_str(), 602);
        set(L"unterminated", REG_SZ, L"abc", 6);
        const DWORD dword = 0x12345678;
        const std::uint64_t qword = 0x1122334455667788;
        const std::uint8_t three[] = {1, 2, 3};
        set(L"dword", REG_DWORD, &dword, 4);
        set(L"qword", REG_QWORD, &qword, 8);
        set(L"binary4", REG_BINARY, &dword, 4);
        set(L"binary3", REG_BINARY, three, 3);
        for (const wchar_t* name : {L"b", L"a"}) {
            HKEY sub = nullptr;
            RegCreateKeyExW(key, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr);
            RegCloseKey(sub);
        }
    }
    void TearDown() override {
        key_.reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, kPath);
    }
    void set(const wchar_t* name, DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(RegSetValueExW(key_.get(), name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    }

    kelto::UniqueRegistryKey key_;
};

TEST_F(RegistryReader, ReadsEveryKindOfValue) {
    const provider::RegistryKey key(HKEY_CURRENT_USER, kPath);
    ASSERT_TRUE(key);
    const std::pair<const wchar_t*, std::optional<std::wstring>> texts[] = {
        {L"sz", L"caf\u00e9"},     {L"expand", L"%WINDIR%"},
        {L"multi", L"one"},        {L"long", std::wstring(300, L'x')},
        {L"unterminated", L"abc"}, {L"dword", std::nullopt},
        {L"missing", std::nullopt}};
    for (const auto& [name, expected] : texts) EXPECT_EQ(key.text(name), expected) << name;
    const std::pair<const wchar_t*, std::optional<std::uint64_t>> numbers[] = {{L"dword", 0x12345678},
                                                                               {L"qword", 0x1122334455667788},
                                                                               {L"binary4", 0x12345678},
                                                                               {L"binary3", std::nullopt},
                                                                               {L"sz", std::nullopt}};
    for (const auto& [name, expected] : numbers) EXPECT_EQ(key.number(name), expected) << name;
    EXPECT_EQ(key.texts(L"multi"), (std::vector<std::wstring>{L"one", L"two"}));
    EXPECT_EQ(key.bytes(L"binary3"), (std::vector<std::uint8_t>{1, 2, 3}));
    std::vector<std::wstring> subkeys = key.subkeys();
    std::sort(subkeys.begin(), subkeys.end());
    EXPECT_EQ(subkeys, (std::vector<std::wstring>{L"a", L"b"}));
    EXPECT_TRUE(provider::RegistryKey(key, L"a"));
    const provider::RegistryKey missing(HKEY_CURRENT_USER, L"Software\\MavelProviderTest\\none");
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.text(L"sz"), std::nullopt);
    EXPECT_TRUE(missing.subkeys().empty());
}

}  // namespace
