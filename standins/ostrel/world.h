#pragma once
// The machine that the system-information stand-in describes. Texts are held
// in the ANSI code page, as the library hands them out, except those the
// caller passes on unconverted (locale country, device location id).

#include <cstdint>
#include <string>
#include <vector>

#include "platform/closed_libraries.h"
#include "standin/fail_list.h"

namespace ostrel {

struct Process {
    std::string name;
    std::string command;
    std::int32_t pid = 0;
};

struct UsbDevice {
    std::string name;
    std::int32_t vendorId = 0;
    std::int32_t productId = 0;
    std::int32_t bcdDevice = 0;
};

struct Application {
    std::string name;
};

struct Kext {
    std::string name;
    std::string version;
};

struct Printer {
    std::string name;
    std::string driverName;
    std::string driverVersion;
    bool isDefault = false;
};

struct ApplicationWindow {
    std::string title;
    std::string processName;
    std::string localizedName;
    std::string className;
    bool active = false;
};

struct GraphicsCard {
    std::string name;
    std::string vendor;
    std::string driverName;
    std::string driverVersion;
    std::string deviceLocationId;
    std::uint32_t vram = 0;
    std::vector<std::string> screenDeviceIds;
};

struct World {
    standin::FailList failures;

    std::string osName, osShortName, osEdition, osServicePack, osReleaseId, kernelVersion, buildNumber;
    std::int32_t osArchitecture = 0;

    std::string localeName, decimalSeparator, thousandSeparator, localeCountry;
    std::vector<std::string> languages;

    std::string timezoneName;
    std::int32_t timezoneOffset = 0;

    std::string cpuName, cpuArchitecture;
    OstrMemoryInformation memory{};
    std::string pcName, pcModel, pcVendor, pcSerial;
    std::vector<std::string> ipv4, ipv6;
    std::vector<GraphicsCard> graphicsCards;

    std::vector<Process> processes;
    std::vector<UsbDevice> usbDevices;
    std::vector<Application> applications;
    std::vector<Kext> kexts;
    std::vector<Printer> printers;
    std::vector<ApplicationWindow> windows;

    std::string userName, domainName;
};

// Throws when the section is malformed.
World parseWorld(const standin::Json& section);

}  // namespace ostrel
