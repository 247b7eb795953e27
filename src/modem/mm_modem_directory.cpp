#include "modem/mm_modem_directory.h"

#include "modem/modem_session.h"

namespace mivex::modem {

std::vector<platform::ManagedModem> MmModemDirectory::ListModems() {
    ModemSession session(timeouts_);
    if (session.Connect() != SessionState::Connected) {
        return {};
    }
    std::vector<platform::ManagedModem> modems;
    for (ModemSession::Modem& modem : session.Modems()) {
        modems.push_back(std::move(modem.info));
    }
    return modems;
}

}  // namespace mivex::modem
