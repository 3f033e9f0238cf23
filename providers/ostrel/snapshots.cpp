#include "snapshots.h"

#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>
#include <winspool.h>

#include <algorithm>
#include <map>
#include <set>

#include "identifiers.h"
#include "platform/handle_owner.h"
#include "provider/devices.h"
#include "provider/registry.h"
#include "provider/text.h"

namespace provider {
namespace {

const wchar_t kUninstall[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

Item named(std::wstring_view name) {
    Item item;
    item.texts[field::kName] = toAnsi(name);
    return item;
}

template <class Visit>
void forEachProcess(Visit visit) {
    // Says INVALID_HANDLE_VALUE when it fails, as CreateFileW does.
    const kelto::UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        visit(entry);
    }
}

// NtQueryInformationProcess with ProcessCommandLineInformation (60): the
// command line as a counted string right after its own header.
using QueryProcess = LONG WINAPI(HANDLE, int, void*, ULONG, ULONG*);
struct CountedText {
    USHORT length, maximumLength;
    const wchar_t* buffer;
};

QueryProcess* queryProcess() {
    static const auto query =
        kelto::findExport<QueryProcess>(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess");
    return query;
}

std::wstring commandLineAsked(HANDLE process) {
    constexpr int kCommandLineInformation = 60;
    ULONG size = 0;
    queryProcess()(process, kCommandLineInformation, nullptr, 0, &size);
    if (size < sizeof(CountedText)) return std::wstring();
    std::vector<CountedText> buffer(size / sizeof(CountedText) + 1);
    if (queryProcess()(process, kCommandLineInformation, buffer.data(), size, &size) < 0) return std::wstring();
    const CountedText& text = buffer.front();
    if (text.buffer == nullptr) return std::wstring();
    return std::wstring(text.buffer, text.length / sizeof(wchar_t));
}

template <class T>
bool readFrom(HANDLE process, std::uintptr_t address, T& value) {
    SIZE_T got = 0;
    return ReadProcessMemory(process, reinterpret_cast<const void*>(address), &value, sizeof value, &got) &&
           got == sizeof value;
}

// Systems before 8.1 (and some compatible environments) do not answer
// that question: the command line is then read where the process keeps it,
// in its parameter block (x64 layout: block at PEB + 0x20, text at + 0x70).
std::wstring commandLineRead(HANDLE process) {
    struct BasicInformation {
        LONG exitStatus;
        std::uintptr_t peb, affinity;
        LONG basePriority;
        std::uintptr_t processId, parentId;
    } basic{};
    ULONG size = 0;
    if (queryProcess()(process, 0 /* ProcessBasicInformation */, &basic, sizeof basic, &size) < 0) return {};
    std::uintptr_t parameters = 0;
    CountedText text{};
    if (!readFrom(process, basic.peb + 0x20, parameters) || !readFrom(process, parameters + 0x70, text)) return {};
    std::wstring line(text.length / sizeof(wchar_t), L'\0');
    SIZE_T got = 0;
    if (line.empty() || !ReadProcessMemory(process, text.buffer, line.data(), text.length, &got)) return {};
    line.resize(got / sizeof(wchar_t));
    return line;
}

std::wstring commandLineOf(DWORD processId) {
    const kelto::UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (queryProcess() == nullptr || !process) return std::wstring();
    std::wstring line = commandLineAsked(process.get());
    return line.empty() ? commandLineRead(process.get()) : line;
}

// Version resources: the fixed version "a.b.c.d" and the description.
struct VersionFacts {
    std::wstring version, description;
};

VersionFacts versionFacts(const std::wstring& file) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0) return {};
    std::vector<std::uint8_t> data(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, data.data())) return {};
    VersionFacts facts;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed != nullptr) {
        facts.version = std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." +
                        std::to_wstring(LOWORD(fixed->dwFileVersionMS)) + L"." +
                        std::to_wstring(HIWORD(fixed->dwFileVersionLS)) + L"." +
                        std::to_wstring(LOWORD(fixed->dwFileVersionLS));
    }
    struct Translation {
        WORD language, codePage;
    }* translation = nullptr;
    if (VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) &&
        translation != nullptr && length >= sizeof(Translation)) {
        wchar_t path[64];
        swprintf(path, std::size(path), L"\\StringFileInfo\\%04x%04x\\FileDescription", translation->language,
                 translation->codePage);
        wchar_t* description = nullptr;
        if (VerQueryValueW(data.data(), path, reinterpret_cast<void**>(&description), &length) && description) {
            facts.description.assign(description, length > 0 ? length - 1 : 0);
        }
    }
    return facts;
}

