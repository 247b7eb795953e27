#pragma once

// What stands between a ModemManager modem and its messages: a SIM that
// waits for a code, or no usable SIM at all. ModemManager tells it in the
// modem's UnlockRequired, State and StateFailedReason; a run stops before any
// messaging call with the text of the state, and never enters a code itself.
// The states and their texts are the serial phone's, so a locked SIM reads
// the same whichever way the phone is reached.

#include <cstdint>
#include <string_view>

#include "phone/sim_state.h"

namespace mivex::modem {

// ModemManager's MMModemLock, MMModemState and MMModemStateFailedReason
// values. An unknown lock is taken as none: the messaging calls say more.
[[nodiscard]] phone::SimState SimLockOfModem(std::uint32_t unlockRequired, std::int32_t state,
                                             std::uint32_t failedReason);

// The red text a run ends with in `lock`; empty for Ready. ModemManager
// unlocks a PIN-locked SIM itself, through the desktop's mobile settings.
[[nodiscard]] std::u16string_view SimLockText(phone::SimState lock);

}  // namespace mivex::modem
