#pragma once
// "System/EventLog/Backup": saving a Windows event log to a file.

#include "bridge/bridge.h"

namespace kelto::bridge {

class SystemEventLogBackup : public Bridge {};

}  // namespace kelto::bridge
