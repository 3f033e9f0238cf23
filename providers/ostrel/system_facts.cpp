#include "system_facts.h"

#include <windows.h>

#include <winsock2.h>
#include <ws2tcpip.h>
// Declares the adapter records on top of the socket types.
#include <iphlpapi.h>

#include <iterator>
#include <optional>

#include "identifiers.h"
#include "platform/handle_owner.h"
#include "provider/registry.h"
#include "provider/text.h"

namespace provider {
namespace {

const wchar_t kCurrentVersion[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr DWORD kFirstWindows11Build = 22000;
constexpr DWORDLONG kMegabyte = 1024 * 1024;

using RtlGetVersionFunction = LONG WINAPI(RTL_OSVERSIONINFOW*);

// GetVersionExW answers what the program's manifest allows; the kernel's
// own function tells the truth.
RTL_OSVERSIONINFOW kernelVersion() {
    RTL_OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    const auto rtlGetVersion =
        kelto::findExport<RtlGetVersionFunction>(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
    if (rtlGetVersion != nullptr) rtlGetVersion(&info);
    return info;
}

std::wstring shortNameOf(const RTL_OSVERSIONINFOW& version) {
    if (version.dwMajorVersion >= 10) {
        return version.dwBuildNumber >= kFirstWindows11Build ? L"Windows 11" : L"Windows 10";
    }
    if (version.dwMajorVersion == 6) {
        switch (version.dwMinorVersion) {
            case 3: return L"Windows 8.1";
            case 2: return L"Windows 8";
            case 1: return L"Windows 7";
            default: return L"Windows Vista";
        }
    }
    return L"Windows";
}

std::wstring localeText(LCTYPE type) {
    wchar_t text[LOCALE_NAME_MAX_LENGTH] = {};
    const int length = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, text, LOCALE_NAME_MAX_LENGTH);
    return length > 0 ? std::wstring(text) : std::wstring();
}

std::optional<SystemRecord> firmwareSystemRecord() {
    constexpr DWORD kRawSmbios = 0x52534D42;  // "RSMB"
    const UINT size = GetSystemFirmwareTable(kRawSmbios, 0, nullptr, 0);
    if (size == 0) return std::nullopt;
    std::vector<std::uint8_t> table(size);
    if (GetSystemFirmwareTable(kRawSmbios, 0, table.data(), size) != size) return std::nullopt;
    return parseSystemRecord(table);
}

// Firmware texts are bytes in no particular code page; ASCII in practice.
std::wstring firmwareText(const std::string& text) { return fromAnsi(text); }

std::wstring computerName(COMPUTER_NAME_FORMAT format) {
    wchar_t name[256] = {};
    DWORD size = static_cast<DWORD>(std::size(name));
    return GetComputerNameExW(format, name, &size) ? std::wstring(name, size) : std::wstring();
}

std::wstring addressText(const SOCKADDR* address) {
    wchar_t text[INET6_ADDRSTRLEN] = {};
    if (address->sa_family == AF_INET) {
        InetNtopW(AF_INET, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, text, INET6_ADDRSTRLEN);
    } else if (address->sa_family == AF_INET6) {
        InetNtopW(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr, text, INET6_ADDRSTRLEN);
    }
    return text;
}

}  // namespace

OsFacts osFacts() {
    const RTL_OSVERSIONINFOW version = kernelVersion();
    const RegistryKey key(HKEY_LOCAL_MACHINE, kCurrentVersion, KEY_WOW64_64KEY);
    OsFacts facts;
    facts.shortName = shortNameOf(version);
    facts.name = key.text(L"ProductName").value_or(facts.shortName);
    // Windows 11 kept the product name of Windows 10 in the registry.
    if (facts.shortName == L"Windows 11" && facts.name.starts_with(L"Windows 10")) facts.name.replace(8, 2, L"11");
    facts.edition = key.text(L"EditionID").value_or(L"");
    facts.servicePack = untilNul(version.szCSDVersion);
    facts.kernelVersion = std::to_wstring(version.dwMajorVersion) + L"." + std::to_wstring(version.dwMinorVersion) +
                          L"." + std::to_wstring(version.dwBuildNumber);
    facts.buildNumber = std::to_wstring(version.dwBuildNumber);
    if (const auto revision = key.number(L"UBR")) facts.buildNumber += L"." + std::to_wstring(*revision);
    facts.releaseId = key.text(L"DisplayVersion").value_or(key.text(L"ReleaseId").value_or(L""));
    return facts;
}

std::int32_t osArchitecture() {
    SYSTEM_INFO info{};
    GetNativeSystemInfo(&info);
    const WORD architecture = info.wProcessorArchitecture;
    return architecture == PROCESSOR_ARCHITECTURE_AMD64 || architecture == PROCESSOR_ARCHITECTURE_ARM64 ||
                   architecture == PROCESSOR_ARCHITECTURE_IA64
               ? 64
               : 32;
}

LocaleFacts localeFacts() {
    LocaleFacts facts;
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    if (GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH) > 0) facts.name = name;
    facts.decimalSeparator = localeText(LOCALE_SDECIMAL);
    facts.thousandSeparator = localeText(LOCALE_STHOUSAND);
    facts.country = localeText(LOCALE_SISO3166CTRYNAME);
    return facts;
}

std::vector<std::wstring> preferredLanguages() {
    ULONG count = 0, size = 0;
    if (!GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, nullptr, &size) || size == 0) return {};
    std::wstring buffer(size, L'\0');
    if (!GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, buffer.data(), &size)) return {};
    return splitMultiText(buffer);
}

