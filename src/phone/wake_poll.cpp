#include "phone/wake_poll.h"

#include <poll.h>
#include <time.h>

#include <cerrno>
#include <cstdint>
#include <vector>

namespace mivex::phone {
namespace {

std::int64_t MonotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
}

}  // namespace

PollOutcome PollWithWake(int own, std::span<const int> wake, int timeoutMs) {
    std::vector<pollfd> watched;
    watched.reserve(wake.size() + 1);
    watched.push_back({own, POLLIN, 0});
    for (const int descriptor : wake) {
        watched.push_back({descriptor, POLLIN, 0});
    }
    const std::int64_t deadline = MonotonicMs() + timeoutMs;
    int left = timeoutMs;
    int ready = 0;
    for (;;) {
        ready = poll(watched.data(), watched.size(), left);
        if (ready >= 0 || errno != EINTR) {
            break;
        }
        if (timeoutMs >= 0) {
            left = static_cast<int>(deadline - MonotonicMs());
            if (left < 0) {
                left = 0;
            }
        }
    }
    PollOutcome outcome;
    if (ready <= 0) {
        return outcome;
    }
    outcome.ownEvents = watched[0].revents;
    for (std::size_t i = 1; i < watched.size(); ++i) {
        outcome.woken = outcome.woken || (watched[i].revents & POLLIN) != 0;
    }
    return outcome;
}

}  // namespace mivex::phone
