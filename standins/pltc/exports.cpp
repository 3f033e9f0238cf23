// Exports of the monitor-control stand-in libpltc_x64.dll.
//
// The library answers from its "known" list of controllers, which changes
// only when PltCtrlFind rescans: the rescan copies the world's attached
// controllers. So a test attaches or detaches a controller by loading a new
// world, and the change shows after the next PltCtrlFind, as with hardware.
// The known list starts empty (nothing scanned yet) unless the world gives
// "known"; a world without "known" leaves the list as it was.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/closed_libraries.h"
#include "standin/export.h"
#include "standin/fail_list.h"
#include "standin/library.h"

namespace {

using standin::Json;

constexpr std::size_t kSerialLength = 8;
constexpr std::size_t kProductLength = 16;

struct Controller {
    std::string serial;
    std::string product;
    std::uint64_t hidHandle = 0;
};

struct World {
    standin::FailList failures;
    std::vector<Controller> attached;
};

std::vector<Controller> controllers(const Json& section, const char* key) {
    std::vector<Controller> parsed;
    for (const Json& entry : standin::list(section, key)) {
        parsed.push_back({standin::ansiText(entry, "serial"), standin::ansiText(entry, "product"),
                          standin::integer<std::uint64_t>(entry, "hidHandle")});
    }
    return parsed;
}

// The texts as the library's fixed buffers hold them.
std::string_view serialOf(const Controller& c) { return std::string_view(c.serial).substr(0, kSerialLength); }
std::string_view productOf(const Controller& c) { return std::string_view(c.product).substr(0, kProductLength); }

class Model {
public:
    void apply(const Json& section) {
        World world{standin::FailList(section), controllers(section, "controllers")};
        if (standin::has(section, "known")) known_ = controllers(section, "known");
        worlds_.add(std::move(world));
    }
    bool fails(std::string_view function) const { return worlds_.current().failures.contains(function); }

    void rescan() { known_ = worlds_.current().attached; }
    const std::vector<Controller>& known() const noexcept { return known_; }

    const Controller* find(std::string_view serial, std::string_view product) const {
        const auto found = std::find_if(known_.begin(), known_.end(), [&](const Controller& c) {
            return serialOf(c) == serial && productOf(c) == product;
        });
        return found == known_.end() ? nullptr : &*found;
    }

private:
    standin::Generations<World> worlds_;
    std::vector<Controller> known_;
};

standin::Library<Model>& library() {
    static standin::Library<Model> instance("pltc");
    return instance;
}

void copyText(std::string_view text, char* buffer) {
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
}

}  // namespace

STANDIN_EXPORT std::int32_t PltCtrlFind(std::uint32_t /*reserved1*/, std::uint32_t /*reserved2*/) {
    return library().call("PltCtrlFind", [](Model& model, bool failing) -> std::int32_t {
        if (failing) return -1;
        model.rescan();
        return static_cast<std::int32_t>(model.known().size());
    });
}

STANDIN_EXPORT std::uint32_t PltCtrlGetNumMonitors() {
    return library().call("PltCtrlGetNumMonitors", [](Model& model, bool failing) -> std::uint32_t {
        return failing ? 0 : static_cast<std::uint32_t>(model.known().size());
    });
}

// Texts longer than the buffers are cut to 8 and 16 bytes.
STANDIN_EXPORT std::int32_t PltCtrlGetSerialProduct(std::uint32_t index, char* serial9, char* product17) {
    return library().call("PltCtrlGetSerialProduct", [=](Model& model, bool failing) -> std::int32_t {
        if (failing || serial9 == nullptr || product17 == nullptr || index >= model.known().size()) return -1;
        const Controller& controller = model.known()[index];
        copyText(serialOf(controller), serial9);
        copyText(productOf(controller), product17);
        return 0;
    });
}

STANDIN_EXPORT std::int32_t PltCtrlGetHIDHandle(const char* serial, const char* product, std::uint64_t* hidHandle) {
    return library().call("PltCtrlGetHIDHandle", [=](Model& model, bool failing) -> std::int32_t {
        if (failing || serial == nullptr || product == nullptr || hidHandle == nullptr) return -1;
        const Controller* controller = model.find(serial, product);
        if (controller == nullptr) return -1;
        *hidHandle = controller->hidHandle;
        return 0;
    });
}

STANDIN_CONTROL_EXPORTS(library())
