#include "transfer/link_jobs.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

#include "transfer/open_link.h"

namespace mivex::transfer {

LinkJobs::LinkJobs() : wake_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

LinkJobs::~LinkJobs() {
    if (wake_ >= 0) {
        close(wake_);
    }
}

bool LinkJobs::Post(Job job) {
    if (wake_ < 0) {
        return false;
    }
    {
        const std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    const std::uint64_t one = 1;
    return write(wake_, &one, sizeof one) == sizeof one;
}

bool LinkJobs::RunPending(phone::MessageLink* link) {
    std::uint64_t count = 0;
    (void)read(wake_, &count, sizeof count);
    std::deque<Job> now;
    {
        const std::lock_guard lock(mutex_);
        now.swap(jobs_);
    }
    for (Job& job : now) {
        if (link != nullptr && !link->Lost()) {
            const LendLink lent(*link);
            job();
        } else {
            job();
        }
    }
    return !now.empty();
}

}  // namespace mivex::transfer
