#pragma once

// What stands between a ModemManager modem and its messages: a SIM that
// waits for a code, or no usable SIM at all. ModemManager tells it in the
// modem's UnlockRequired, State and StateFailedReason; a run stops before any
// messaging call with the text of the state, and never enters a code itself.

#include <cstdint>
#include <string_view>

namespace mivex::modem {

enum class SimLock {
    Ready,      // nothing to enter
    SimPin,     // the SIM card's PIN
    SimPin2,    // the PIN2
    SimPuk,     // blocked after wrong PINs: the PUK
    SimPuk2,    // the PUK2
    PhoneLock,  // a lock of the modem itself (network, provider, corporate)
    NoSim,      // no SIM card in the modem
    SimError,   // a SIM the modem cannot use
};

// ModemManager's MMModemLock, MMModemState and MMModemStateFailedReason
// values. An unknown lock is taken as none: the messaging calls say more.
[[nodiscard]] SimLock SimLockOfModem(std::uint32_t unlockRequired, std::int32_t state,
                                     std::uint32_t failedReason);

// The red text a run ends with in `lock`; empty for Ready.
[[nodiscard]] std::u16string_view SimLockText(SimLock lock);

}  // namespace mivex::modem
