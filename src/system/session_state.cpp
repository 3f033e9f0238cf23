#include "system/session_state.h"

#include <windows.h>

#include <charconv>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "platform/dynamic_library.h"
#include "platform/handle_owner.h"
#include "platform/ostrel.h"
#include "pocketjson/text.h"
#include "system/ostrel_support.h"

namespace kelto::bridge {

namespace {

using pocketjson::Value;

// Each interactive logon runs its own shell, so distinct sessions of
// explorer.exe count the users. The name is compared exactly, as the
// library reports it.
std::uint32_t countUserSessions() {
    std::set<std::uint32_t> sessions;
    const system::Snapshot snapshot(OstrCreateRunningProcessSnapshot());
    system::forEachItem(snapshot, OstrEnumRunningProcess, [&sessions](OstrHandle process) {
        if (utf8FromAnsi(OstrGetProcessName(process)) != "explorer.exe") return;
        // A process that ended meanwhile fails the lookup and counts as session 0.
        DWORD session = 0;
        ProcessIdToSessionId(static_cast<DWORD>(OstrGetProcessPID(process)), &session);
        sessions.insert(session);
    });
    return static_cast<std::uint32_t>(sessions.size());
}

const char* describeUserCount(std::uint32_t count) noexcept {
    if (count == 0) return "off";
    return count == 1 ? "singleUser" : "multipleUsers";
}

bool selects(const std::string& filter, const char* part) { return filter.empty() || filter == part; }

// Sets member from an optional run-time function, when the filter asks for
// it and the library has the function and answers something.
void addOptionalName(Value& answer, const std::string& filter, const char* member,
                     ExportedFunction<const char*()> function) {
    ostrelLoader& library = ostrelLoader::instance();
    if (!library.hasFunction(function) || !selects(filter, member)) return;
    const std::string name = utf8FromAnsi(library.invoke(function));
    if (!name.empty()) answer[member] = name;
}

// The leading decimal number of a version piece; 0 when there is none.
int leadingNumber(const std::vector<std::string>& pieces, std::size_t index) noexcept {
    if (index >= pieces.size()) return 0;
    const std::string& piece = pieces[index];
    int number = 0;
    std::from_chars(piece.data(), piece.data() + piece.size(), number);
    return number;
}

// From Windows 8 on, the screen saver runs on a desktop of its own.
bool hasScreenSaverDesktop() {
    const std::vector<std::string> pieces = pocketjson::splitString(utf8FromAnsi(OstrGetKernelVersion()), ".");
    const int major = leadingNumber(pieces, 0);
    const int minor = leadingNumber(pieces, 1);
    return major > 6 || (major == 6 && minor >= 2);
}

BOOL CALLBACK closeVisibleWindow(HWND window, LPARAM) {
    if (IsWindowVisible(window)) PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

void closeScreenSaverDesktop() {
    const UniqueDesktop desktop(OpenDesktopA("Screen-Saver", 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_WRITEOBJECTS));
    requireInternal(static_cast<bool>(desktop), "Failed to open desktop.");
    EnumDesktopWindows(desktop.get(), closeVisibleWindow, 0);
}

void closeWindowOfClass(const char* className) {
    if (HWND window = FindWindowA(className, nullptr)) PostMessageW(window, WM_CLOSE, 0, 0);
}

// Older systems show the saver as an ordinary window on the input desktop;
// moving the cursor also ends savers that ignore WM_CLOSE.
void closeScreenSaverWindows() {
    closeWindowOfClass("WindowsScreenSaverClass");
    closeWindowOfClass("D3DSaverWndClass");
    POINT cursor{};
    if (!GetCursorPos(&cursor)) cursor = POINT{};
    SetCursorPos(cursor.x + 1, cursor.y + 1);
}

}  // namespace

BridgeResult SystemLoginState::onGet(const RequestArgs& args) {
    uri += "System/LoginState";
    const std::string filter = args.query().get("filter").asString("");
    Value answer;
    if (selects(filter, "state")) {
        const std::uint32_t users = countUserSessions();
        answer["userCount"] = users;
        answer["state"] = describeUserCount(users);
    }
    addOptionalName(answer, filter, "currentUser", ostrel::rt::getUserName);
    addOptionalName(answer, filter, "domainName", ostrel::rt::getDomainName);
    return BridgeResult(answer);
}

// A locked session switches input to the secure desktop, which this process
// may not open.
BridgeResult SystemLockState::onGet(const RequestArgs&) {
    uri += "System/LockState";
    const UniqueDesktop input(OpenInputDesktop(0, FALSE, GENERIC_ALL));
    Value answer;
    answer["state"] = input ? "unlocked" : "locked";
    return BridgeResult(answer);
}

BridgeResult SystemScreenSaver::onGet(const RequestArgs&) {
    uri += "System/ScreenSaver";
    BOOL running = FALSE;
    SystemParametersInfoW(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    Value answer;
    answer["isRunning"] = running != FALSE;
    return BridgeResult(answer);
}

BridgeResult SystemScreenSaver::onDelete(const RequestArgs&) {
    uri += "System/ScreenSaver";
    if (hasScreenSaverDesktop()) {
        closeScreenSaverDesktop();
    } else {
        closeScreenSaverWindows();
    }
    return BridgeResult();
}

}  // namespace kelto::bridge
