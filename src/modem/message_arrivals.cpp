#include "modem/message_arrivals.h"

#include <algorithm>

#include "modem/sms_objects.h"

namespace mivex::modem {
namespace {

bool IsIncoming(guint pduType) {
    return pduType == MM_SMS_PDU_TYPE_DELIVER || pduType == MM_SMS_PDU_TYPE_CDMA_DELIVER ||
           pduType == MM_SMS_PDU_TYPE_STATUS_REPORT;
}

const char* PathOf(MMSms* sms) {
    const char* path = mm_sms_get_path(sms);
    return path != nullptr ? path : "";
}

}  // namespace

MessageArrivals::MessageArrivals(const ModemSession& session, MMObject* modem,
                                 MMModemMessaging* messaging)
    : session_(session),
      modemPath_(g_dbus_object_get_object_path(G_DBUS_OBJECT(modem))),
      messaging_(messaging),
      connection_(g_dbus_proxy_get_connection(G_DBUS_PROXY(messaging))) {
    gchar* owner = g_dbus_proxy_get_name_owner(G_DBUS_PROXY(messaging));
    if (owner == nullptr) {
        gone_ = true;
        return;
    }
    owner_ = owner;
    g_free(owner);
    // Unplugged, the modem's object loses its interfaces; a ModemManager that
    // stops loses its name.
    (void)Subscribe("org.freedesktop.DBus.ObjectManager", "InterfacesRemoved", MM_DBUS_PATH,
                    OnInterfacesRemoved);
    ownerWatch_ =
        g_bus_watch_name_on_connection(connection_, MM_DBUS_SERVICE, G_BUS_NAME_WATCHER_FLAGS_NONE,
                                       nullptr, OnVanished, this, nullptr);
}

MessageArrivals::~MessageArrivals() {
    for (const guint subscription : subscriptions_) {
        g_dbus_connection_signal_unsubscribe(connection_, subscription);
    }
    if (ownerWatch_ != 0) {
        g_bus_unwatch_name(ownerWatch_);
    }
    for (const GObjectPtr<MMSms>& sms : receiving_) {
        g_signal_handlers_disconnect_by_data(sms.get(), this);
    }
}

void MessageArrivals::Listen() {
    if (listening_ || gone_) {
        return;
    }
    listening_ = true;
    (void)Subscribe(MM_DBUS_INTERFACE_MODEM_MESSAGING, "Added", modemPath_.c_str(), OnAdded);
    (void)Subscribe(MM_DBUS_INTERFACE_MODEM_MESSAGING, "Deleted", modemPath_.c_str(), OnDeleted);
}

guint MessageArrivals::Subscribe(const char* interface, const char* member, const char* path,
                                 GDBusSignalCallback callback) {
    const guint subscription = g_dbus_connection_signal_subscribe(
        connection_, owner_.c_str(), interface, member, path, nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
        callback, this, nullptr);
    subscriptions_.push_back(subscription);
    return subscription;
}

std::vector<Arrival> MessageArrivals::Settle(bool& timedOut) {
    timedOut = false;
    stirred_ = false;
    if (!added_.empty() && !gone_) {
        const std::vector<std::string> paths = std::move(added_);
        added_.clear();
        std::vector<GObjectPtr<MMSms>> objects =
            SmsObjects(session_, messaging_, paths, SmsSignals::Followed, timedOut);
        for (GObjectPtr<MMSms>& sms : objects) {
            // Null: deleted before it could be read, by someone else.
            if (sms && IsIncoming(mm_sms_get_pdu_type(sms.get()))) {
                Follow(std::move(sms));
            }
        }
    }
    return TakeWhole();
}

void MessageArrivals::Forget(const std::string& path) {
    std::erase(added_, path);
    std::erase_if(receiving_, [&](const GObjectPtr<MMSms>& sms) {
        if (path != PathOf(sms.get())) {
            return false;
        }
        g_signal_handlers_disconnect_by_data(sms.get(), this);
        return true;
    });
}

void MessageArrivals::Follow(GObjectPtr<MMSms> sms) {
    g_signal_connect(sms.get(), "notify::state", G_CALLBACK(OnStateChanged), this);
    receiving_.push_back(std::move(sms));
}

std::vector<Arrival> MessageArrivals::TakeWhole() {
    std::vector<Arrival> whole;
    std::erase_if(receiving_, [&](const GObjectPtr<MMSms>& sms) {
        const guint state = mm_sms_get_state(sms.get());
        if (state == MM_SMS_STATE_RECEIVING) {
            return false;
        }
        // Anything but received (stored, or a state this build does not
        // know) is no message to take.
        if (state == MM_SMS_STATE_RECEIVED) {
            whole.push_back({PathOf(sms.get()),
                             mm_sms_get_pdu_type(sms.get()) == MM_SMS_PDU_TYPE_STATUS_REPORT});
        }
        g_signal_handlers_disconnect_by_data(sms.get(), this);
        return true;
    });
    return whole;
}

void MessageArrivals::OnAdded(GDBusConnection* /*connection*/, const gchar* /*sender*/,
                              const gchar* /*path*/, const gchar* /*interface*/,
                              const gchar* /*member*/, GVariant* parameters, gpointer self) {
    if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(ob)"))) {
        return;
    }
    const gchar* path = nullptr;
    gboolean received = FALSE;
    g_variant_get(parameters, "(&ob)", &path, &received);
    // Not received: a message a program (this one, sending) created.
    if (received) {
        auto* arrivals = static_cast<MessageArrivals*>(self);
        arrivals->added_.emplace_back(path);
        arrivals->stirred_ = true;
    }
}

void MessageArrivals::OnDeleted(GDBusConnection* /*connection*/, const gchar* /*sender*/,
                                const gchar* /*path*/, const gchar* /*interface*/,
                                const gchar* /*member*/, GVariant* parameters, gpointer self) {
    if (g_variant_is_of_type(parameters, G_VARIANT_TYPE("(o)"))) {
        const gchar* path = nullptr;
        g_variant_get(parameters, "(&o)", &path);
        static_cast<MessageArrivals*>(self)->Forget(path);
    }
}

// Whatever of the modem goes, the link cannot go on with it: without its
// Messaging interface (a modem being switched off) it has no messages either.
void MessageArrivals::OnInterfacesRemoved(GDBusConnection* /*connection*/, const gchar* /*sender*/,
                                          const gchar* /*path*/, const gchar* /*interface*/,
                                          const gchar* /*member*/, GVariant* parameters,
                                          gpointer self) {
    if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(oas)"))) {
        return;
    }
    GVariantIter* interfaces = nullptr;
    const gchar* removed = nullptr;
    const gchar* object = nullptr;
    g_variant_get(parameters, "(&oas)", &object, &interfaces);
    auto* arrivals = static_cast<MessageArrivals*>(self);
    while (g_variant_iter_next(interfaces, "&s", &removed)) {
        if (g_str_equal(removed, MM_DBUS_INTERFACE_MODEM) ||
            g_str_equal(removed, MM_DBUS_INTERFACE_MODEM_MESSAGING)) {
            arrivals->gone_ = arrivals->gone_ || arrivals->modemPath_ == object;
        }
    }
    g_variant_iter_free(interfaces);
}

void MessageArrivals::OnVanished(GDBusConnection* /*connection*/, const gchar* /*name*/,
                                 gpointer self) {
    static_cast<MessageArrivals*>(self)->gone_ = true;
}

void MessageArrivals::OnStateChanged(GObject* /*sms*/, GParamSpec* /*property*/, gpointer self) {
    static_cast<MessageArrivals*>(self)->stirred_ = true;
}

}  // namespace mivex::modem
