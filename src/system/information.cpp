#include "system/information.h"

#include <cstdint>

#include "platform/dynamic_library.h"
#include "platform/ostrel.h"
#include "system/ostrel_support.h"

namespace kelto::bridge {

namespace {

using pocketjson::Value;
using pocketjson::ValueType;

// An empty query (absent, null, {}, [] or "") asks for everything; otherwise
// only the keys of an object count, whatever their values.
bool wantsSection(const Value& query, const char* key) noexcept { return query.size() == 0 || query.hasKey(key); }

// The optional functions are looked up at every request, so a library that
// could not be loaded before is picked up without restarting the host.
void addOperatingSystem(Value& os) {
    os["name"] = utf8FromAnsi(OstrGetOSName());
    os["shortName"] = utf8FromAnsi(OstrGetOSNameShort());
    os["edition"] = utf8FromAnsi(OstrGetOSEdition());
    os["servicePackVersion"] = utf8FromAnsi(OstrGetOSSPVersion());
    ostrelLoader& library = ostrelLoader::instance();
    if (library.hasFunction(ostrel::rt::getOSReleaseID)) {
        os["releaseID"] = utf8FromAnsi(library.invoke(ostrel::rt::getOSReleaseID));
    }
    os["kernelVersion"] = utf8FromAnsi(OstrGetKernelVersion());
    os["buildNumber"] = utf8FromAnsi(OstrGetBuildNumber());
    os["architecture"] = OstrGetOSArchitecture();
}

void addLocale(Value& locale) {
    locale["name"] = utf8FromAnsi(OstrGetLocaleName());
    for (std::uint32_t index = 0;; ++index) {
        const std::string language = utf8FromAnsi(OstrEnumLocaleLanguage(index));
        if (language.empty()) break;
        locale["languages"].append(Value(language));
    }
    locale["decimalSeparator"] = utf8FromAnsi(OstrGetLocaleDecimalSeparator());
    locale["thousandSeparator"] = utf8FromAnsi(OstrGetLocaleThousandSeparator());
    ostrelLoader& library = ostrelLoader::instance();
    if (library.hasFunction(ostrel::rt::getLocaleCountry)) {
        locale["country"] = copyText(library.invoke(ostrel::rt::getLocaleCountry));
    }
}

void addTimeZone(Value& timeZone) {
    timeZone["name"] = utf8FromAnsi(OstrGetTimezoneName());
    timeZone["offset"] = OstrGetTimezoneOffset();
}

void addProcessor(Value& cpu) {
    cpu["name"] = utf8FromAnsi(OstrGetCPUName());
    cpu["architecture"] = utf8FromAnsi(OstrGetCPUArchitectureName());
}

// A failed query drops the whole section rather than answering zeros.
void addMemory(Value& answer) {
    OstrMemoryInformation record{0, 0, 0.0};
    if (OstrGetMemoryInformation(&record) == 0) return;
    Value& memory = answer["memory"];
    memory["total"] = record.total;
    memory["available"] = record.available;
    memory["usage"] = record.usage;
}

void addComputer(Value& pc) {
    pc["name"] = utf8FromAnsi(OstrGetPCName());
    pc["model"] = utf8FromAnsi(OstrGetPCModelName());
    pc["vendor"] = utf8FromAnsi(OstrGetPCVendorName());
    pc["serialNumber"] = utf8FromAnsi(OstrGetPCSerialNumber());
}

void appendAddresses(Value& addresses, std::int32_t family, const char* type) {
    for (std::uint32_t index = 0;; ++index) {
        const std::string address = utf8FromAnsi(OstrEnumIPAddress(family, index));
        if (address.empty()) return;
        Value entry;
        entry["address"] = address;
        entry["type"] = type;
        addresses.append(entry);
    }
}

void addAddresses(Value& addresses) {
    addresses = Value(ValueType::Array);
    appendAddresses(addresses, 1, "IPv4");
    appendAddresses(addresses, 2, "IPv6");
}

Value describeCard(OstrHandle card) {
    Value record;
    record["name"] = utf8FromAnsi(OstrGetVGAName(card));
    record["vendor"] = utf8FromAnsi(OstrGetVGAVendor(card));
    record["driverName"] = utf8FromAnsi(OstrGetVGADriverName(card));
    record["driverVersion"] = utf8FromAnsi(OstrGetVGADriverVersion(card));
    record["vram"] = OstrGetVGAVRAMSize(card);
    ostrelLoader& library = ostrelLoader::instance();
    if (library.hasFunction(ostrel::rt::getVGADeviceLocationID)) {
        record["deviceLocationId"] = copyText(library.invokeDirect(ostrel::rt::getVGADeviceLocationID, card));
    }
    return record;
}

void addGraphicsCards(Value& cards) {
    cards = Value(ValueType::Array);
    std::uint32_t index = 0;
    for (OstrHandle card = OstrEnumVGA(index); card != nullptr; card = OstrEnumVGA(++index)) {
        cards.append(describeCard(card));
    }
}

}  // namespace

BridgeResult SystemInformation::onGet(const RequestArgs& args) {
    uri += "System/Information";
    const Value& query = args.query();
    // Stays null when the query selects nothing.
    Value answer;
    if (wantsSection(query, "os")) addOperatingSystem(answer["os"]);
    if (wantsSection(query, "locale")) addLocale(answer["locale"]);
    if (wantsSection(query, "timeZone")) addTimeZone(answer["timeZone"]);
    if (wantsSection(query, "cpu")) addProcessor(answer["cpu"]);
    if (wantsSection(query, "memory")) addMemory(answer);
    if (wantsSection(query, "pc")) addComputer(answer["pc"]);
    if (wantsSection(query, "ipAddress")) addAddresses(answer["ipAddress"]);
    if (wantsSection(query, "graphicsCards")) addGraphicsCards(answer["graphicsCards"]);
    return BridgeResult(answer);
}

}  // namespace kelto::bridge
