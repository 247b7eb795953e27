#include "modem/modem_session.h"

#include "text/utf8.h"

namespace mivex::modem {

namespace {

std::string OrEmpty(const char* text) {
    return text != nullptr ? std::string(text) : std::string();
}

std::vector<std::string> PortPaths(MMModem* modem) {
    std::vector<std::string> paths;
    MMModemPortInfo* ports = nullptr;
    guint count = 0;
    if (mm_modem_get_ports(modem, &ports, &count)) {
        for (guint index = 0; index < count; ++index) {
            if (ports[index].name != nullptr) {
                paths.push_back("/dev/" + std::string(ports[index].name));
            }
        }
        mm_modem_port_info_array_free(ports, count);
    }
    return paths;
}

}  // namespace

ModemSession::ModemSession(ModemTimeouts timeouts) : timeouts_(timeouts) {}

ModemSession::~ModemSession() {
    manager_.reset();
    if (connection_) {
        // Closing is asynchronous; what it leaves behind runs on this
        // session's context before the context goes.
        g_dbus_connection_close(connection_.get(), nullptr, nullptr, nullptr);
        connection_.reset();
    }
    context_.DispatchPending();
}

SessionState ModemSession::Connect() {
    GError* error = nullptr;
    gchar* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SYSTEM, nullptr, &error);
    if (address == nullptr) {
        g_clear_error(&error);
        return SessionState::NoBus;
    }
    bool timedOut = false;
    GObjectPtr<GAsyncResult> result = Await(
        timeouts_.connectMs,
        [&](GCancellable* cancellable, GAsyncReadyCallback ready, gpointer data) {
            g_dbus_connection_new_for_address(
                address,
                static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                  G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
                nullptr, cancellable, ready, data);
        },
        timedOut);
    g_free(address);
    if (!result) {
        return SessionState::NoBus;
    }
    connection_.reset(g_dbus_connection_new_for_address_finish(result.get(), &error));
    if (!connection_) {
        g_clear_error(&error);
        return SessionState::NoBus;
    }
    g_dbus_connection_set_exit_on_close(connection_.get(), FALSE);

    result = Await(
        timeouts_.connectMs,
        [&](GCancellable* cancellable, GAsyncReadyCallback ready, gpointer data) {
            mm_manager_new(connection_.get(), G_DBUS_OBJECT_MANAGER_CLIENT_FLAGS_DO_NOT_AUTO_START,
                           cancellable, ready, data);
        },
        timedOut);
    if (!result) {
        return SessionState::NotRunning;
    }
    manager_.reset(mm_manager_new_finish(result.get(), &error));
    if (!manager_) {
        g_clear_error(&error);
        return SessionState::NotRunning;
    }
    gchar* owner =
        g_dbus_object_manager_client_get_name_owner(G_DBUS_OBJECT_MANAGER_CLIENT(manager_.get()));
    const bool running = owner != nullptr;
    g_free(owner);
    return running ? SessionState::Connected : SessionState::NotRunning;
}

std::vector<ModemSession::Modem> ModemSession::Modems() const {
    std::vector<Modem> modems;
    if (!manager_) {
        return modems;
    }
    GList* objects = g_dbus_object_manager_get_objects(G_DBUS_OBJECT_MANAGER(manager_.get()));
    for (GList* item = objects; item != nullptr; item = item->next) {
        MMObject* object = MM_OBJECT(item->data);
        MMModem* modem = mm_object_peek_modem(object);
        if (modem == nullptr) {
            continue;
        }
        Modem entry{{StableModemId(modem), ModemName(modem), PortPaths(modem)},
                    GObjectPtr<MMObject>(MM_OBJECT(g_object_ref(object)))};
        if (!entry.info.id.empty()) {
            modems.push_back(std::move(entry));
        }
    }
    g_list_free_full(objects, g_object_unref);
    return modems;
}

std::string StableModemId(MMModem* modem) {
    std::string id = OrEmpty(mm_modem_get_equipment_identifier(modem));
    if (id.empty()) {
        id = OrEmpty(mm_modem_get_device_identifier(modem));
    }
    return id;
}

std::u16string ModemName(MMModem* modem) {
    const std::string maker = OrEmpty(mm_modem_get_manufacturer(modem));
    const std::string model = OrEmpty(mm_modem_get_model(modem));
    std::string name = maker;
    if (!model.empty() && model.rfind(maker, 0) != 0) {
        name += name.empty() ? "" : " ";
        name += model;
    } else if (!model.empty()) {
        name = model;
    }
    if (name.empty()) {
        name = "Modem";
    }
    return text::Utf8ToUtf16(name).value_or(u"Modem");
}

}  // namespace mivex::modem
