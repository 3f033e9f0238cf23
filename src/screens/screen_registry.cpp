#include "screens/screen_registry.h"

#include <windows.h>

#include <utility>

#include "platform/path.h"
#include "pocketjson/json.h"
#include "screens/screen_record.h"

namespace kelto {

namespace {

// Indexes 0 to count-1 through at(), null handles left out.
template <class At>
ScreenList collect(std::uint32_t count, At at) {
    ScreenList list;
    for (std::uint32_t index = 0; index < count; ++index) {
        if (const ScreenHandle screen = at(index)) list.push_back(screen);
    }
    return list;
}

}  // namespace

ScreenRegistry& ScreenRegistry::instance() {
    static ScreenRegistry registry;
    return registry;
}

ScreenRegistry::~ScreenRegistry() {
    const std::lock_guard hold(lock_);
    CrvReleaseScreens();
}

ScreenList ScreenRegistry::screens() {
    const std::lock_guard hold(lock_);
    return collect(CrvGetScreenCount(), [](std::uint32_t index) { return CrvGetScreenAtIndex(index); });
}

ScreenList ScreenRegistry::screensForMonitor(const std::string& serial, const std::string& product) {
    const std::lock_guard hold(lock_);
    return collect(CrvGetScreenCountForMonitor(serial.c_str(), product.c_str()), [&](std::uint32_t index) {
        return CrvGetScreenForMonitorAtIndex(serial.c_str(), product.c_str(), index);
    });
}

ScreenList ScreenRegistry::screensForPoint(std::int32_t x, std::int32_t y) {
    const std::lock_guard hold(lock_);
    const CrvPoint point = CrvPointMake(x, y);
    return collect(CrvGetScreenCountForPoint(point),
                   [point](std::uint32_t index) { return CrvGetScreenForPointAtIndex(point, index); });
}

pocketjson::Value ScreenRegistry::describeScreen(ScreenHandle screen) {
    if (screen == nullptr) return pocketjson::Value();
    const std::lock_guard hold(lock_);
    return screens::screenRecord(screen);
}

pocketjson::Value ScreenRegistry::screenRecords() {
    const std::lock_guard hold(lock_);
    pocketjson::Value list(pocketjson::ValueType::Array);
    pocketjson::Value::Array& records = list.mutableElements();
    const ScreenList all = screens();
    records.reserve(all.size());
    for (const ScreenHandle screen : all) records.push_back(describeScreen(screen));
    return list;
}

std::string ScreenRegistry::screensJson() { return pocketjson::toJson(screenRecords()); }

bool ScreenRegistry::screenProfilePath(ScreenHandle screen, std::string& path) {
    const std::lock_guard hold(lock_);
    std::uint32_t size = 0;
    if (CrvGetScreenProfile(screen, nullptr, &size) == 0 || size == 0) return false;
    std::string buffer(size, '\0');
    if (CrvGetScreenProfile(screen, buffer.data(), &size) == 0) return false;
    // The size counts the terminating zero; the text ends at the first one.
    path = buffer.c_str();
    return true;
}

bool ScreenRegistry::removeScreenProfile(ScreenHandle screen, const std::string& fileName) {
    const std::lock_guard hold(lock_);
    const bool detached = CrvSetScreenProfile(screen, nullptr) != 0;
    // Whether the file could be deleted is not the caller's concern: the
    // profile is detached either way.
    if (detached && !fileName.empty()) DeleteFileW(fs::Path(fileName).wide().c_str());
    return detached;
}

void ScreenRegistry::setLastScreensJson(std::string text) {
    const std::lock_guard hold(lastScreensJsonLock_);
    lastScreensJson_ = std::move(text);
}

bool ScreenRegistry::replaceLastScreensJson(const std::string& text) {
    const std::lock_guard hold(lastScreensJsonLock_);
    if (text == lastScreensJson_) return false;
    lastScreensJson_ = text;
    return true;
}

}  // namespace kelto
