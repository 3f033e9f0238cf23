#pragma once
// The lists of processes, USB devices, installed applications, application
// windows, kernel extensions and printers.

#include "bridge/bridge.h"

namespace kelto::bridge {

class SystemProcesses : public Bridge {};
class SystemUSBDevices : public Bridge {};
class SystemApplications : public Bridge {};
class SystemApplicationWindows : public Bridge {};
class SystemKEXT : public Bridge {};
class SystemPrinters : public Bridge {};

}  // namespace kelto::bridge
