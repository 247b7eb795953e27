#include "modem/modem_module.h"

#include "modem/mm_link.h"
#include "modem/modem_session.h"

namespace mivex::modem {

std::vector<platform::ManagedModem> ListModemManagerModems(ModemTimeouts timeouts) {
    ModemSession session(timeouts);
    if (session.Connect() != SessionState::Connected) {
        return {};
    }
    std::vector<platform::ManagedModem> modems;
    for (ModemSession::Modem& modem : session.Modems()) {
        modems.push_back(std::move(modem.info));
    }
    return modems;
}

namespace {

constexpr ModemModuleEntry kEntry{.version = kModemModuleVersion,
                                  .listModems = &ListModemManagerModems,
                                  .connectLink = &ConnectModemLink};

}  // namespace
}  // namespace mivex::modem

// The only symbol the module shows; everything else is hidden by the build.
extern "C" __attribute__((visibility("default"))) const mivex::modem::ModemModuleEntry*
mivex_modem_module_entry() {
    return &mivex::modem::kEntry;
}
