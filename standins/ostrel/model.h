#pragma once
// What the system-information stand-in remembers between calls: the world and
// the snapshots handed out. A snapshot copies its items from the world when it
// is created, so its items stay put until it is released, whatever happens to
// the world meanwhile.

#include <cstdint>
#include <map>
#include <memory>
#include <string_view>
#include <typeindex>
#include <unordered_map>
#include <unordered_set>
#include <variant>
#include <vector>

#include "standin/library.h"
#include "world.h"

namespace ostrel {

using Handle = void*;
using Item = std::variant<Process, UsbDevice, Application, Kext, Printer, ApplicationWindow>;

class Model {
public:
    void apply(const standin::Json& section);
    bool fails(std::string_view function) const { return world().failures.contains(function); }
    const World& world() const noexcept { return worlds_.current(); }

    template <typename T>
    Handle createSnapshot(const std::vector<T>& source);
    template <typename T>
    Handle enumerate(Handle snapshot, std::uint32_t index) const;
    // The item behind a handle, or null when the handle is no live item of that kind.
    template <typename T>
    const T* item(Handle handle) const;
    void release(Handle snapshot);
    std::int32_t liveSnapshots() const noexcept { return static_cast<std::int32_t>(snapshots_.size()); }

    Handle cardAt(std::uint32_t index) const;
    Handle cardOfScreen(std::string_view screenDeviceId) const;
    // Cards of every world ever applied stay valid.
    const GraphicsCard* card(Handle handle) const;

private:
    struct Snapshot {
        std::type_index kind;
        std::vector<Item> items;
    };

    standin::Generations<World> worlds_;
    std::map<const void*, std::unique_ptr<Snapshot>> snapshots_;
    std::unordered_map<const void*, const Item*> liveItems_;
    std::unordered_set<const void*> cards_;
};

template <typename T>
Handle Model::createSnapshot(const std::vector<T>& source) {
    auto snapshot = std::make_unique<Snapshot>(Snapshot{typeid(T), {}});
    snapshot->items.reserve(source.size());
    for (const T& entry : source) snapshot->items.emplace_back(std::in_place_type<T>, entry);
    // Item addresses are final now: the vector never grows again.
    for (const Item& entry : snapshot->items) liveItems_.emplace(&entry, &entry);
    Handle handle = snapshot.get();
    snapshots_.emplace(handle, std::move(snapshot));
    return handle;
}

template <typename T>
Handle Model::enumerate(Handle snapshot, std::uint32_t index) const {
    const auto found = snapshots_.find(snapshot);
    if (found == snapshots_.end() || found->second->kind != typeid(T)) return nullptr;
    std::vector<Item>& items = found->second->items;
    return index < items.size() ? &items[index] : nullptr;
}

template <typename T>
const T* Model::item(Handle handle) const {
    const auto found = liveItems_.find(handle);
    return found == liveItems_.end() ? nullptr : std::get_if<T>(found->second);
}

}  // namespace ostrel
