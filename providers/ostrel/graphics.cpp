#include "graphics.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <utility>

#include "provider/registry.h"

namespace provider {
namespace {

constexpr std::uint64_t kMegabyte = 1024 * 1024;

// The makers of most graphics chips, by PCI vendor id, for cards whose
// driver names no provider.
constexpr std::array<std::pair<std::wstring_view, std::wstring_view>, 6> kPciVendors{{
    {L"VEN_10DE", L"NVIDIA"},
    {L"VEN_1002", L"AMD"},
    {L"VEN_1022", L"AMD"},
    {L"VEN_8086", L"Intel"},
    {L"VEN_1414", L"Microsoft"},
    {L"VEN_15AD", L"VMware"},
}};

// "\Registry\Machine\System\..." as EnumDisplayDevicesW gives the adapter's key.
RegistryKey adapterKey(const std::wstring& deviceKey) {
    constexpr std::wstring_view kMachine = L"\\Registry\\Machine\\";
    if (deviceKey.size() <= kMachine.size() ||
        CompareStringOrdinal(deviceKey.c_str(), static_cast<int>(kMachine.size()), kMachine.data(),
                             static_cast<int>(kMachine.size()), TRUE) != CSTR_EQUAL) {
        return RegistryKey(nullptr, L"");
    }
    return RegistryKey(HKEY_LOCAL_MACHINE, deviceKey.substr(kMachine.size()));
}

std::wstring vendorOf(const std::wstring& hardwareId, const RegistryKey& key) {
    if (auto provider = key.text(L"ProviderName"); provider && !provider->empty()) return *provider;
    for (const auto& [id, name] : kPciVendors) {
        if (hardwareId.find(id) != std::wstring::npos) return std::wstring(name);
    }
    return std::wstring();
}

GraphicsCard cardOf(const DISPLAY_DEVICEW& adapter) {
    const RegistryKey key = adapterKey(adapter.DeviceKey);
    GraphicsCard card;
    card.name = adapter.DeviceString;
    card.vendor = vendorOf(adapter.DeviceID, key);
    const std::vector<std::wstring> drivers = key.texts(L"InstalledDisplayDrivers");
    card.driverName = drivers.empty() ? key.text(L"DriverDesc").value_or(L"") : drivers.front();
    card.driverVersion = key.text(L"DriverVersion").value_or(L"");
    card.locationId = adapter.DeviceID;
    // Newer drivers give the size in a 64-bit value, older ones in 32 bits.
    const auto bytes = key.number(L"HardwareInformation.qwMemorySize")
                           .value_or(key.number(L"HardwareInformation.MemorySize").value_or(0));
    card.vramMegabytes = static_cast<std::uint32_t>(bytes / kMegabyte);
    return card;
}

}  // namespace

std::vector<GraphicsCard> graphicsCards() {
    std::vector<GraphicsCard> cards;
    std::vector<std::wstring> keys;  // one card per adapter key
    DISPLAY_DEVICEW adapter{};
    adapter.cb = sizeof adapter;
    for (DWORD index = 0; EnumDisplayDevicesW(nullptr, index, &adapter, 0); ++index) {
        if (adapter.StateFlags & DISPLAY_DEVICE_MIRRORING_DRIVER) continue;
        const std::wstring key = adapter.DeviceKey[0] != L'\0' ? adapter.DeviceKey : adapter.DeviceString;
        auto found = std::find(keys.begin(), keys.end(), key);
        if (found == keys.end()) {
            keys.push_back(key);
            cards.push_back(cardOf(adapter));
            found = keys.end() - 1;
        }
        cards[static_cast<std::size_t>(found - keys.begin())].displays.push_back(adapter.DeviceName);
        adapter = DISPLAY_DEVICEW{};
        adapter.cb = sizeof adapter;
    }
    return cards;
}

}  // namespace provider
