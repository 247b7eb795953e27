#include "modem/modem_lock.h"

#include <ModemManager.h>

namespace mivex::modem {

SimLock SimLockOfModem(std::uint32_t unlockRequired, std::int32_t state,
                       std::uint32_t failedReason) {
    if (state == MM_MODEM_STATE_FAILED) {
        return failedReason == MM_MODEM_STATE_FAILED_REASON_SIM_MISSING ? SimLock::NoSim
                                                                        : SimLock::SimError;
    }
    switch (unlockRequired) {
        case MM_MODEM_LOCK_UNKNOWN:
        case MM_MODEM_LOCK_NONE:
            return SimLock::Ready;
        case MM_MODEM_LOCK_SIM_PIN:
            return SimLock::SimPin;
        case MM_MODEM_LOCK_SIM_PIN2:
            return SimLock::SimPin2;
        case MM_MODEM_LOCK_SIM_PUK:
            return SimLock::SimPuk;
        case MM_MODEM_LOCK_SIM_PUK2:
            return SimLock::SimPuk2;
        default:
            return SimLock::PhoneLock;
    }
}

std::u16string_view SimLockText(SimLock lock) {
    switch (lock) {
        case SimLock::Ready:
            return {};
        case SimLock::SimPin:
            return u"The SIM card asks for its PIN - unlock it in your desktop's mobile settings, "
                   u"then try again!  ";
        case SimLock::SimPin2:
            return u"The SIM card asks for its PIN2 - unlock it, then try again!  ";
        case SimLock::SimPuk:
            return u"The SIM card is blocked - unblock it with its PUK in a phone!  ";
        case SimLock::SimPuk2:
            return u"The SIM card's PIN2 is blocked - unblock it with its PUK2 in a phone!  ";
        case SimLock::PhoneLock:
            return u"The modem is locked to another network or SIM card!  ";
        case SimLock::NoSim:
            return u"No SIM card - put one in the modem and try again!  ";
        case SimLock::SimError:
            return u"The modem cannot use its SIM card - check the card!  ";
    }
    return {};
}

}  // namespace mivex::modem
