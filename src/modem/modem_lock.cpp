#include "modem/modem_lock.h"

#include <ModemManager.h>

namespace mivex::modem {

using phone::SimState;

SimState SimLockOfModem(std::uint32_t unlockRequired, std::int32_t state,
                        std::uint32_t failedReason) {
    if (state == MM_MODEM_STATE_FAILED) {
        return failedReason == MM_MODEM_STATE_FAILED_REASON_SIM_MISSING ? SimState::NoSim
                                                                        : SimState::SimFailure;
    }
    switch (unlockRequired) {
        case MM_MODEM_LOCK_UNKNOWN:
        case MM_MODEM_LOCK_NONE:
            return SimState::Ready;
        case MM_MODEM_LOCK_SIM_PIN:
            return SimState::SimPin;
        case MM_MODEM_LOCK_SIM_PIN2:
            return SimState::SimPin2;
        case MM_MODEM_LOCK_SIM_PUK:
            return SimState::SimPuk;
        case MM_MODEM_LOCK_SIM_PUK2:
            return SimState::SimPuk2;
        case MM_MODEM_LOCK_PH_SIM_PIN:
        case MM_MODEM_LOCK_PH_FSIM_PIN:
            return SimState::PhoneSimPin;
        default:
            return SimState::NetworkLock;
    }
}

std::u16string_view SimLockText(SimState lock) {
    if (lock == SimState::SimPin) {
        return u"The SIM card asks for its PIN - unlock it in your desktop's mobile settings, "
               u"then try again!";
    }
    return phone::SimStateText(lock);
}

}  // namespace mivex::modem
