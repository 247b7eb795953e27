#include "phone/sim_state.h"

namespace mivex::phone {

std::u16string_view SimStateText(SimState state) {
    switch (state) {
        case SimState::Ready:
            return {};
        case SimState::SimPin:
            return u"The SIM card asks for its PIN!";
        case SimState::SimPuk:
            return u"The SIM card is blocked (PUK) - unblock it in a phone with its PUK, "
                   u"then try again!";
        case SimState::SimPin2:
            return u"The SIM card asks for its PIN2 - enter it in a phone, then try again!";
        case SimState::SimPuk2:
            return u"The SIM card's PIN2 is blocked (PUK2) - unblock it in a phone, "
                   u"then try again!";
        case SimState::PhoneSimPin:
            return u"The phone is locked to another SIM card (PH-SIM PIN) - unlock it in "
                   u"the phone, then try again!";
        case SimState::NetworkLock:
            return u"The phone is locked to a network (network PIN) - ask whoever sold it "
                   u"for the unlock code!";
        case SimState::OtherLock:
            return u"The phone asks for a code - unlock it in the phone, then try again!";
        case SimState::NoSim:
            return u"No SIM card - put one in the phone, then try again!";
        case SimState::SimFailure:
            return u"The SIM card does not work - check that it sits right, then try again!";
        case SimState::SimBusy:
            return kSimNotReadyText;
    }
    return u"The phone asks for a code - unlock it in the phone, then try again!";
}

}  // namespace mivex::phone
