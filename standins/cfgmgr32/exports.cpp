// Exports of the configuration-manager stand-in cfgmgr32.dll: the three
// functions behind device-interface notifications, which Wine's builtin
// cfgmgr32.dll lacks, and a control API that fires arrivals and removals.
// Behaviour and control API: cfgmgr32_control.h.

#include <windows.h>

#include <cfgmgr32.h>
#include <devpropdef.h>

#include <algorithm>
#include <bit>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "standin/export.h"
#include "standin/fail_list.h"
#include "standin/library.h"
#include "standin/text.h"

// MinGW-w64 declares the types of these functions but not the functions; the
// signatures are those of Windows, where they exist from Windows 8 on.
extern "C" {
CONFIGRET WINAPI CM_Register_Notification(PCM_NOTIFY_FILTER filter, PVOID context, PCM_NOTIFY_CALLBACK callback,
                                          PHCMNOTIFICATION notifyContext);
CONFIGRET WINAPI CM_Unregister_Notification(HCMNOTIFICATION notifyContext);
CONFIGRET WINAPI CM_Get_Device_Interface_PropertyW(LPCWSTR deviceInterface, const DEVPROPKEY* propertyKey,
                                                   DEVPROPTYPE* propertyType, PBYTE propertyBuffer,
                                                   PULONG propertyBufferSize, ULONG flags);
}