TimeZoneFacts timeZoneFacts() {
    DYNAMIC_TIME_ZONE_INFORMATION zone{};
    const DWORD state = GetDynamicTimeZoneInformation(&zone);
    TimeZoneFacts facts;
    facts.name = untilNul(zone.TimeZoneKeyName);
    if (facts.name.empty()) facts.name = untilNul(zone.StandardName);
    LONG bias = zone.Bias;
    if (state == TIME_ZONE_ID_DAYLIGHT) bias += zone.DaylightBias;
    if (state == TIME_ZONE_ID_STANDARD) bias += zone.StandardBias;
    facts.offsetMinutes = -bias;
    return facts;
}

std::wstring cpuName() {
    const RegistryKey key(HKEY_LOCAL_MACHINE, L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0");
    std::wstring name = key.text(L"ProcessorNameString").value_or(L"");
    // Some processors pad their brand text on the left.
    name.erase(0, name.find_first_not_of(L' '));
    name.erase(name.find_last_not_of(L' ') + 1);
    return name;
}

std::wstring cpuArchitectureName() {
    SYSTEM_INFO info{};
    GetNativeSystemInfo(&info);
    switch (info.wProcessorArchitecture) {
        case PROCESSOR_ARCHITECTURE_AMD64: return L"x64";
        case PROCESSOR_ARCHITECTURE_ARM64: return L"ARM64";
        case PROCESSOR_ARCHITECTURE_ARM: return L"ARM";
        case PROCESSOR_ARCHITECTURE_INTEL: return L"x86";
        case PROCESSOR_ARCHITECTURE_IA64: return L"IA64";
        default: return L"unknown";
    }
}

bool memoryFacts(OstrMemoryInformation& record) {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status) || status.ullTotalPhys == 0) return false;
    record.total = static_cast<std::uint32_t>(status.ullTotalPhys / kMegabyte);
    record.available = static_cast<std::uint32_t>(status.ullAvailPhys / kMegabyte);
    record.usage = 100.0 * static_cast<double>(status.ullTotalPhys - status.ullAvailPhys) /
                   static_cast<double>(status.ullTotalPhys);
    return true;
}

ComputerFacts computerFacts() {
    ComputerFacts facts;
    facts.name = computerName(ComputerNameNetBIOS);
    if (const auto record = firmwareSystemRecord()) {
        facts.vendor = firmwareText(record->vendor);
        facts.model = firmwareText(record->model);
        facts.serialNumber = firmwareText(record->serialNumber);
    }
    // The firmware copies Windows keeps, for machines that refuse the table.
    const RegistryKey bios(HKEY_LOCAL_MACHINE, L"HARDWARE\\DESCRIPTION\\System\\BIOS");
    if (facts.vendor.empty()) facts.vendor = bios.text(L"SystemManufacturer").value_or(L"");
    if (facts.model.empty()) facts.model = bios.text(L"SystemProductName").value_or(L"");
    return facts;
}

std::wstring userName() {
    wchar_t name[257] = {};
    DWORD size = static_cast<DWORD>(std::size(name));
    return GetUserNameW(name, &size) ? std::wstring(name) : std::wstring();
}

// The DNS domain of a domain member; a workgroup machine answers the name
// of the account's own domain, as the logon does.
std::wstring domainName() {
    std::wstring domain = computerName(ComputerNameDnsDomain);
    if (!domain.empty()) return domain;
    wchar_t logon[256] = {};
    const DWORD length = GetEnvironmentVariableW(L"USERDOMAIN", logon, static_cast<DWORD>(std::size(logon)));
    return length > 0 && length < std::size(logon) ? std::wstring(logon, length) : std::wstring();
}

std::vector<std::wstring> ipAddresses(std::int32_t family) {
    const ULONG wanted = family == 1 ? AF_INET : family == 2 ? AF_INET6 : AF_UNSPEC;
    if (wanted == AF_UNSPEC) return {};
    constexpr ULONG kFlags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    ULONG size = 16 * 1024;
    std::vector<std::uint8_t> buffer;
    ULONG status = ERROR_BUFFER_OVERFLOW;
    for (int attempt = 0; attempt < 4 && status == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.resize(size);
        status = GetAdaptersAddresses(wanted, kFlags, nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()),
                                      &size);
    }
    std::vector<std::wstring> addresses;
    if (status != NO_ERROR) return addresses;
    for (auto* adapter = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()); adapter != nullptr;
         adapter = adapter->Next) {
        if (adapter->OperStatus != IfOperStatusUp || adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK) continue;
        for (auto* unicast = adapter->FirstUnicastAddress; unicast != nullptr; unicast = unicast->Next) {
            std::wstring text = addressText(unicast->Address.lpSockaddr);
            if (!text.empty()) addresses.push_back(std::move(text));
        }
    }
    return addresses;
}

}  // namespace provider