std::wstring imagePathOf(DWORD processId) {
    const kelto::UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    wchar_t path[MAX_PATH * 2] = {};
    DWORD size = static_cast<DWORD>(std::size(path));
    if (!process || !QueryFullProcessImageNameW(process.get(), 0, path, &size)) return std::wstring();
    return std::wstring(path, size);
}

// Kernel paths as EnumDeviceDrivers names them, as Win32 paths.
std::wstring win32DriverPath(std::wstring path) {
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    constexpr std::wstring_view kSystemRoot = L"\\SystemRoot\\", kObjects = L"\\??\\";
    if (path.starts_with(kSystemRoot)) return std::wstring(windows) + L"\\" + path.substr(kSystemRoot.size());
    if (path.starts_with(kObjects)) return path.substr(kObjects.size());
    if (path.starts_with(L"\\")) return std::wstring(windows, 2) + path;  // a path on the system drive
    return path;
}

void addApplications(HKEY root, REGSAM view, std::set<std::wstring>& names) {
    const RegistryKey uninstall(root, kUninstall, view);
    for (const std::wstring& subkey : uninstall.subkeys()) {
        const RegistryKey entry(uninstall, subkey);
        // Parts of Windows and updates of other entries list themselves too.
        if (entry.number(L"SystemComponent").value_or(0) == 1 || entry.text(L"ParentKeyName")) continue;
        const std::wstring name = entry.text(L"DisplayName").value_or(L"");
        if (!name.empty()) names.insert(name);
    }
}

std::wstring printerDriverVersion(DWORDLONG packed) {
    return std::to_wstring((packed >> 48) & 0xFFFF) + L"." + std::to_wstring((packed >> 32) & 0xFFFF) + L"." +
           std::to_wstring((packed >> 16) & 0xFFFF) + L"." + std::to_wstring(packed & 0xFFFF);
}

std::map<std::wstring, std::wstring> printerDriverVersions() {
    std::map<std::wstring, std::wstring> versions;
    DWORD size = 0, count = 0;
    EnumPrinterDriversW(nullptr, nullptr, 6, nullptr, 0, &size, &count);
    if (size == 0) return versions;
    std::vector<DRIVER_INFO_6W> drivers(size / sizeof(DRIVER_INFO_6W) + 1);
    if (!EnumPrinterDriversW(nullptr, nullptr, 6, reinterpret_cast<BYTE*>(drivers.data()), size, &size, &count)) {
        return versions;
    }
    for (DWORD i = 0; i < count; ++i) {
        if (drivers[i].pName != nullptr) versions[drivers[i].pName] = printerDriverVersion(drivers[i].dwlDriverVersion);
    }
    return versions;
}

std::wstring defaultPrinter() {
    DWORD size = 0;
    GetDefaultPrinterW(nullptr, &size);
    if (size == 0) return std::wstring();
    std::wstring name(size, L'\0');
    if (!GetDefaultPrinterW(name.data(), &size)) return std::wstring();
    return std::wstring(untilNul(name));
}

std::wstring windowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return std::wstring();
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(std::max(0, GetWindowTextW(window, text.data(), length + 1))));
    return text;
}

std::wstring fileNameOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// What the user sees as an application: visible windows without an owner.
BOOL CALLBACK collectWindow(HWND window, LPARAM list) {
    if (IsWindowVisible(window) && GetWindow(window, GW_OWNER) == nullptr) {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    }
    return TRUE;
}

}  // namespace

Items processItems() {
    Items items;
    forEachProcess([&items](const PROCESSENTRY32W& entry) {
        Item item = named(entry.szExeFile);
        item.texts[field::kProcessCommand] = toAnsi(commandLineOf(entry.th32ProcessID));
        item.numbers[field::kProcessId] = static_cast<std::int32_t>(entry.th32ProcessID);
        items.push_back(std::move(item));
    });
    return items;
}

bool isProcessRunning(const std::wstring& name) {
    bool found = false;
    forEachProcess([&](const PROCESSENTRY32W& entry) {
        found = found || CompareStringOrdinal(entry.szExeFile, -1, name.c_str(), -1, TRUE) == CSTR_EQUAL;
    });
    return found;
}

