#pragma once
// Shared ground of the resources that walk the system-information library's
// snapshots: every snapshot it hands out must go back to it exactly once.

#include <cstdint>
#include <string>

#include "platform/library_text.h"
#include "platform/ostrel.h"

namespace kelto::system {

// Gives a snapshot back when the walk ends, also when a getter or a missing
// run-time function ends it early. The library is told about every snapshot
// it created, a null one included, so its create and release calls pair up.
class Snapshot {
public:
    explicit Snapshot(OstrHandle handle) noexcept : handle_(handle) {}
    ~Snapshot() { OstrReleaseSnapshot(handle_); }
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;

    OstrHandle get() const noexcept { return handle_; }

private:
    OstrHandle handle_;
};

// Walks a snapshot from index 0 until the library answers no item.
template <class Enumerate, class Visit>
void forEachItem(const Snapshot& snapshot, Enumerate enumerate, Visit visit) {
    for (std::uint32_t index = 0;; ++index) {
        const OstrHandle item = enumerate(snapshot.get(), index);
        if (item == nullptr) return;
        visit(item);
    }
}

}  // namespace kelto::system
