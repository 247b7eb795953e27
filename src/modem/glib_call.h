#pragma once

// Calls into GLib's asynchronous D-Bus API that cannot hang the caller: each
// call runs on a main context of the caller's own, with a time-out after which
// it is cancelled. ModemManager answers over the system bus, and a bus or a
// service that never answers must end a run with a text, not freeze it.

#include <gio/gio.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace mivex::modem {

struct GObjectUnref {
    void operator()(gpointer object) const {
        if (object != nullptr) {
            g_object_unref(object);
        }
    }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

struct GErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};
using GErrorPtr = std::unique_ptr<GError, GErrorFree>;

// A main context that is the thread's default from construction to
// destruction, so that every D-Bus object made meanwhile delivers its
// answers and signals here and nowhere else. Lives on one thread.
class OwnMainContext {
public:
    OwnMainContext();
    ~OwnMainContext();
    OwnMainContext(const OwnMainContext&) = delete;
    OwnMainContext& operator=(const OwnMainContext&) = delete;

    [[nodiscard]] GMainContext* get() const { return context_; }
    // Dispatches what is ready without waiting.
    void DispatchPending();

private:
    GMainContext* context_;
};

// Starts an asynchronous call with the given cancellable, callback and data.
using StartCall = std::function<void(GCancellable*, GAsyncReadyCallback, gpointer)>;

// Runs `start` and waits on `context` until it finishes or `timeoutMs` pass;
// then it is cancelled. Returns the finished call's result for its _finish
// function, or null when the call did not come back even after it was
// cancelled (a short grace period), in which case `timedOut` is set too.
// `timedOut` is also set when the result is a cancellation by the time-out.
[[nodiscard]] GObjectPtr<GAsyncResult> AwaitCall(GMainContext* context, std::uint32_t timeoutMs,
                                                 const StartCall& start, bool& timedOut);

// Runs every call of `starts` at once and waits until all have finished or
// `timeoutMs` pass, then cancels the rest. One result per call, in order;
// null for a call that did not come back, and `timedOut` set when any was
// cut short. For many independent calls, such as reading every message, so
// that their round trips overlap.
[[nodiscard]] std::vector<GObjectPtr<GAsyncResult>> AwaitCalls(GMainContext* context,
                                                               std::uint32_t timeoutMs,
                                                               const std::vector<StartCall>& starts,
                                                               bool& timedOut);

// What a failed call means for the link.
struct CallFailure {
    std::u16string text;  // the service's own message, without the D-Bus error name
    bool lost = false;    // the service or the object is gone, or did not answer
};

[[nodiscard]] CallFailure DescribeFailure(const GError* error, bool timedOut);

}  // namespace mivex::modem
