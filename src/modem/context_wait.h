#pragma once

// Sleeping on a GLib main context together with other descriptors: the
// ModemManager link waits for D-Bus signals and, at the same time, for the
// descriptors that end a watch's wait early (a stop asked for, work queued).
// The sleep is one poll() with no timer of its own, so an idle wait costs
// nothing.

#include <glib.h>

#include <functional>
#include <span>

namespace mivex::modem {

enum class ContextWaitEnding {
    Done,   // `done` said so
    Woken,  // one of the wake descriptors turned readable
    TimedOut,
};

// Dispatches what `context` has ready, then sleeps until the context has
// something to dispatch, one of `wake` turns readable or `timeoutMs` pass
// (negative: without end), and again, until `done()` holds after a
// dispatch. `context` must be this thread's own.
[[nodiscard]] ContextWaitEnding WaitOnContext(GMainContext* context, int timeoutMs,
                                              std::span<const int> wake,
                                              const std::function<bool()>& done);

}  // namespace mivex::modem
