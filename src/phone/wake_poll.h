#pragma once

// The one sleep of a watching link: poll() on the link's own descriptor and
// on the descriptors that end a wait early (a stop asked for, work queued for
// the link), so an idle watch costs no CPU and no timer wakes it.

#include <span>

namespace mivex::phone {

struct PollOutcome {
    short ownEvents = 0;  // revents of the link's own descriptor
    bool woken = false;   // one of the wake descriptors turned readable
};

// Waits up to `timeoutMs` (negative: without end) for `own` (-1: none) or
// any of `wake` to turn readable; retried on EINTR with the time left.
[[nodiscard]] PollOutcome PollWithWake(int own, std::span<const int> wake, int timeoutMs);

}  // namespace mivex::phone
