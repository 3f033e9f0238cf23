#include "world.h"

#include <windows.h>

namespace ostrel {

namespace {

using standin::ansiText;
using standin::flag;
using standin::integer;
using standin::Json;
using standin::list;
using standin::member;
using standin::rawText;

std::vector<std::string> ansiTexts(const Json& object, const char* key) {
    std::vector<std::string> texts;
    for (const Json& text : list(object, key)) texts.push_back(ansiText(text));
    return texts;
}

template <typename Item, typename Parse>
std::vector<Item> items(const Json& section, const char* key, Parse parse) {
    std::vector<Item> parsed;
    for (const Json& entry : list(section, key)) parsed.push_back(parse(entry));
    return parsed;
}

Process process(const Json& entry) {
    // A process without a pid is given this process's own: the library asks
    // Windows for the session of explorer.exe, and only a live pid has one.
    const std::int32_t pid = standin::has(entry, "pid") ? integer<std::int32_t>(entry, "pid")
                                                        : static_cast<std::int32_t>(GetCurrentProcessId());
    return {ansiText(entry, "name"), ansiText(entry, "command"), pid};
}

UsbDevice usbDevice(const Json& entry) {
    return {ansiText(entry, "name"), integer<std::int32_t>(entry, "vendorId"),
            integer<std::int32_t>(entry, "productId"), integer<std::int32_t>(entry, "bcdDevice")};
}

Application application(const Json& entry) { return {ansiText(entry, "name")}; }

Kext kext(const Json& entry) { return {ansiText(entry, "name"), ansiText(entry, "version")}; }

Printer printer(const Json& entry) {
    return {ansiText(entry, "name"), ansiText(entry, "driverName"), ansiText(entry, "driverVersion"),
            flag(entry, "isDefault")};
}

ApplicationWindow applicationWindow(const Json& entry) {
    return {ansiText(entry, "title"), ansiText(entry, "processName"), ansiText(entry, "localizedName"),
            ansiText(entry, "className"), flag(entry, "active")};
}

GraphicsCard graphicsCard(const Json& entry) {
    std::vector<std::string> screens;
    for (const Json& id : list(entry, "screens")) screens.push_back(rawText(id));
    return {ansiText(entry, "name"),
            ansiText(entry, "vendor"),
            ansiText(entry, "driverName"),
            ansiText(entry, "driverVersion"),
            rawText(entry, "deviceLocationId"),
            integer<std::uint32_t>(entry, "vram"),
            std::move(screens)};
}

void readOs(World& world, const Json& os) {
    world.osName = ansiText(os, "name");
    world.osShortName = ansiText(os, "shortName");
    world.osEdition = ansiText(os, "edition");
    world.osServicePack = ansiText(os, "servicePackVersion");
    world.osReleaseId = ansiText(os, "releaseID");
    world.kernelVersion = ansiText(os, "kernelVersion");
    world.buildNumber = ansiText(os, "buildNumber");
    world.osArchitecture = integer<std::int32_t>(os, "architecture");
}

void readLocale(World& world, const Json& locale) {
    world.localeName = ansiText(locale, "name");
    world.languages = ansiTexts(locale, "languages");
    world.decimalSeparator = ansiText(locale, "decimalSeparator");
    world.thousandSeparator = ansiText(locale, "thousandSeparator");
    world.localeCountry = rawText(locale, "country");
}

void readMachine(World& world, const Json& section) {
    const Json& timeZone = member(section, "timeZone");
    world.timezoneName = ansiText(timeZone, "name");
    world.timezoneOffset = integer<std::int32_t>(timeZone, "offset");

    const Json& cpu = member(section, "cpu");
    world.cpuName = ansiText(cpu, "name");
    world.cpuArchitecture = ansiText(cpu, "architecture");

    const Json& memory = member(section, "memory");
    world.memory = {integer<std::uint32_t>(memory, "total"), integer<std::uint32_t>(memory, "available"),
                    standin::real(memory, "usage")};

    const Json& pc = member(section, "pc");
    world.pcName = ansiText(pc, "name");
    world.pcModel = ansiText(pc, "model");
    world.pcVendor = ansiText(pc, "vendor");
    world.pcSerial = ansiText(pc, "serialNumber");

    const Json& addresses = member(section, "ipAddresses");
    world.ipv4 = ansiTexts(addresses, "ipv4");
    world.ipv6 = ansiTexts(addresses, "ipv6");

    world.userName = ansiText(section, "userName");
    world.domainName = ansiText(section, "domainName");
}

}  // namespace

World parseWorld(const Json& section) {
    World world;
    world.failures = standin::FailList(section);
    readOs(world, member(section, "os"));
    readLocale(world, member(section, "locale"));
    readMachine(world, section);
    world.graphicsCards = items<GraphicsCard>(section, "graphicsCards", graphicsCard);
    world.processes = items<Process>(section, "processes", process);
    world.usbDevices = items<UsbDevice>(section, "usbDevices", usbDevice);
    world.applications = items<Application>(section, "applications", application);
    world.kexts = items<Kext>(section, "kexts", kext);
    world.printers = items<Printer>(section, "printers", printer);
    world.windows = items<ApplicationWindow>(section, "applicationWindows", applicationWindow);
    return world;
}

}  // namespace ostrel
