#include "system/enumerations.h"

#include <cstdint>
#include <string>

#include "platform/dynamic_library.h"
#include "platform/ostrel.h"
#include "pocketjson/text.h"
#include "system/ostrel_support.h"

namespace kelto::bridge {

namespace {

using pocketjson::putLast;
using pocketjson::Value;
using pocketjson::ValueType;
using system::Snapshot;

// One array element per item, in the library's order; the snapshot goes
// back to the library before the list leaves, whatever ends the walk.
template <class Create, class Enumerate, class Describe>
Value listSnapshot(Create create, Enumerate enumerate, Describe describe) {
    Value list(ValueType::Array);
    const Snapshot snapshot(create());
    Value::Array& elements = list.mutableElements();
    system::forEachItem(snapshot, enumerate, [&](OstrHandle item) { elements.push_back(describe(item)); });
    return list;
}

// Each library function is asked in the order it always was; the members
// go in by key.
Value describeProcess(OstrHandle item) {
    std::string name = utf8FromAnsi(OstrGetProcessName(item));
    const std::int32_t pid = OstrGetProcessPID(item);
    std::string command = utf8FromAnsi(OstrGetProcessCommand(item));
    Value process(ValueType::Object);
    Value::Object& members = process.mutableMembers();
    putLast(members, "command", std::move(command));
    putLast(members, "name", std::move(name));
    putLast(members, "pid", pid);
    return process;
}

Value describeUsbDevice(OstrHandle item) {
    std::string name = utf8FromAnsi(OstrGetUSBDeviceName(item));
    const std::int32_t vendorId = OstrGetUSBDeviceVendorID(item);
    const std::int32_t productId = OstrGetUSBDeviceProductID(item);
    const std::int32_t bcdDevice = OstrGetUSBDeviceBcdDevice(item);
    Value device(ValueType::Object);
    Value::Object& members = device.mutableMembers();
    putLast(members, "bcdDevice", bcdDevice);
    putLast(members, "name", std::move(name));
    putLast(members, "productId", productId);
    putLast(members, "vendorId", vendorId);
    return device;
}

Value describeApplication(OstrHandle item) {
    Value application;
    application["name"] = utf8FromAnsi(OstrGetApplicationName(item));
    return application;
}

Value describeKernelExtension(OstrHandle item) {
    std::string name = utf8FromAnsi(OstrGetKEXTName(item));
    std::string version = utf8FromAnsi(OstrGetKEXTVersion(item));
    Value extension(ValueType::Object);
    Value::Object& members = extension.mutableMembers();
    putLast(members, "name", std::move(name));
    putLast(members, "version", std::move(version));
    return extension;
}

Value describePrinter(OstrHandle item) {
    std::string name = utf8FromAnsi(OstrGetPrinterName(item));
    std::string driverName = utf8FromAnsi(OstrGetPrinterDriverName(item));
    std::string driverVersion = utf8FromAnsi(OstrGetPrinterDriverVersion(item));
    const bool isDefault = OstrGetPrinterDefault(item) != 0;
    Value printer(ValueType::Object);
    Value::Object& members = printer.mutableMembers();
    putLast(members, "driverName", std::move(driverName));
    putLast(members, "driverVersion", std::move(driverVersion));
    putLast(members, "isDefault", isDefault);
    putLast(members, "name", std::move(name));
    return printer;
}

// invoke() throws the loader's 404 for a missing function; the snapshot
// owner in listSnapshot releases a snapshot already made before it leaves.
Value describeWindow(OstrHandle item) {
    ostrelLoader& library = ostrelLoader::instance();
    Value window;
    window["title"] = utf8FromAnsi(library.invoke(ostrel::rt::getApplicationWindowTitle, item));
    window["processName"] = utf8FromAnsi(library.invoke(ostrel::rt::getApplicationWindowProcessName, item));
    window["localizedName"] = utf8FromAnsi(library.invoke(ostrel::rt::getApplicationWindowLocalizedName, item));
    window["active"] = library.invoke(ostrel::rt::isActiveApplicationWindow, item) != 0;
    const std::string className = utf8FromAnsi(library.invoke(ostrel::rt::getApplicationWindowClassName, item));
    if (!className.empty()) window["className"] = className;
    return window;
}

Value isRunning(std::string name) {
    pocketjson::toAnsiFromUtf8(name);
    Value answer;
    answer["isRunning"] = ostrelLoader::instance().invoke(ostrel::rt::isProcessRunning, name.c_str(), 0) != 0;
    return answer;
}

}  // namespace

BridgeResult SystemProcesses::onGet(const RequestArgs& args) {
    uri += "System/Processes";
    const std::string process = args.params().get("process").asString("");
    if (!process.empty()) {
        // The log line names the process asked about.
        uri += "/" + process;
        return BridgeResult(isRunning(process));
    }
    return BridgeResult(listSnapshot(OstrCreateRunningProcessSnapshot, OstrEnumRunningProcess, describeProcess));
}

BridgeResult SystemUSBDevices::onGet(const RequestArgs&) {
    uri += "System/USBDevices";
    return BridgeResult(listSnapshot(OstrCreateUSBDeviceSnapshot, OstrEnumUSBDevice, describeUsbDevice));
}

BridgeResult SystemApplications::onGet(const RequestArgs&) {
    uri += "System/Applications";
    return BridgeResult(
        listSnapshot(OstrCreateInstalledApplicationSnapshot, OstrEnumInstalledApplication, describeApplication));
}

BridgeResult SystemApplicationWindows::onGet(const RequestArgs&) {
    uri += "System/ApplicationWindows";
    ostrelLoader& library = ostrelLoader::instance();
    const auto create = [&library] { return library.invoke(ostrel::rt::createCurrentApplicationWindowSnapshot); };
    const auto enumerate = [&library](OstrHandle snapshot, std::uint32_t index) {
        return library.invoke(ostrel::rt::enumApplicationWindow, snapshot, index);
    };
    return BridgeResult(listSnapshot(create, enumerate, describeWindow));
}

BridgeResult SystemKEXT::onGet(const RequestArgs&) {
    uri += "System/KEXT";
    return BridgeResult(listSnapshot(OstrCreateLoadedKEXTSnapshot, OstrEnumLoadedKEXT, describeKernelExtension));
}

BridgeResult SystemPrinters::onGet(const RequestArgs&) {
    uri += "System/Printers";
    return BridgeResult(listSnapshot(OstrCreatePrinterSnapshot, OstrEnumPrinter, describePrinter));
}

}  // namespace kelto::bridge
