#pragma once
// "System/EventLog/Backup": saving a Windows event log to a file.

#include "bridge/bridge.h"

namespace kelto::bridge {

// POST body: "srcPath" names the log, "dstPath" the file to write (special
// folder tokens such as ":desktop" allowed).
class SystemEventLogBackup : public Bridge {
public:
    BridgeResult onPost(const RequestArgs& args) override;
};

}  // namespace kelto::bridge
