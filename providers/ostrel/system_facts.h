#pragma once
// Facts about this computer, read afresh at every call: what Windows says
// now is the answer.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/closed_libraries.h"

namespace provider {

struct OsFacts {
    std::wstring name, shortName, edition, servicePack, kernelVersion, buildNumber, releaseId;
};
OsFacts osFacts();
// 64 or 32: the width of the system's native processor architecture.
std::int32_t osArchitecture();

struct LocaleFacts {
    std::wstring name, decimalSeparator, thousandSeparator, country;
};
LocaleFacts localeFacts();
std::vector<std::wstring> preferredLanguages();

// The zone's registry key name ("India Standard Time") and the offset from
// UTC now, in minutes east (daylight saving time included).
struct TimeZoneFacts {
    std::wstring name;
    std::int32_t offsetMinutes = 0;
};
TimeZoneFacts timeZoneFacts();

std::wstring cpuName();
std::wstring cpuArchitectureName();

// Megabytes, and the part in use as a percentage.
bool memoryFacts(OstrMemoryInformation& record);

struct ComputerFacts {
    std::wstring name, model, vendor, serialNumber;
};
ComputerFacts computerFacts();
std::wstring userName();
std::wstring domainName();

// Unicast addresses of the adapters that are up, loopback left out; family
// 1 IPv4, 2 IPv6.
std::vector<std::wstring> ipAddresses(std::int32_t family);

}  // namespace provider
