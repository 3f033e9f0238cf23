#include "system/login_item.h"

#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>

#include "platform/handle_owner.h"
#include "platform/path.h"

namespace kelto::bridge {

namespace {

using pocketjson::Value;

struct LinkRequest {
    std::wstring target;
    std::wstring arguments;
    std::wstring description;
    std::wstring iconPath;
};

// Only an exact true counts: the strings "TRUE" or "1", null and absence
// remove the link.
bool isEnabled(const Value& enable) noexcept {
    switch (enable.type()) {
        case pocketjson::ValueType::Boolean: return enable.boolValue();
        case pocketjson::ValueType::Integer: return enable.intValue() != 0;
        case pocketjson::ValueType::Double: return !(enable.doubleValue() == 0.0);
        case pocketjson::ValueType::String: return enable.stringValue() == "true";
        default: return false;
    }
}

bool isFile(const fs::Path& path) {
    WIN32_FIND_DATAW found{};
    const UniqueFindHandle search(FindFirstFileW(path.wide().c_str(), &found));
    return search && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool removeLink(const fs::Path& linkPath) { return !isFile(linkPath) || DeleteFileW(linkPath.wide().c_str()) != 0; }

bool saveLink(const fs::Path& linkPath, const LinkRequest& request) {
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.receive()))) {
        return false;
    }
    const std::wstring target = request.target.empty() ? fs::Path::executableFile().wide() : request.target;
    link->SetPath(target.c_str());
    if (!request.arguments.empty()) link->SetArguments(request.arguments.c_str());
    if (!request.description.empty()) link->SetDescription(request.description.c_str());
    if (!request.iconPath.empty()) link->SetIconLocation(request.iconPath.c_str(), 0);

    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.receive()))) return false;
    return SUCCEEDED(file->Save(linkPath.wide().c_str(), TRUE));
}

// A replaced link is deleted first; if the new one then cannot be saved the
// item is gone, which the caller learns from the error.
bool createLink(const fs::Path& linkPath, const LinkRequest& request) {
    if (isFile(linkPath)) DeleteFileW(linkPath.wide().c_str());
    return saveLink(linkPath, request);
}

std::wstring member(const Value& body, const char* key) { return fs::toUtf16(body.get(key).asString("")); }

}  // namespace

BridgeResult SystemLoginItem::onPut(const RequestArgs& args) {
    uri += "System/LoginItem";
    const Value& body = args.body();
    const std::string name = body.get("name").asString("");
    requireBadRequest(!name.empty(), "name is empty.");
    const fs::Path linkPath = fs::Path::shellFolder(CSIDL_STARTUP).append(name + ".lnk");

    bool done = false;
    if (isEnabled(body.get("enable"))) {
        const LinkRequest request{member(body, "executablePath"), member(body, "arguments"),
                                  member(body, "description"), member(body, "iconPath")};
        done = createLink(linkPath, request);
    } else {
        done = removeLink(linkPath);
    }
    requireInternal(done, "Set login item.");
    return BridgeResult();
}

}  // namespace kelto::bridge
