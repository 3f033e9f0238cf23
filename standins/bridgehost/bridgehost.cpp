// Stand-in bridge host: records what the library answers and dispatches, and
// forwards native events to the callbacks the library registered.

#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "bridge_helper.h"
#include "bridgehost_control.h"
#include "platform/locks.h"

namespace {

struct Response {
    std::int32_t status = 0;
    std::string text;
    std::int32_t count = 0;
};

struct Event {
    std::string name;
    std::string payload;
    std::uint64_t ticks = 0;  // GetTickCount64 when the library dispatched it
};

struct Callback {
    BridgeHelperEventCallback function;
    void* context;
};

struct Sink {
    BridgeHostEventSink function = nullptr;
    void* context = nullptr;
};

const char* textOrEmpty(const char* text) noexcept { return text != nullptr ? text : ""; }

using ResponseMap = std::map<std::uint32_t, Response>;
using ResponseNode = ResponseMap::node_type;

// A reset keeps up to this much of the answers' text capacity for the next
// answers: freed at once and allocated again page by page, answer texts cost
// the host a page fault per page under Wine, more than the library's whole
// answer for a small request.
constexpr std::size_t kKeptTextBytes = std::size_t{16} << 20;
constexpr std::size_t kKeptResponses = 4096;

// Responses live in map nodes and events in a deque that only grows at the
// back, so the texts handed out stay where they are until the next reset.
class Host {
public:
    // Every request of every kind takes a promise: no lock for it.
    std::uint32_t createPromise() noexcept { return lastPromise_.fetch_add(1) + 1; }

    std::uint32_t lastPromise() const noexcept { return lastPromise_.load(); }

    // The text is copied outside the lock, into a node kept from before the
    // last reset when there is one.
    bool setResponse(std::uint32_t promise, std::int32_t status, const char* text) {
        ResponseNode node = takeKeptNode();
        node.key() = promise;
        node.mapped().status = status;
        node.mapped().text.assign(textOrEmpty(text));
        node.mapped().count = 1;
        const std::lock_guard lock(lock_);
        auto [position, inserted, rest] = responses_.insert(std::move(node));
        if (!inserted) {
            ++position->second.count;
            keptNodes_.push_back(std::move(rest));
        }
        return inserted;
    }

    std::int32_t responseCount(std::uint32_t promise) {
        const std::lock_guard lock(lock_);
        const Response* response = findResponse(promise);
        return response != nullptr ? response->count : 0;
    }

    std::int32_t responseStatus(std::uint32_t promise) {
        const std::lock_guard lock(lock_);
        const Response* response = findResponse(promise);
        return response != nullptr ? response->status : 0;
    }

    const char* responseText(std::uint32_t promise) {
        const std::lock_guard lock(lock_);
        const Response* response = findResponse(promise);
        return response != nullptr ? response->text.c_str() : nullptr;
    }

    void dispatchEvent(const char* name, const char* payload) {
        Event event{textOrEmpty(name), textOrEmpty(payload), GetTickCount64()};
        Sink sink;
        {
            const std::lock_guard lock(lock_);
            sink = sink_;
            events_.push_back(event);
        }
        // The sink may call back into the host, so it runs without the lock;
        // waiters are woken only afterwards so that they see its effects.
        if (sink.function != nullptr) {
            sink.function(event.name.c_str(), event.payload.c_str(), sink.context);
        }
        eventRecorded_.notify_all();
    }

    std::int32_t eventCount() {
        const std::lock_guard lock(lock_);
        return static_cast<std::int32_t>(events_.size());
    }

    const char* eventName(std::int32_t index) {
        const std::lock_guard lock(lock_);
        const Event* event = findEvent(index);
        return event != nullptr ? event->name.c_str() : nullptr;
    }

    const char* eventPayload(std::int32_t index) {
        const std::lock_guard lock(lock_);
        const Event* event = findEvent(index);
        return event != nullptr ? event->payload.c_str() : nullptr;
    }

    std::uint64_t eventTicks(std::int32_t index) {
        const std::lock_guard lock(lock_);
        const Event* event = findEvent(index);
        return event != nullptr ? event->ticks : 0;
    }

    void setSink(BridgeHostEventSink function, void* context) {
        const std::lock_guard lock(lock_);
        sink_ = Sink{function, function != nullptr ? context : nullptr};
    }

    std::int32_t waitForEvents(std::int32_t count, std::uint32_t timeoutMs) {
        std::unique_lock lock(lock_);
        const auto enough = [&] { return static_cast<std::int64_t>(events_.size()) >= count; };
        if (timeoutMs == INFINITE) {
            eventRecorded_.wait(lock, enough);
        } else {
            eventRecorded_.wait_for(lock, std::chrono::milliseconds(timeoutMs), enough);
        }
        return static_cast<std::int32_t>(events_.size());
    }

    bool addCallback(BridgeHelperEventCallback function, void* context) {
        if (function == nullptr) {
            return false;
        }
        const std::lock_guard lock(lock_);
        callbacks_.push_back(Callback{function, context});
        return true;
    }

