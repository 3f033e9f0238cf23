#include "model.h"

#include "standin/text.h"

namespace ostrel {

void Model::apply(const standin::Json& section) {
    worlds_.add(parseWorld(section));
    for (const GraphicsCard& card : world().graphicsCards) cards_.insert(&card);
}

void Model::release(Handle snapshot) {
    const auto found = snapshots_.find(snapshot);
    if (found == snapshots_.end()) return;
    for (const Item& entry : found->second->items) liveItems_.erase(&entry);
    snapshots_.erase(found);
}

Handle Model::cardAt(std::uint32_t index) const {
    const std::vector<GraphicsCard>& cards = world().graphicsCards;
    return index < cards.size() ? const_cast<GraphicsCard*>(&cards[index]) : nullptr;
}

Handle Model::cardOfScreen(std::string_view screenDeviceId) const {
    for (const GraphicsCard& card : world().graphicsCards) {
        for (const std::string& id : card.screenDeviceIds) {
            if (standin::equalsIgnoringCase(id, screenDeviceId)) return const_cast<GraphicsCard*>(&card);
        }
    }
    return nullptr;
}

const GraphicsCard* Model::card(Handle handle) const {
    return cards_.contains(handle) ? static_cast<const GraphicsCard*>(handle) : nullptr;
}

}  // namespace ostrel
