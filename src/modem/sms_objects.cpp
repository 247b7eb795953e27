#include "modem/sms_objects.h"

namespace mivex::modem {
namespace {

std::string OrEmpty(const char* text) {
    return text != nullptr ? std::string(text) : std::string();
}

GDBusProxyFlags ProxyFlags(SmsSignals signals) {
    return signals == SmsSignals::Followed
               ? G_DBUS_PROXY_FLAGS_DO_NOT_AUTO_START
               : static_cast<GDBusProxyFlags>(G_DBUS_PROXY_FLAGS_DO_NOT_AUTO_START |
                                              G_DBUS_PROXY_FLAGS_DO_NOT_CONNECT_SIGNALS);
}

}  // namespace

std::vector<GObjectPtr<MMSms>> SmsObjects(const ModemSession& session, MMModemMessaging* messaging,
                                          const std::vector<std::string>& paths, SmsSignals signals,
                                          bool& timedOut) {
    GDBusConnection* connection = g_dbus_proxy_get_connection(G_DBUS_PROXY(messaging));
    // Addressed to ModemManager's unique name, a proxy need not ask who owns
    // the well-known one, so each message costs one GetAll and nothing more.
    gchar* owner = g_dbus_proxy_get_name_owner(G_DBUS_PROXY(messaging));
    const GDBusProxyFlags flags = ProxyFlags(signals);
    std::vector<StartCall> starts;
    for (const std::string& path : paths) {
        starts.emplace_back([connection, owner, flags, &path](GCancellable* cancellable,
                                                              GAsyncReadyCallback ready,
                                                              gpointer data) {
            g_async_initable_new_async(
                MM_TYPE_SMS, G_PRIORITY_DEFAULT, cancellable, ready, data, "g-flags", flags,
                "g-name", owner != nullptr ? owner : MM_DBUS_SERVICE, "g-connection", connection,
                "g-object-path", path.c_str(), "g-interface-name", MM_DBUS_INTERFACE_SMS, nullptr);
        });
    }
    std::vector<GObjectPtr<GAsyncResult>> results =
        AwaitCalls(session.Context(), session.Timeouts().callMs, starts, timedOut);
    g_free(owner);
    if (timedOut) {
        return {};
    }
    std::vector<GObjectPtr<MMSms>> messages;
    for (const GObjectPtr<GAsyncResult>& result : results) {
        GObject* source = g_async_result_get_source_object(result.get());
        GObject* made =
            g_async_initable_new_finish(G_ASYNC_INITABLE(source), result.get(), nullptr);
        g_object_unref(source);
        messages.emplace_back(made != nullptr ? MM_SMS(made) : nullptr);
    }
    return messages;
}

ModemSms FieldsOf(MMSms* sms) {
    ModemSms fields;
    fields.pduType = mm_sms_get_pdu_type(sms);
    fields.state = mm_sms_get_state(sms);
    fields.number = OrEmpty(mm_sms_get_number(sms));
    fields.text = OrEmpty(mm_sms_get_text(sms));
    gsize dataLength = 0;
    fields.hasData = mm_sms_get_data(sms, &dataLength) != nullptr && dataLength > 0;
    fields.timeStamp = OrEmpty(mm_sms_get_timestamp(sms));
    fields.messageReference = mm_sms_get_message_reference(sms);
    fields.deliveryState = mm_sms_get_delivery_state(sms);
    fields.dischargeTimeStamp = OrEmpty(mm_sms_get_discharge_timestamp(sms));
    return fields;
}

}  // namespace mivex::modem
