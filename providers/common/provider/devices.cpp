#include "provider/devices.h"

#include "provider/registry.h"
#include "provider/text.h"

namespace provider {
namespace {

std::wstring propertyData(const Device& device, DWORD property, DWORD& type) {
    DWORD size = 0;
    SetupDiGetDeviceRegistryPropertyW(device.list, const_cast<SP_DEVINFO_DATA*>(&device.data), property, &type, nullptr,
                                      0, &size);
    if (size == 0) return std::wstring();
    std::wstring data((size + sizeof(wchar_t) - 1) / sizeof(wchar_t), L'\0');
    if (!SetupDiGetDeviceRegistryPropertyW(device.list, const_cast<SP_DEVINFO_DATA*>(&device.data), property, &type,
                                           reinterpret_cast<BYTE*>(data.data()), size, nullptr)) {
        return std::wstring();
    }
    return data;
}

std::wstring interfacePath(HDEVINFO list, SP_DEVICE_INTERFACE_DATA& interfaceData, SP_DEVINFO_DATA& device) {
    DWORD size = 0;
    SetupDiGetDeviceInterfaceDetailW(list, &interfaceData, nullptr, 0, &size, nullptr);
    if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) return std::wstring();
    // The detail record is a header followed by the path; it needs the
    // header's alignment, which a vector of its own type gives.
    std::vector<SP_DEVICE_INTERFACE_DETAIL_DATA_W> buffer(size / sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W) + 1);
    buffer[0].cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    if (!SetupDiGetDeviceInterfaceDetailW(list, &interfaceData, buffer.data(), size, nullptr, &device)) {
        return std::wstring();
    }
    return buffer[0].DevicePath;
}

}  // namespace

std::wstring Device::text(DWORD property) const {
    DWORD type = REG_NONE;
    const std::wstring data = propertyData(*this, property, type);
    return std::wstring(untilNul(data));
}

std::vector<std::wstring> Device::texts(DWORD property) const {
    DWORD type = REG_NONE;
    return splitMultiText(propertyData(*this, property, type));
}

void forEachDevice(const wchar_t* enumerator, const std::function<void(const Device&)>& visit) {
    const UniqueDeviceInfoList list(
        SetupDiGetClassDevsW(nullptr, enumerator, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES));
    if (!list) return;
    Device device{list.get(), {}, {}};
    device.data.cbSize = sizeof device.data;
    for (DWORD index = 0; SetupDiEnumDeviceInfo(list.get(), index, &device.data); ++index) visit(device);
}

void forEachInterface(const GUID& interfaceClass, const std::function<void(const Device&)>& visit) {
    const UniqueDeviceInfoList list(
        SetupDiGetClassDevsW(&interfaceClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (!list) return;
    SP_DEVICE_INTERFACE_DATA interfaceData{};
    interfaceData.cbSize = sizeof interfaceData;
    for (DWORD index = 0; SetupDiEnumDeviceInterfaces(list.get(), nullptr, &interfaceClass, index, &interfaceData);
         ++index) {
        Device device{list.get(), {}, {}};
        device.data.cbSize = sizeof device.data;
        device.interfacePath = interfacePath(list.get(), interfaceData, device.data);
        if (!device.interfacePath.empty()) visit(device);
    }
}

}  // namespace provider
