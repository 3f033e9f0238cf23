// Exports of the measurement-device stand-in libtrellis_x64.dll: it lists the
// world's connected devices as they are at the moment of the call.

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/closed_libraries.h"
#include "standin/export.h"
#include "standin/fail_list.h"
#include "standin/library.h"

namespace {

using standin::Json;

struct Device {
    std::uint32_t deviceID = 0;
    std::uint64_t individualID = 0;
};

struct World {
    standin::FailList failures;
    std::vector<Device> devices;
};

class Model {
public:
    void apply(const Json& section) {
        World world{standin::FailList(section), {}};
        for (const Json& entry : standin::list(section, "devices")) {
            world.devices.push_back({standin::integer<std::uint32_t>(entry, "deviceID"),
                                     standin::integer<std::uint64_t>(entry, "individualID")});
        }
        worlds_.add(std::move(world));
    }
    bool fails(std::string_view function) const { return world().failures.contains(function); }
    const World& world() const noexcept { return worlds_.current(); }

private:
    standin::Generations<World> worlds_;
};

standin::Library<Model>& library() {
    static standin::Library<Model> instance("trellis");
    return instance;
}

}  // namespace

// Failing makes the list look empty: the first index already ends it.
STANDIN_EXPORT std::int32_t TrlEnumConnectedDevices(std::int32_t index, std::uint32_t* deviceID,
                                                    std::uint64_t* individualID) {
    return library().call("TrlEnumConnectedDevices", [=](Model& model, bool failing) -> std::int32_t {
        const std::vector<Device>& devices = model.world().devices;
        if (failing || deviceID == nullptr || individualID == nullptr || index < 0 ||
            static_cast<std::size_t>(index) >= devices.size()) {
            return -1;
        }
        const Device& device = devices[static_cast<std::size_t>(index)];
        *deviceID = device.deviceID;
        *individualID = device.individualID;
        return 0;
    });
}

STANDIN_CONTROL_EXPORTS(library())