Items usbDeviceItems() {
    Items items;
    forEachDevice(L"USB", [&items](const Device& device) {
        std::optional<UsbIds> ids;
        for (const std::wstring& id : device.texts(SPDRP_HARDWAREID)) {
            if ((ids = parseUsbHardwareId(id))) break;
        }
        if (!ids) return;  // hubs of the host controller have no ids of their own
        std::wstring name = device.text(SPDRP_FRIENDLYNAME);
        if (name.empty()) name = device.text(SPDRP_DEVICEDESC);
        Item item = named(name);
        item.numbers[field::kUsbVendor] = ids->vendor;
        item.numbers[field::kUsbProduct] = ids->product;
        item.numbers[field::kUsbRelease] = ids->release;
        items.push_back(std::move(item));
    });
    return items;
}

// Machine-wide entries of both registry views and the user's own, each name once.
Items applicationItems() {
    std::set<std::wstring> names;
    addApplications(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY, names);
    addApplications(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, names);
    addApplications(HKEY_CURRENT_USER, 0, names);
    Items items;
    for (const std::wstring& name : names) items.push_back(named(name));
    return items;
}

Items kernelDriverItems() {
    std::vector<LPVOID> bases(1024);
    DWORD needed = 0;
    const DWORD room = static_cast<DWORD>(bases.size() * sizeof(LPVOID));
    if (!EnumDeviceDrivers(bases.data(), room, &needed)) return {};
    bases.resize(std::min<std::size_t>(bases.size(), needed / sizeof(LPVOID)));
    Items items;
    for (LPVOID base : bases) {
        wchar_t name[MAX_PATH] = {}, path[MAX_PATH] = {};
        if (GetDeviceDriverBaseNameW(base, name, MAX_PATH) == 0) continue;
        Item item = named(name);
        if (GetDeviceDriverFileNameW(base, path, MAX_PATH) > 0) {
            item.texts[field::kKextVersion] = toAnsi(versionFacts(win32DriverPath(path)).version);
        }
        items.push_back(std::move(item));
    }
    return items;
}

Items printerItems() {
    constexpr DWORD kFlags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    DWORD size = 0, count = 0;
    EnumPrintersW(kFlags, nullptr, 2, nullptr, 0, &size, &count);
    if (size == 0) return {};
    std::vector<PRINTER_INFO_2W> printers(size / sizeof(PRINTER_INFO_2W) + 1);
    if (!EnumPrintersW(kFlags, nullptr, 2, reinterpret_cast<BYTE*>(printers.data()), size, &size, &count)) return {};
    const auto versions = printerDriverVersions();
    const std::wstring chosen = defaultPrinter();
    Items items;
    for (DWORD i = 0; i < count; ++i) {
        const PRINTER_INFO_2W& printer = printers[i];
        const std::wstring name = printer.pPrinterName != nullptr ? printer.pPrinterName : L"";
        const std::wstring driver = printer.pDriverName != nullptr ? printer.pDriverName : L"";
        Item item = named(name);
        item.texts[field::kPrinterDriver] = toAnsi(driver);
        const auto version = versions.find(driver);
        if (version != versions.end()) item.texts[field::kPrinterDriverVersion] = toAnsi(version->second);
        item.numbers[field::kPrinterDefault] = !name.empty() && name == chosen ? 1 : 0;
        items.push_back(std::move(item));
    }
    return items;
}

Items windowItems() {
    std::vector<HWND> windows;
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&windows));
    const HWND active = GetForegroundWindow();
    Items items;
    for (const HWND window : windows) {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        const std::wstring image = imagePathOf(processId);
        const std::wstring description = image.empty() ? std::wstring() : versionFacts(image).description;
        std::wstring process = fileNameOf(image);
        wchar_t className[256] = {};
        GetClassNameW(window, className, static_cast<int>(std::size(className)));
        Item item;
        item.texts[field::kWindowTitle] = toAnsi(windowText(window));
        item.texts[field::kWindowProcess] = toAnsi(process);
        // The name the application gives itself, else its file name without extension.
        const std::wstring localized = !description.empty() ? description : process.substr(0, process.rfind(L'.'));
        item.texts[field::kWindowLocalizedName] = toAnsi(localized);
        item.texts[field::kWindowClass] = toAnsi(className);
        item.numbers[field::kWindowActive] = window == active ? 1 : 0;
        items.push_back(std::move(item));
    }
    return items;
}

}  // namespace provider
