#include "transfer/store_changes.h"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

namespace mivex::transfer {
namespace {

// SQLite's write-ahead log beside the volume.
constexpr char kLogSuffix[] = "-wal";
// A write to a file, or a whole file put in its place.
constexpr std::uint32_t kWrites = IN_MODIFY | IN_MOVED_TO;

// Readable within `timeoutMs`.
bool Readable(int descriptor, int timeoutMs) {
    pollfd watched{descriptor, POLLIN, 0};
    int ready = -1;
    do {
        ready = poll(&watched, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    return ready > 0;
}

}  // namespace

StoreChanges::StoreChanges(store::Store& store) : store_(store) {
    const std::filesystem::path volume = store.VolumePath();
    volumeName_ = volume.filename();
    logName_ = volume.filename().string() + kLogSuffix;
    descriptor_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (descriptor_ < 0) {
        return;
    }
    if (inotify_add_watch(descriptor_, volume.parent_path().c_str(), kWrites) < 0) {
        close(descriptor_);
        descriptor_ = -1;
    }
}

StoreChanges::~StoreChanges() {
    if (descriptor_ >= 0) {
        close(descriptor_);
    }
}

bool StoreChanges::ReadEvents() {
    // Aligned as the kernel writes inotify_event records.
    alignas(inotify_event) std::array<char, 4096> buffer{};
    bool written = false;
    for (;;) {
        const ssize_t count = read(descriptor_, buffer.data(), buffer.size());
        if (count <= 0) {
            return written;
        }
        for (std::size_t at = 0; at + sizeof(inotify_event) <= static_cast<std::size_t>(count);) {
            inotify_event event{};
            std::memcpy(&event, buffer.data() + at, sizeof event);
            const char* name = buffer.data() + at + sizeof event;
            if (event.len != 0 && (event.mask & kWrites) != 0 &&
                (volumeName_ == name || logName_ == name)) {
                written = true;
            }
            at += sizeof event + event.len;
        }
    }
}

bool StoreChanges::TakeChanges(std::chrono::milliseconds quiet, std::chrono::milliseconds longest) {
    if (descriptor_ < 0 || !ReadEvents()) {
        return false;
    }
    const std::optional<store::Store::OthersCommits> now = store_.CommitsByOthers();
    if (now && now == seen_) {
        return false;  // the store's own commits
    }
    using Steady = std::chrono::steady_clock;
    const Steady::time_point until = Steady::now() + longest;
    while (Steady::now() < until && Readable(descriptor_, static_cast<int>(quiet.count()))) {
        (void)ReadEvents();
    }
    seen_ = store_.CommitsByOthers();
    return true;
}

}  // namespace mivex::transfer
