#pragma once

// Tells a watch that the store was written, by another process (a message
// queued with mivex-cli queue or in the window's Outbox) or by itself,
// without polling: inotify on the folder that holds the volume. Only writes
// to the volume and its write-ahead log count; opening it to read creates
// and touches side files, which would wake the watch for every look of its
// own. The watch's own writes (the messages it stores) wake it too; they are
// told from other processes' by SQLite's count of other connections' commits,
// and are no news.

#include <chrono>
#include <filesystem>
#include <optional>

#include "store/store.h"

namespace mivex::transfer {

class StoreChanges {
public:
    // The volume of `store`; its folder must exist. Without inotify the
    // descriptor is -1 and no change is ever seen.
    explicit StoreChanges(store::Store& store);
    ~StoreChanges();
    StoreChanges(const StoreChanges&) = delete;
    StoreChanges& operator=(const StoreChanges&) = delete;

    // Readable once the folder has news, of the volume or not.
    [[nodiscard]] int Descriptor() const { return descriptor_; }

    // True when the volume was written since the last call, by another
    // connection than `store`'s when it is mounted. After such a write it
    // waits for the writes to stop for `quiet` (up to `longest` in all), so a
    // burst of writes from one queueing counts once. Never blocks when
    // nothing new was written.
    [[nodiscard]] bool TakeChanges(std::chrono::milliseconds quiet = std::chrono::milliseconds(200),
                                   std::chrono::milliseconds longest = std::chrono::seconds(2));

private:
    // Reads the events waiting; true when one was a write to the volume.
    [[nodiscard]] bool ReadEvents();

    store::Store& store_;
    // Other connections' commits when the last change was taken.
    std::optional<store::Store::OthersCommits> seen_;
    int descriptor_ = -1;
    std::filesystem::path volumeName_;
    std::filesystem::path logName_;
};

}  // namespace mivex::transfer
