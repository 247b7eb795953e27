#pragma once

// The modems ModemManager has, asked over the system bus each time. Free of
// GLib's headers, so that Qt code can hold one.

#include "modem/modem_timeouts.h"
#include "platform/modem_directory.h"

namespace mivex::modem {

class MmModemDirectory final : public platform::ModemDirectory {
public:
    // Short time-outs: the answer is wanted while a dialog opens.
    explicit MmModemDirectory(ModemTimeouts timeouts = {.connectMs = 2000}) : timeouts_(timeouts) {}

    std::vector<platform::ManagedModem> ListModems() override;

private:
    ModemTimeouts timeouts_;
};

}  // namespace mivex::modem
