#pragma once

// The module's side of the ModemManager link (see modem_module.h): the link
// itself and the list of modems, both over libmm-glib. The rest of the
// program reaches them through OpenModemLink and MmModemDirectory.

#include <memory>
#include <string>
#include <vector>

#include "modem/modem_timeouts.h"
#include "phone/message_link.h"
#include "phone/serial_line.h"
#include "platform/modem_directory.h"
#include "platform/status_sink.h"

namespace mivex::modem {

// Connects to ModemManager, finds the modem `modemId` names and checks that
// its SIM is ready and that it has the Messaging interface, and shows
// "ModemManager <maker model> OK". On any failure shows why in red with the
// stop beep (none with `soundsOff`), pauses phone::kFailurePauseMs and
// returns null.
[[nodiscard]] std::unique_ptr<phone::MessageLink> ConnectModemLink(phone::LinkContext& link,
                                                                   platform::StatusSink& status,
                                                                   bool soundsOff,
                                                                   const std::string& modemId,
                                                                   ModemTimeouts timeouts);

// The modems ModemManager has now; empty when it does not run or answer.
[[nodiscard]] std::vector<platform::ManagedModem> ListModemManagerModems(ModemTimeouts timeouts);

}  // namespace mivex::modem
