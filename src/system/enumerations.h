#pragma once
// The lists of processes, USB devices, installed applications, application
// windows, kernel extensions and printers.

#include "bridge/bridge.h"

namespace kelto::bridge {

// With a non-empty "process" route parameter, answers whether that one
// process runs instead of listing them all.
class SystemProcesses : public Bridge {
public:
    BridgeResult onGet(const RequestArgs& args) override;
};

class SystemUSBDevices : public Bridge {
public:
    BridgeResult onGet(const RequestArgs& args) override;
};

class SystemApplications : public Bridge {
public:
    BridgeResult onGet(const RequestArgs& args) override;
};

// Every window function is looked up at run time; a missing one answers 404.
class SystemApplicationWindows : public Bridge {
public:
    BridgeResult onGet(const RequestArgs& args) override;
};

class SystemKEXT : public Bridge {
public:
    BridgeResult onGet(const RequestArgs& args) override;
};

class SystemPrinters : public Bridge {
public:
    BridgeResult onGet(const RequestArgs& args) override;
};

}  // namespace kelto::bridge