namespace {

using standin::Json;

static_assert(sizeof(CM_NOTIFY_FILTER) == 416, "the filter size the library's callers pass in cbSize");
static_assert(sizeof(CM_NOTIFY_ACTION) == sizeof(std::uint32_t) &&
              sizeof(CM_NOTIFY_FILTER_TYPE) == sizeof(std::uint32_t));

constexpr DEVPROPKEY kInstanceIdKey = {{0x78C34FC8, 0x104A, 0x4ACA, {0x9E, 0xA4, 0x52, 0x4D, 0x52, 0x99, 0x6E, 0x57}},
                                       256};
constexpr GUID kUsbDeviceInterface = {0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};
constexpr std::wstring_view kUsbDeviceInterfaceText = L"{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

struct Registration {
    HCMNOTIFICATION handle = nullptr;
    PCM_NOTIFY_CALLBACK callback = nullptr;
    void* context = nullptr;
};

std::string hexOf(const void* bytes, std::size_t size) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(size * 2);
    for (std::size_t i = 0; i < size; ++i) {
        const auto byte = static_cast<const unsigned char*>(bytes)[i];
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

bool sameLink(std::wstring_view left, std::wstring_view right) {
    return CompareStringOrdinal(left.data(), static_cast<int>(left.size()), right.data(),
                                static_cast<int>(right.size()), TRUE) == CSTR_EQUAL;
}

std::wstring symbolicLinkFor(std::wstring_view instanceId) {
    std::wstring link = L"\\\\?\\";
    for (const wchar_t c : instanceId) link += c == L'\\' ? L'#' : c;
    link += L'#';
    link += kUsbDeviceInterfaceText;
    return link;
}

class Model {
public:
    void apply(const Json& section) { failures_ = standin::FailList(section); }
    bool fails(std::string_view function) const { return failures_.contains(function); }
    void clearRecords() {
        unregistrations_ = 0;
        lastFilter_.clear();
    }

    HCMNOTIFICATION add(PCM_NOTIFY_CALLBACK callback, void* context) {
        // Counted, not allocated: a handle is never handed out again, so a
        // caller using one it gave back is told so.
        ++handlesGiven_;
        const auto handle = reinterpret_cast<HCMNOTIFICATION>(kHandleBase + handlesGiven_ * kHandleStep);
        registrations_.push_back({handle, callback, context});
        return handle;
    }

    bool remove(HCMNOTIFICATION handle) {
        for (auto it = registrations_.begin(); it != registrations_.end(); ++it) {
            if (it->handle != handle) continue;
            registrations_.erase(it);
            ++unregistrations_;
            return true;
        }
        return false;
    }

    bool isLive(HCMNOTIFICATION handle) const {
        for (const Registration& registration : registrations_) {
            if (registration.handle == handle) return true;
        }
        return false;
    }

    const std::vector<Registration>& registrations() const noexcept { return registrations_; }
    std::int32_t unregistrations() const noexcept { return unregistrations_; }

    void recordFilter(const CM_NOTIFY_FILTER& filter) { lastFilter_ = hexOf(&filter, sizeof filter); }
    const std::string& lastFilter() const noexcept { return lastFilter_; }

    CONFIGRET registrationFailure() const noexcept { return registrationFailure_; }
    void failRegistrations(CONFIGRET code) noexcept { registrationFailure_ = code; }

    void rememberLink(std::wstring link, std::wstring instanceId) {
        for (auto& [known, id] : links_) {
            if (sameLink(known, link)) {
                id = std::move(instanceId);
                return;
            }
        }
        links_.emplace_back(std::move(link), std::move(instanceId));
    }

    const std::wstring* instanceIdOf(std::wstring_view link) const {
        for (const auto& [known, id] : links_) {
            if (sameLink(known, link)) return &id;
        }
        return nullptr;
    }

private:
    static constexpr std::uintptr_t kHandleBase = 0xC0F60000;
    static constexpr std::uintptr_t kHandleStep = 0x10;

    standin::FailList failures_;
    std::vector<Registration> registrations_;
    std::uintptr_t handlesGiven_ = 0;
    std::int32_t unregistrations_ = 0;
    std::string lastFilter_;
    CONFIGRET registrationFailure_ = CR_SUCCESS;
    std::vector<std::pair<std::wstring, std::wstring>> links_;
};

standin::Library<Model>& library() {
    static standin::Library<Model> instance("cfgmgr32");
    return instance;
}

// Library::call answers an exception with the empty result, which for a
// CONFIGRET would be CR_SUCCESS: here it becomes CR_FAILURE.
template <typename Body>
CONFIGRET configCall(std::string_view function, Body&& body) noexcept {
    const std::optional<CONFIGRET> result = library().call(
        function, [&](Model& model, bool failing) -> std::optional<CONFIGRET> { return body(model, failing); });
    return result.value_or(CR_FAILURE);
}

// The callbacks running now, per thread, so that unregistering can wait for
// the registration's callback to return. Taken after the library's lock,
// never before it.
class Deliveries {
public:
    void begin(HCMNOTIFICATION handle) {
        std::lock_guard lock(mutex_);
        running_.push_back({handle, GetCurrentThreadId()});
    }

    void end(HCMNOTIFICATION handle) {
        {
            std::lock_guard lock(mutex_);
            for (auto it = running_.begin(); it != running_.end(); ++it) {
                if (it->handle == handle && it->thread == GetCurrentThreadId()) {
                    running_.erase(it);
                    break;
                }
            }
        }
        finished_.notify_all();
    }

    // A callback that unregisters its own registration would wait for itself.
    void waitForOtherThreads(HCMNOTIFICATION handle) {
        std::unique_lock lock(mutex_);
        finished_.wait(lock, [&] {
            for (const Running& running : running_) {
                if (running.handle == handle && running.thread != GetCurrentThreadId()) return false;
            }
            return true;
        });
    }

private:
    struct Running {
        HCMNOTIFICATION handle;
        DWORD thread;
    };
    std::mutex mutex_;
    std::condition_variable finished_;
    std::vector<Running> running_;
};

Deliveries& deliveries() {
    static Deliveries instance;
    return instance;
}

// CM_NOTIFY_EVENT_DATA of a device interface, with the link in place of its
// one-character array.
class InterfaceEvent {
public:
    explicit InterfaceEvent(std::wstring_view link)
        : size_(static_cast<DWORD>(offsetof(CM_NOTIFY_EVENT_DATA, u.DeviceInterface.SymbolicLink) +
                                   (link.size() + 1) * sizeof(wchar_t))),
          storage_((std::max<std::size_t>(size_, sizeof(CM_NOTIFY_EVENT_DATA)) + sizeof(std::uint64_t) - 1) /
                       sizeof(std::uint64_t),
                   0) {
        CM_NOTIFY_EVENT_DATA* data = get();
        data->FilterType = CM_NOTIFY_FILTER_TYPE_DEVICEINTERFACE;
        data->u.DeviceInterface.ClassGuid = kUsbDeviceInterface;
        std::memcpy(data->u.DeviceInterface.SymbolicLink, link.data(), link.size() * sizeof(wchar_t));
    }

    CM_NOTIFY_EVENT_DATA* get() noexcept { return reinterpret_cast<CM_NOTIFY_EVENT_DATA*>(storage_.data()); }
    DWORD size() const noexcept { return size_; }

private:
    DWORD size_;
    std::vector<std::uint64_t> storage_;  // zeroed, so the link ends in a zero
};

// Runs on the event's own thread. The library's lock is not held while a
// callback runs, so that the callback may call this DLL.
std::int32_t deliver(const std::vector<Registration>& targets, CM_NOTIFY_ACTION action, std::wstring_view link) {
    std::int32_t called = 0;
    for (const Registration& target : targets) {
        const bool live = library().control([&](Model& model) {
            if (!model.isLive(target.handle)) return false;
            deliveries().begin(target.handle);
            return true;
        });
        if (!live) continue;
        InterfaceEvent event(link);
        target.callback(target.handle, target.context, action, event.get(), event.size());
        deliveries().end(target.handle);
        ++called;
    }
    return called;
}

}  // namespace

STANDIN_EXPORT CONFIGRET WINAPI CM_Register_Notification(PCM_NOTIFY_FILTER filter, PVOID context,
                                                         PCM_NOTIFY_CALLBACK callback, PHCMNOTIFICATION notifyContext) {
    return configCall("CM_Register_Notification", [=](Model& model, bool failing) -> CONFIGRET {
        if (notifyContext != nullptr) *notifyContext = nullptr;
        if (filter == nullptr || callback == nullptr || notifyContext == nullptr) return CR_INVALID_POINTER;
        if (filter->cbSize != sizeof(CM_NOTIFY_FILTER)) return CR_INVALID_DATA;
        model.recordFilter(*filter);
        if ((filter->Flags & ~static_cast<DWORD>(CM_NOTIFY_FILTER_VALID_FLAGS)) != 0) return CR_INVALID_FLAG;
        // Read as a number: the caller may have stored any value in the enumeration.
        const auto filterType = std::bit_cast<std::uint32_t>(filter->FilterType);
        if (filter->Reserved != 0 || filterType >= CM_NOTIFY_FILTER_TYPE_MAX) return CR_INVALID_DATA;
        if (model.registrationFailure() != CR_SUCCESS) return model.registrationFailure();
        if (failing) return CR_FAILURE;
        *notifyContext = model.add(callback, context);
        return CR_SUCCESS;
    });
}

STANDIN_EXPORT CONFIGRET WINAPI CM_Unregister_Notification(HCMNOTIFICATION notifyContext) {
    const CONFIGRET result = configCall("CM_Unregister_Notification", [=](Model& model, bool failing) -> CONFIGRET {
        if (failing) return CR_FAILURE;
        return model.remove(notifyContext) ? CR_SUCCESS : CR_INVALID_POINTER;
    });
    // Outside the library's lock: the callback being waited for may need it.
    if (result == CR_SUCCESS) deliveries().waitForOtherThreads(notifyContext);
    return result;
}

STANDIN_EXPORT CONFIGRET WINAPI CM_Get_Device_Interface_PropertyW(LPCWSTR deviceInterface,
                                                                  const DEVPROPKEY* propertyKey,
                                                                  DEVPROPTYPE* propertyType, PBYTE propertyBuffer,
                                                                  PULONG propertyBufferSize, ULONG flags) {
    return configCall("CM_Get_Device_Interface_PropertyW", [=](Model& model, bool failing) -> CONFIGRET {
        if (deviceInterface == nullptr || propertyKey == nullptr || propertyType == nullptr ||
            propertyBufferSize == nullptr || (propertyBuffer == nullptr && *propertyBufferSize != 0)) {
            return CR_INVALID_POINTER;
        }
        if (flags != 0) return CR_INVALID_FLAG;
        if (failing) return CR_FAILURE;
        if (propertyKey->pid != kInstanceIdKey.pid || !IsEqualGUID(propertyKey->fmtid, kInstanceIdKey.fmtid)) {
            return CR_NO_SUCH_VALUE;
        }
        const std::wstring* instanceId = model.instanceIdOf(deviceInterface);
        if (instanceId == nullptr) return CR_NO_SUCH_VALUE;
        const auto needed = static_cast<ULONG>((instanceId->size() + 1) * sizeof(wchar_t));
        *propertyType = DEVPROP_TYPE_STRING;
        if (*propertyBufferSize < needed) {
            *propertyBufferSize = needed;
            return CR_BUFFER_SMALL;
        }
        std::memcpy(propertyBuffer, instanceId->c_str(), needed);
        *propertyBufferSize = needed;
        return CR_SUCCESS;
    });
}

STANDIN_EXPORT std::int32_t Cfgmgr32StandinFire(std::uint32_t action, const char* instanceIdUtf8) {
    try {
        std::wstring instanceId = standin::wideFromUtf8(instanceIdUtf8 != nullptr ? instanceIdUtf8 : "");
        const std::wstring link = symbolicLinkFor(instanceId);
        const std::vector<Registration> targets = library().control([&](Model& model) {
            if (!instanceId.empty()) model.rememberLink(link, std::move(instanceId));
            return model.registrations();
        });
        std::int32_t called = 0;
        // Windows calls back on threads of its own, never on the caller's.
        std::thread([&] { called = deliver(targets, std::bit_cast<CM_NOTIFY_ACTION>(action), link); }).join();
        return called;
    } catch (...) {
        return -1;
    }
}

STANDIN_EXPORT std::int32_t Cfgmgr32StandinRegistrationCount() {
    return library().control([](Model& model) { return static_cast<std::int32_t>(model.registrations().size()); });
}

STANDIN_EXPORT std::int32_t Cfgmgr32StandinUnregisterCount() {
    return library().control([](Model& model) { return model.unregistrations(); });
}

// Valid until the next call of Cfgmgr32StandinLastFilter.
STANDIN_EXPORT const char* Cfgmgr32StandinLastFilter() {
    static std::string text;
    return library().control([](Model& model) -> const char* {
        text = model.lastFilter();
        return text.c_str();
    });
}

STANDIN_EXPORT void Cfgmgr32StandinFailRegistrations(std::uint32_t configret) {
    library().control([configret](Model& model) { model.failRegistrations(configret); });
}

// StandinResetCallLog also forgets the unregister count and the last filter.
STANDIN_CONTROL_EXPORTS(library())
