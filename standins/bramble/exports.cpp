// Exports of the sensor stand-in libbramble.dll. The minimal variant
// (STANDIN_MINIMAL) keeps only the lock and update notifications, as an
// older library that cannot list serial sensors or look sensors up.
//
// Besides answering lookups it records what the caller told it (locks,
// unlocks, the controllers named before and after a rescan, the sensors it was
// asked to remove), readable through BrambleStandinState.

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/closed_libraries.h"
#include "standin/export.h"
#include "standin/fail_list.h"
#include "standin/library.h"
#include "standin/text.h"

namespace {

using standin::Json;

struct Sensor {
    std::uint64_t handle = 0;
    std::uint64_t hidHandle = 0;
    std::uint32_t deviceID = 0;
};

struct World {
    standin::FailList failures;
    std::vector<Sensor> sensors;
    std::vector<std::uint32_t> serialSensors;
};

World parseWorld(const Json& section) {
    World world{standin::FailList(section), {}, {}};
    for (const Json& entry : standin::list(section, "sensors")) {
        world.sensors.push_back({standin::integer<std::uint64_t>(entry, "handle"),
                                 standin::integer<std::uint64_t>(entry, "hidHandle"),
                                 standin::integer<std::uint32_t>(entry, "deviceID")});
    }
    for (const Json& entry : standin::list(section, "serialSensors")) {
        world.serialSensors.push_back(standin::integer<std::uint32_t>(entry, "deviceID"));
    }
    return world;
}

// What the caller told the library, in the order it did.
struct Records {
    std::int32_t locks = 0;
    std::int32_t unlocks = 0;
    std::vector<std::pair<std::string, std::string>> preUpdates;
    std::vector<std::pair<std::string, std::string>> updates;
    std::vector<std::uint64_t> removals;
};

Json monitorsJson(const std::vector<std::pair<std::string, std::string>>& monitors) {
    Json list = Json::array();
    for (const auto& [serial, product] : monitors) {
        list.push_back({{"serial", standin::utf8FromAnsi(serial)}, {"product", standin::utf8FromAnsi(product)}});
    }
    return list;
}

class Model {
public:
    // A new world brings its own sensors: earlier removals no longer apply.
    void apply(const Json& section) {
        worlds_.add(parseWorld(section));
        removed_.clear();
    }
    bool fails(std::string_view function) const { return world().failures.contains(function); }
    const World& world() const noexcept { return worlds_.current(); }
    Records& records() noexcept { return records_; }
    void clearRecords() { records_ = {}; }

    template <typename Match>
    const Sensor* findSensor(Match match) const {
        for (const Sensor& sensor : world().sensors) {
            if (match(sensor) && !removed_.contains(sensor.handle)) return &sensor;
        }
        return nullptr;
    }

    bool remove(std::uint64_t handle) {
        if (findSensor([handle](const Sensor& s) { return s.handle == handle; }) == nullptr) return false;
        removed_.insert(handle);
        records_.removals.push_back(handle);
        return true;
    }

    std::string stateJson() const {
        const Json state = {{"lockCount", records_.locks},
                            {"unlockCount", records_.unlocks},
                            {"preUpdates", monitorsJson(records_.preUpdates)},
                            {"updates", monitorsJson(records_.updates)},
                            {"removedSensors", records_.removals}};
        return state.dump(-1, ' ', false, Json::error_handler_t::replace);
    }

private:
    standin::Generations<World> worlds_;
    std::set<std::uint64_t> removed_;
    Records records_;
};

standin::Library<Model>& library() {
    static standin::Library<Model> instance("bramble");
    return instance;
}

void recordMonitor(std::string_view function, const char* serial, const char* product,
                   std::vector<std::pair<std::string, std::string>> Records::*list) {
    library().call(function, [=](Model& model, bool) {
        (model.records().*list).emplace_back(serial ? serial : "", product ? product : "");
    });
}

// Stores the handle of the first sensor that matches, 0 when none does.
template <typename Match>
std::int32_t lookUp(std::string_view function, std::uint64_t* sensorHandle, Match match) {
    return library().call(function, [=](Model& model, bool failing) -> std::int32_t {
        if (sensorHandle == nullptr) return -1;
        const Sensor* sensor = failing ? nullptr : model.findSensor(match);
        *sensorHandle = sensor ? sensor->handle : 0;
        return sensor ? 0 : -1;
    });
}

}  // namespace

STANDIN_EXPORT void BrambleLockSensors() {
    library().call("BrambleLockSensors", [](Model& model, bool) { ++model.records().locks; });
}

STANDIN_EXPORT void BrambleUnlockSensors() {
    library().call("BrambleUnlockSensors", [](Model& model, bool) { ++model.records().unlocks; });
}

STANDIN_EXPORT void BramblePreUpdateBuiltInSensorHandle(const char* serial, const char* product) {
    recordMonitor("BramblePreUpdateBuiltInSensorHandle", serial, product, &Records::preUpdates);
}

STANDIN_EXPORT void BrambleUpdateBuiltInSensorHandle(const char* serial, const char* product) {
    recordMonitor("BrambleUpdateBuiltInSensorHandle", serial, product, &Records::updates);
}

#ifndef STANDIN_MINIMAL
STANDIN_EXPORT std::int32_t BrambleGetHandleForHIDHandle(std::uint64_t hidHandle, std::uint64_t* sensorHandle) {
    return lookUp("BrambleGetHandleForHIDHandle", sensorHandle,
                  [hidHandle](const Sensor& s) { return s.hidHandle == hidHandle; });
}

STANDIN_EXPORT std::int32_t BrambleGetHandleForDeviceID(std::uint32_t deviceID, std::uint64_t* sensorHandle) {
    return lookUp("BrambleGetHandleForDeviceID", sensorHandle,
                  [deviceID](const Sensor& s) { return s.deviceID == deviceID; });
}

STANDIN_EXPORT std::int32_t BrambleRemoveSensor(std::uint64_t sensorHandle) {
    return library().call("BrambleRemoveSensor", [sensorHandle](Model& model, bool failing) -> std::int32_t {
        return !failing && model.remove(sensorHandle) ? 0 : -1;
    });
}

STANDIN_EXPORT std::int32_t BrambleEnumConnectedSerialSensors(std::int32_t index, std::uint32_t* deviceID) {
    return library().call("BrambleEnumConnectedSerialSensors", [=](Model& model, bool failing) -> std::int32_t {
        const std::vector<std::uint32_t>& sensors = model.world().serialSensors;
        if (failing || deviceID == nullptr || index < 0 || static_cast<std::size_t>(index) >= sensors.size()) {
            return -1;
        }
        *deviceID = sensors[static_cast<std::size_t>(index)];
        return 0;
    });
}
#endif

// StandinResetCallLog also forgets the records that BrambleStandinState reports.
STANDIN_CONTROL_EXPORTS(library())

// Valid until the next call of BrambleStandinState.
STANDIN_EXPORT const char* BrambleStandinState() {
    static std::string text;
    return library().control([](Model& model) -> const char* {
        text = model.stateJson();
        return text.c_str();
    });
}
