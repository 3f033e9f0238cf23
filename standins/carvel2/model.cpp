#include "model.h"

#include <algorithm>

namespace carvel2 {

void Model::apply(const standin::Json& section) {
    worlds_.add(parseWorld(section));
    settings_.clear();
}

void Model::findScreens() {
    current_.clear();
    for (const Screen& described : worlds_.current().screens) {
        auto screen = std::make_unique<Screen>(described);
        if (const auto found = settings_.find(screen->deviceId); found != settings_.end()) {
            if (found->second.profileSet) screen->profile = found->second.profile;
            if (found->second.gamma) screen->gamma = *found->second.gamma;
        }
        screens_.emplace(screen.get(), screen.get());
        if (screen->edid) edids_.emplace(&*screen->edid, &*screen->edid);
        current_.push_back(screen.get());
        handedOut_.push_back(std::move(screen));
    }
}

void Model::clearRecords() {
    std::erase_if(handedOut_, [this](const std::unique_ptr<Screen>& screen) {
        if (std::find(current_.begin(), current_.end(), screen.get()) != current_.end()) return false;
        screens_.erase(screen.get());
        if (screen->edid) edids_.erase(&*screen->edid);
        return true;
    });
}

std::vector<Screen*> Model::forMonitor(std::string_view serial, std::string_view product) const {
    std::vector<Screen*> found;
    for (Screen* screen : current_) {
        if (screen->edid && screen->edid->serialNumber == serial && screen->edid->productName == product) {
            found.push_back(screen);
        }
    }
    return found;
}

std::vector<Screen*> Model::forPoint(CrvPoint point) const {
    std::vector<Screen*> found;
    for (Screen* screen : current_) {
        const CrvRect& b = screen->bounds;
        const bool insideX = point.x >= b.x && static_cast<std::int64_t>(point.x) < std::int64_t{b.x} + b.width;
        const bool insideY = point.y >= b.y && static_cast<std::int64_t>(point.y) < std::int64_t{b.y} + b.height;
        if (insideX && insideY) found.push_back(screen);
    }
    return found;
}

Screen* Model::screen(const void* handle) const {
    const auto found = screens_.find(handle);
    return found == screens_.end() ? nullptr : found->second;
}

const Edid* Model::edid(const void* handle) const {
    const auto found = edids_.find(handle);
    return found == edids_.end() ? nullptr : found->second;
}

void Model::setProfile(Screen& screen, std::optional<std::string> path) {
    Settings& settings = settings_[screen.deviceId];
    settings.profileSet = true;
    settings.profile = path;
    screen.profile = std::move(path);
}

void Model::setGamma(Screen& screen, const Gamma& gamma) {
    settings_[screen.deviceId].gamma = gamma;
    screen.gamma = gamma;
}

}  // namespace carvel2
