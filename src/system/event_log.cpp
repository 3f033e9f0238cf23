#include "system/event_log.h"

#include <windows.h>

#include <string>

#include "platform/handle_owner.h"
#include "platform/path.h"

namespace kelto::bridge {

namespace {

// The log is closed before an error leaves, so a failed backup does not
// keep it open until the host ends.
bool backUp(const std::wstring& source, const std::wstring& destination) {
    const UniqueEventLog log(OpenEventLogW(nullptr, source.c_str()));
    requireInternal(static_cast<bool>(log), "Failed to open event log.");
    return BackupEventLogW(log.get(), destination.c_str()) != FALSE;
}

}  // namespace

BridgeResult SystemEventLogBackup::onPost(const RequestArgs& args) {
    uri += "System/EventLog/Backup";
    const pocketjson::Value& body = args.body();
    // The source is a log name, not a path: it is passed on untouched.
    const std::wstring source = fs::toUtf16(body.get("srcPath").asString(""));
    const std::wstring destination = fs::Path::resolve(body.get("dstPath").asString("")).wide();
    requireInternal(backUp(source, destination), "Failed to backup event log.");
    return BridgeResult();
}

}  // namespace kelto::bridge
