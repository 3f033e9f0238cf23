// Exports of the lighting-equipment stand-in libpallet_x64.dll. The minimal
// variant (STANDIN_MINIMAL) lacks PltRetrieveEx, which makes the caller
// unable to list equipment at all.
//
// Like the monitor-control stand-in it answers from a "known" list that only
// PltUpdateEx refreshes from the world's attached equipment; the list starts
// empty unless the world gives "known". Device texts are features 0xFF23,
// selector 1 (product) and 2 (serial), read as raw bytes without a
// terminating zero: the byte count is the text's length.

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

constexpr std::uint32_t kLightingEquipment = 0x10;
constexpr std::uint32_t kTextFeature = 0xFF23;
constexpr std::uint16_t kProductSelector = 1;
constexpr std::uint16_t kSerialSelector = 2;

// Status codes of this library: negative means failure.
constexpr std::int32_t kFailed = static_cast<std::int32_t>(0x80000001u);
constexpr std::int32_t kNoSuchDevice = static_cast<std::int32_t>(0x80000002u);
constexpr std::int32_t kBadArgument = static_cast<std::int32_t>(0x80000003u);
// Partial success: the data is delivered anyway.
constexpr std::int32_t kPartialSuccess = static_cast<std::int32_t>(0x80000006u);

struct Equipment {
    std::uint64_t handle = 0;
    std::string product;
    std::string serial;
    // Result of reading each text: 0, kPartialSuccess (data still delivered)
    // or any other negative code (nothing delivered).
    std::int32_t productCode = 0;
    std::int32_t serialCode = 0;
};

struct World {
    standin::FailList failures;
    std::vector<Equipment> attached;
};

std::vector<Equipment> equipment(const Json& section, const char* key) {
    std::vector<Equipment> parsed;
    for (const Json& entry : standin::list(section, key)) {
        parsed.push_back({standin::integer<std::uint64_t>(entry, "handle"), standin::ansiText(entry, "product"),
                          standin::ansiText(entry, "serial"), standin::integer<std::int32_t>(entry, "productCode"),
                          standin::integer<std::int32_t>(entry, "serialCode")});
    }
    return parsed;
}

bool delivers(std::int32_t code) noexcept { return code >= 0 || code == kPartialSuccess; }

// One text feature of one device, or the code that refuses it.
struct FeatureText {
    std::int32_t code = kNoSuchDevice;
    std::string_view text;
};

class Model {
public:
    void apply(const Json& section) {
        World world{standin::FailList(section), equipment(section, "equipment")};
        if (standin::has(section, "known")) known_ = equipment(section, "known");
        worlds_.add(std::move(world));
    }
    bool fails(std::string_view function) const { return worlds_.current().failures.contains(function); }

    void rescan() { known_ = worlds_.current().attached; }
    const std::vector<Equipment>& known() const noexcept { return known_; }

    FeatureText feature(std::uint64_t handle, std::uint32_t feature, std::uint16_t selector) const {
        const auto device =
            std::find_if(known_.begin(), known_.end(), [handle](const Equipment& e) { return e.handle == handle; });
        if (device == known_.end()) return {kNoSuchDevice, {}};
        if (feature != kTextFeature) return {kBadArgument, {}};
        if (selector == kProductSelector) return {device->productCode, device->product};
        if (selector == kSerialSelector) return {device->serialCode, device->serial};
        return {kBadArgument, {}};
    }

private:
    standin::Generations<World> worlds_;
    std::vector<Equipment> known_;
};

standin::Library<Model>& library() {
    static standin::Library<Model> instance("pallet");
    return instance;
}

}  // namespace

STANDIN_EXPORT std::int32_t PltUpdateEx(std::uint32_t deviceClass) {
    return library().call("PltUpdateEx", [deviceClass](Model& model, bool failing) -> std::int32_t {
        if (failing) return kFailed;
        if (deviceClass == kLightingEquipment) model.rescan();
        return 0;
    });
}

#ifndef STANDIN_MINIMAL
STANDIN_EXPORT std::int32_t PltRetrieveEx(std::uint32_t deviceClass, std::int32_t index, std::uint64_t* handle) {
    return library().call("PltRetrieveEx", [=](Model& model, bool failing) -> std::int32_t {
        if (failing || handle == nullptr || deviceClass != kLightingEquipment) return kFailed;
        if (index < 0 || static_cast<std::size_t>(index) >= model.known().size()) return -1;
        *handle = model.known()[static_cast<std::size_t>(index)].handle;
        return 0;
    });
}
#endif

// Reports the feature's byte count; flag and value1-3 are left alone.
STANDIN_EXPORT std::int32_t PltGetFixedData(std::uint64_t handle, std::uint32_t feature, std::uint16_t selector,
                                            std::uint8_t* /*flag*/, std::uint32_t* /*value1*/,
                                            std::uint32_t* /*value2*/, std::uint32_t* /*value3*/,
                                            std::uint32_t* byteCount) {
    return library().call("PltGetFixedData", [=](Model& model, bool failing) -> std::int32_t {
        if (failing) return kFailed;
        if (byteCount == nullptr) return kBadArgument;
        const FeatureText found = model.feature(handle, feature, selector);
        if (delivers(found.code)) *byteCount = static_cast<std::uint32_t>(found.text.size());
        return found.code;
    });
}

// Copies at most length bytes of the text; adds no terminating zero.
STANDIN_EXPORT std::int32_t PltGetFeatureArray(std::uint64_t handle, std::uint32_t feature, std::uint16_t selector,
                                               void* buffer, std::uint32_t length) {
    return library().call("PltGetFeatureArray", [=](Model& model, bool failing) -> std::int32_t {
        if (failing) return kFailed;
        if (buffer == nullptr && length > 0) return kBadArgument;
        const FeatureText found = model.feature(handle, feature, selector);
        if (delivers(found.code) && length > 0) {
            std::memcpy(buffer, found.text.data(), std::min<std::size_t>(length, found.text.size()));
        }
        return found.code;
    });
}

STANDIN_CONTROL_EXPORTS(library())
