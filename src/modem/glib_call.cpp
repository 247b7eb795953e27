#include "modem/glib_call.h"

#include "text/utf8.h"

namespace mivex::modem {

namespace {

// How long a cancelled call is given to come back before it is given up.
constexpr std::uint32_t kCancelGraceMs = 1000;

constexpr std::u16string_view kNoAnswerText = u"ModemManager did not answer";

// Shared by the waiter and the callback; whichever finishes last frees it,
// so a call that comes back after it was given up writes into live memory.
struct PendingCall {
    GAsyncResult* result = nullptr;
    bool abandoned = false;
};

void OnCallReady(GObject* /*source*/, GAsyncResult* result, gpointer data) {
    auto* pending = static_cast<PendingCall*>(data);
    if (pending->abandoned) {
        delete pending;
        return;
    }
    pending->result = G_ASYNC_RESULT(g_object_ref(result));
}

gboolean OnTimeOut(gpointer data) {
    *static_cast<bool*>(data) = true;
    return G_SOURCE_REMOVE;
}

bool AllBack(const std::vector<PendingCall*>& pending) {
    for (const PendingCall* call : pending) {
        if (call->result == nullptr) {
            return false;
        }
    }
    return true;
}

// Runs `context` until every call is back or `flag` is set by a timer.
void WaitFor(GMainContext* context, const std::vector<PendingCall*>& pending, std::uint32_t ms,
             bool& flag) {
    GSource* timer = g_timeout_source_new(ms);
    g_source_set_callback(timer, OnTimeOut, &flag, nullptr);
    g_source_attach(timer, context);
    while (!AllBack(pending) && !flag) {
        g_main_context_iteration(context, TRUE);
    }
    g_source_destroy(timer);
    g_source_unref(timer);
}

bool MeansGone(const GError* error) {
    if (error->domain == G_DBUS_ERROR) {
        switch (error->code) {
            case G_DBUS_ERROR_SERVICE_UNKNOWN:
            case G_DBUS_ERROR_NAME_HAS_NO_OWNER:
            case G_DBUS_ERROR_NO_REPLY:
            case G_DBUS_ERROR_DISCONNECTED:
            case G_DBUS_ERROR_TIMEOUT:
            case G_DBUS_ERROR_TIMED_OUT:
            case G_DBUS_ERROR_UNKNOWN_OBJECT:
            case G_DBUS_ERROR_UNKNOWN_METHOD:
            case G_DBUS_ERROR_UNKNOWN_INTERFACE:
                return true;
            default:
                return false;
        }
    }
    return error->domain == G_IO_ERROR &&
           (error->code == G_IO_ERROR_CLOSED || error->code == G_IO_ERROR_CANCELLED ||
            error->code == G_IO_ERROR_TIMED_OUT);
}

}  // namespace

OwnMainContext::OwnMainContext() : context_(g_main_context_new()) {
    g_main_context_push_thread_default(context_);
}

OwnMainContext::~OwnMainContext() {
    DispatchPending();
    g_main_context_pop_thread_default(context_);
    g_main_context_unref(context_);
}

void OwnMainContext::DispatchPending() {
    while (g_main_context_iteration(context_, FALSE)) {
    }
}

GObjectPtr<GAsyncResult> AwaitCall(GMainContext* context, std::uint32_t timeoutMs,
                                   const StartCall& start, bool& timedOut) {
    std::vector<GObjectPtr<GAsyncResult>> results =
        AwaitCalls(context, timeoutMs, {start}, timedOut);
    return std::move(results.front());
}

std::vector<GObjectPtr<GAsyncResult>> AwaitCalls(GMainContext* context, std::uint32_t timeoutMs,
                                                 const std::vector<StartCall>& starts,
                                                 bool& timedOut) {
    GCancellable* cancellable = g_cancellable_new();
    std::vector<PendingCall*> pending;
    for (const StartCall& start : starts) {
        pending.push_back(new PendingCall);
        start(cancellable, OnCallReady, pending.back());
    }
    timedOut = false;
    WaitFor(context, pending, timeoutMs, timedOut);
    if (timedOut && !AllBack(pending)) {
        g_cancellable_cancel(cancellable);
        bool givenUp = false;
        WaitFor(context, pending, kCancelGraceMs, givenUp);
    }
    g_object_unref(cancellable);
    std::vector<GObjectPtr<GAsyncResult>> results;
    for (PendingCall* call : pending) {
        results.emplace_back(call->result);
        if (call->result == nullptr) {
            call->abandoned = true;  // the callback frees it, if it ever comes
            timedOut = true;
        } else {
            delete call;
        }
    }
    return results;
}

CallFailure DescribeFailure(const GError* error, bool timedOut) {
    if (timedOut || error == nullptr) {
        return {std::u16string(kNoAnswerText), true};
    }
    GError* copy = g_error_copy(error);
    g_dbus_error_strip_remote_error(copy);
    CallFailure failure{text::Utf8ToUtf16(copy->message).value_or(u""), MeansGone(error)};
    g_error_free(copy);
    return failure;
}

}  // namespace mivex::modem
