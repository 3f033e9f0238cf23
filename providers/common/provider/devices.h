#pragma once
// The present devices of one kind, through SetupAPI: their registry
// properties and, for interfaces, their paths.

#include <windows.h>

#include <setupapi.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/handle_owner.h"

namespace provider {

struct DeviceInfoListTraits {
    using Handle = HDEVINFO;
    static Handle invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(Handle list) noexcept { SetupDiDestroyDeviceInfoList(list); }
};
using UniqueDeviceInfoList = kelto::UniqueHandle<DeviceInfoListTraits>;

// One present device as a visitor sees it.
struct Device {
    HDEVINFO list;
    SP_DEVINFO_DATA data;
    std::wstring interfacePath;  // empty unless the walk is over interfaces

    std::wstring text(DWORD property) const;                // SPDRP_FRIENDLYNAME, SPDRP_DEVICEDESC, ...
    std::vector<std::wstring> texts(DWORD property) const;  // SPDRP_HARDWAREID
};

// Every present device of an enumerator ("USB"), whatever its class.
void forEachDevice(const wchar_t* enumerator, const std::function<void(const Device&)>& visit);
// Every present interface of a class (GUID_DEVINTERFACE_MONITOR) with its device.
void forEachInterface(const GUID& interfaceClass, const std::function<void(const Device&)>& visit);

}  // namespace provider
