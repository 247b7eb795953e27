#pragma once

// Work for a watch's open link, posted from other threads: a run the user
// starts while the window keeps the phone's connection open. Posting wakes
// the watch out of its wait; between two waits it runs what was posted on
// its own thread, with its link lent to the work (see LendLink), so the run
// uses the open connection instead of opening the port again.

#include <deque>
#include <functional>
#include <mutex>

#include "phone/message_link.h"

namespace mivex::transfer {

class LinkJobs {
public:
    using Job = std::function<void()>;

    LinkJobs();
    ~LinkJobs();
    LinkJobs(const LinkJobs&) = delete;
    LinkJobs& operator=(const LinkJobs&) = delete;

    // From any thread. False when the descriptor could not be made; the
    // caller then runs the work itself.
    [[nodiscard]] bool Post(Job job);
    // Readable while work waits.
    [[nodiscard]] int WakeDescriptor() const { return wake_; }

    // On the watch's thread: runs the work posted so far, in order, with
    // `link` lent to it (none while the phone is away: the work then opens
    // its own connection and reports what it finds). True when any ran.
    [[nodiscard]] bool RunPending(phone::MessageLink* link);

private:
    int wake_ = -1;
    std::mutex mutex_;
    std::deque<Job> jobs_;
};

}  // namespace mivex::transfer
