#pragma once

// One conversation with ModemManager: a private connection to the system
// bus (so that the bus going away never ends the program, and a test can
// point DBUS_SYSTEM_BUS_ADDRESS at a bus of its own), its object manager, and
// the modems it has. Lives on the thread that opened it, with its own main
// context; every call has a time-out.

// Some of libmm-glib's helpers are declared without C linkage; GLib's own
// headers come first, as they hold C++ parts.
#include <ModemManager.h>
#include <gio/gio.h>
extern "C" {
#include <libmm-glib.h>
}

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "modem/glib_call.h"
#include "modem/modem_timeouts.h"
#include "platform/modem_directory.h"

namespace mivex::modem {

enum class SessionState { Connected, NoBus, NotRunning };

class ModemSession {
public:
    explicit ModemSession(ModemTimeouts timeouts);
    ~ModemSession();
    ModemSession(const ModemSession&) = delete;
    ModemSession& operator=(const ModemSession&) = delete;

    [[nodiscard]] SessionState Connect();

    // The modems ModemManager has now, each with its object.
    struct Modem {
        platform::ManagedModem info;
        GObjectPtr<MMObject> object;
    };
    [[nodiscard]] std::vector<Modem> Modems() const;

    [[nodiscard]] GMainContext* Context() const { return context_.get(); }
    [[nodiscard]] const ModemTimeouts& Timeouts() const { return timeouts_; }
    void DispatchPending() { context_.DispatchPending(); }

    // AwaitCall on this session's context.
    [[nodiscard]] GObjectPtr<GAsyncResult> Await(std::uint32_t timeoutMs, const StartCall& start,
                                                 bool& timedOut) const {
        return AwaitCall(context_.get(), timeoutMs, start, timedOut);
    }

private:
    OwnMainContext context_;
    ModemTimeouts timeouts_;
    GObjectPtr<GDBusConnection> connection_;
    GObjectPtr<MMManager> manager_;
};

// What identifies a modem across unplugging, replugging and reboots: its
// equipment identifier (the IMEI of a GSM modem), else ModemManager's device
// identifier. The D-Bus object path is no good: it changes on every replug.
[[nodiscard]] std::string StableModemId(MMModem* modem);

// "Quectel EC25": the maker, then the model unless it already names him.
[[nodiscard]] std::u16string ModemName(MMModem* modem);

}  // namespace mivex::modem
