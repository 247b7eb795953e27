#pragma once

// The one door into libmivex-modem, the module that holds the ModemManager
// link and libmm-glib under it. libmm-glib brings GIO and its D-Bus code,
// mapped and relocated before main at every start although most runs talk to
// a serial phone and never ask ModemManager anything. The module is opened
// only when a run or a list needs ModemManager (see modem_loader.h).
//
// Both sides are built from this one header by the same build, so the entry
// passes C++ types; the version guards against a module left behind by an
// older install.

#include <memory>
#include <string>
#include <vector>

#include "modem/modem_timeouts.h"
#include "phone/message_link.h"
#include "phone/serial_line.h"
#include "platform/modem_directory.h"
#include "platform/status_sink.h"

namespace mivex::modem {

inline constexpr const char* kModemModuleFile = "libmivex-modem.so";
inline constexpr const char* kModemModuleSymbol = "mivex_modem_module_entry";
// Raised whenever ModemModuleEntry or the types it passes change shape.
inline constexpr int kModemModuleVersion = 1;

struct ModemModuleEntry {
    int version = kModemModuleVersion;
    // The modems ModemManager has now; empty when it does not run.
    std::vector<platform::ManagedModem> (*listModems)(ModemTimeouts timeouts) = nullptr;
    // Connects to the modem `modemId` names, after "Opening <port>" was
    // shown: what OpenModemLink does from there on (see modem_link.h).
    std::unique_ptr<phone::MessageLink> (*connectLink)(phone::LinkContext& link,
                                                       platform::StatusSink& status, bool soundsOff,
                                                       const std::string& modemId,
                                                       ModemTimeouts timeouts) = nullptr;
};

// The type of kModemModuleSymbol, an extern "C" function in the module.
using ModemModuleEntryFunction = const ModemModuleEntry* (*)();

}  // namespace mivex::modem
