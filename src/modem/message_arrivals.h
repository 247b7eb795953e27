#pragma once

// Messages ModemManager says have arrived on one modem, handed over once
// each is whole, and whether the modem is still there. ModemManager tells of
// a message (its Messaging Added signal) as soon as its first part arrives;
// one in several parts stays "receiving" until the last is in, so it is
// followed until its state says it is received. Lives on the session's
// thread; the signals are taken as the session's context dispatches them.
//
// The signals are subscribed to on the connection itself, not through
// libmm-glib's object manager: that one is made by a thread of GLib's and
// would deliver them to a main context nobody runs.

#include <libmm-glib.h>

#include <string>
#include <vector>

#include "modem/glib_call.h"
#include "modem/modem_session.h"

namespace mivex::modem {

struct Arrival {
    std::string path;  // the Sms object
    bool report = false;
};

class MessageArrivals {
public:
    // Follows `modem` (its object) in `session` from now on; `messaging` is
    // its Messaging interface. Both must outlive this.
    MessageArrivals(const ModemSession& session, MMObject* modem, MMModemMessaging* messaging);
    ~MessageArrivals();
    MessageArrivals(const MessageArrivals&) = delete;
    MessageArrivals& operator=(const MessageArrivals&) = delete;

    // Starts taking the Added signal; harmless twice.
    void Listen();
    // The modem's object went (unplugged), or ModemManager with it.
    [[nodiscard]] bool Gone() const { return gone_; }
    // A signal came that Settle has yet to look at.
    [[nodiscard]] bool Stirred() const { return stirred_ || gone_; }
    // Looks at what was added (one GetAll each) and returns the messages
    // now whole, once each, in the order they became whole. `timedOut` is
    // set when ModemManager did not answer.
    [[nodiscard]] std::vector<Arrival> Settle(bool& timedOut);
    // A receive read `path` already: it is not handed over again.
    void Forget(const std::string& path);

private:
    // A signal from ModemManager, taken on this thread's context.
    guint Subscribe(const char* interface, const char* member, const char* path,
                    GDBusSignalCallback callback);

    static void OnAdded(GDBusConnection* connection, const gchar* sender, const gchar* path,
                        const gchar* interface, const gchar* member, GVariant* parameters,
                        gpointer self);
    static void OnDeleted(GDBusConnection* connection, const gchar* sender, const gchar* path,
                          const gchar* interface, const gchar* member, GVariant* parameters,
                          gpointer self);
    static void OnInterfacesRemoved(GDBusConnection* connection, const gchar* sender,
                                    const gchar* path, const gchar* interface, const gchar* member,
                                    GVariant* parameters, gpointer self);
    static void OnVanished(GDBusConnection* connection, const gchar* name, gpointer self);
    static void OnStateChanged(GObject* sms, GParamSpec* property, gpointer self);

    void Follow(GObjectPtr<MMSms> sms);
    std::vector<Arrival> TakeWhole();

    const ModemSession& session_;
    std::string modemPath_;
    MMModemMessaging* messaging_;
    GDBusConnection* connection_;
    std::string owner_;  // ModemManager's unique name; signals from anyone else are ignored
    std::vector<guint> subscriptions_;
    guint ownerWatch_ = 0;
    std::vector<std::string> added_;            // told of, not looked at yet
    std::vector<GObjectPtr<MMSms>> receiving_;  // parts still coming
    bool listening_ = false;
    bool stirred_ = false;
    bool gone_ = false;
};

}  // namespace mivex::modem