    std::int32_t removeCallbacks(void* context) {
        const std::lock_guard lock(lock_);
        return static_cast<std::int32_t>(
            std::erase_if(callbacks_, [context](const Callback& c) { return c.context == context; }));
    }

    std::int32_t callbackCount() {
        const std::lock_guard lock(lock_);
        return static_cast<std::int32_t>(callbacks_.size());
    }

    // Callbacks run on a copy of the list and without the lock, so that a
    // callback may dispatch events or unregister itself.
    void sendNativeEvent(const char* eventType, void* message) {
        std::vector<Callback> callbacks;
        {
            const std::lock_guard lock(lock_);
            callbacks = callbacks_;
        }
        for (const Callback& callback : callbacks) {
            callback.function(eventType, message, callback.context);
        }
    }

    void reset() {
        const std::lock_guard lock(lock_);
        std::size_t keptBytes = 0;
        for (const ResponseNode& node : keptNodes_) keptBytes += node.mapped().text.capacity();
        while (!responses_.empty() && keptNodes_.size() < kKeptResponses) {
            ResponseNode node = responses_.extract(responses_.begin());
            keptBytes += node.mapped().text.capacity();
            if (keptBytes > kKeptTextBytes) break;
            keptNodes_.push_back(std::move(node));
        }
        responses_.clear();
        events_.clear();
    }

private:
    ResponseNode takeKeptNode() {
        {
            const std::lock_guard lock(lock_);
            if (!keptNodes_.empty()) {
                ResponseNode node = std::move(keptNodes_.back());
                keptNodes_.pop_back();
                return node;
            }
        }
        ResponseMap one;
        one.try_emplace(0);
        return one.extract(one.begin());
    }

    const Response* findResponse(std::uint32_t promise) const {
        const auto found = responses_.find(promise);
        return found != responses_.end() ? &found->second : nullptr;
    }

    const Event* findEvent(std::int32_t index) const {
        if (index < 0 || static_cast<std::size_t>(index) >= events_.size()) {
            return nullptr;
        }
        return &events_[static_cast<std::size_t>(index)];
    }

    kelto::SlimLock lock_;
    std::condition_variable_any eventRecorded_;
    std::atomic<std::uint32_t> lastPromise_{0};
    ResponseMap responses_;
    std::vector<ResponseNode> keptNodes_;
    std::deque<Event> events_;
    std::vector<Callback> callbacks_;
    Sink sink_;
};

Host& host() {
    static Host instance;
    return instance;
}

}  // namespace

extern "C" {

uint32_t BridgeHelperCreatePromiseID(void) { return host().createPromise(); }

int32_t BridgeHelperSetResponse(uint32_t promiseId, int32_t statusCode, const char* json) {
    return host().setResponse(promiseId, statusCode, json) ? 1 : 0;
}

int32_t BridgeHelperAddEventCallback(BridgeHelperEventCallback callback, void* context) {
    return host().addCallback(callback, context) ? 1 : 0;
}

int32_t BridgeHelperRemoveEventCallback(void* context) { return host().removeCallbacks(context); }

int32_t BridgeHelperDispatchEvent(const char* eventName, const char* payload) {
    host().dispatchEvent(eventName, payload);
    return 1;
}

void BridgeHostReset(void) { host().reset(); }

uint32_t BridgeHostLastPromise(void) { return host().lastPromise(); }

int32_t BridgeHostResponseCount(uint32_t promiseId) { return host().responseCount(promiseId); }

int32_t BridgeHostResponseStatus(uint32_t promiseId) { return host().responseStatus(promiseId); }

const char* BridgeHostResponseText(uint32_t promiseId) { return host().responseText(promiseId); }

int32_t BridgeHostEventCount(void) { return host().eventCount(); }

const char* BridgeHostEventName(int32_t index) { return host().eventName(index); }

const char* BridgeHostEventPayload(int32_t index) { return host().eventPayload(index); }

uint64_t BridgeHostEventTicks(int32_t index) { return host().eventTicks(index); }

void BridgeHostSetEventSink(BridgeHostEventSink sink, void* context) { host().setSink(sink, context); }

int32_t BridgeHostWaitForEvents(int32_t count, uint32_t timeoutMs) { return host().waitForEvents(count, timeoutMs); }

int32_t BridgeHostCallbackCount(void) { return host().callbackCount(); }

void BridgeHostSendNativeEvent(const char* eventType, void* message) { host().sendNativeEvent(eventType, message); }

void BridgeHostSendWindowMessage(uint32_t message, uint64_t wParam, int64_t lParam) {
    MSG msg{};
    msg.hwnd = nullptr;
    msg.message = message;
    msg.wParam = static_cast<WPARAM>(wParam);
    msg.lParam = static_cast<LPARAM>(lParam);
    msg.time = GetTickCount();
    msg.pt = POINT{0, 0};
    host().sendNativeEvent("_native_windows_generic_MSG", &msg);
}

}  // extern "C"
