#include "modem/context_wait.h"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "phone/wake_poll.h"

namespace mivex::modem {
namespace {

using Steady = std::chrono::steady_clock;

bool AnyReadable(std::span<const int> descriptors) {
    std::vector<pollfd> watched;
    for (const int descriptor : descriptors) {
        watched.push_back({descriptor, POLLIN, 0});
    }
    return !watched.empty() && poll(watched.data(), watched.size(), 0) > 0;
}

void DispatchReady(GMainContext* context) {
    while (g_main_context_iteration(context, FALSE)) {
    }
}

// One sleep of the context: its descriptors (in practice the wake-up one
// the D-Bus worker thread signals) and `wake` in one poll(), bounded by the
// context's own next timer and `timeoutMs`; then what is ready is dispatched.
void SleepOnce(GMainContext* context, int timeoutMs, std::span<const int> wake) {
    if (!g_main_context_acquire(context)) {
        return;
    }
    gint priority = 0;
    (void)g_main_context_prepare(context, &priority);
    std::vector<GPollFD> glibDescriptors(4);
    gint glibTimeoutMs = -1;
    gint count = 0;
    for (;;) {
        count = g_main_context_query(context, priority, &glibTimeoutMs, glibDescriptors.data(),
                                     static_cast<gint>(glibDescriptors.size()));
        if (count <= static_cast<gint>(glibDescriptors.size())) {
            break;
        }
        glibDescriptors.resize(static_cast<std::size_t>(count));
    }
    glibDescriptors.resize(static_cast<std::size_t>(count));
    int sleepMs = timeoutMs;
    if (glibTimeoutMs >= 0) {
        sleepMs = sleepMs < 0 ? glibTimeoutMs : std::min(sleepMs, glibTimeoutMs);
    }
    std::vector<int> watched(wake.begin(), wake.end());
    for (const GPollFD& descriptor : glibDescriptors) {
        if ((descriptor.events & G_IO_IN) != 0) {
            watched.push_back(descriptor.fd);
        }
    }
    (void)phone::PollWithWake(-1, watched, sleepMs);
    // GLib learns which of its descriptors are ready (and acknowledges its
    // wake-up) only through their revents.
    (void)g_poll(glibDescriptors.data(), static_cast<guint>(glibDescriptors.size()), 0);
    if (g_main_context_check(context, priority, glibDescriptors.data(), count)) {
        g_main_context_dispatch(context);
    }
    g_main_context_release(context);
}

}  // namespace

ContextWaitEnding WaitOnContext(GMainContext* context, int timeoutMs, std::span<const int> wake,
                                const std::function<bool()>& done) {
    const Steady::time_point deadline = Steady::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        DispatchReady(context);
        if (done()) {
            return ContextWaitEnding::Done;
        }
        if (AnyReadable(wake)) {
            return ContextWaitEnding::Woken;
        }
        int leftMs = -1;
        if (timeoutMs >= 0) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(deadline - Steady::now()).count();
            if (left <= 0) {
                return ContextWaitEnding::TimedOut;
            }
            leftMs = static_cast<int>(left);
        }
        SleepOnce(context, leftMs, wake);
    }
}

}  // namespace mivex::modem
