#include "phonesim/sim_lock.h"

#include <utility>

namespace mivex::phonesim {

SimLock::SimLock(SimSettings settings)
    : settings_(std::move(settings)),
      state_(settings_.pin.empty()     ? State::Ready
             : settings_.pinTries <= 0 ? State::Puk
                                       : State::Pin),
      pinTriesLeft_(settings_.pinTries) {}

std::string_view SimLock::Code() const {
    switch (state_) {
        case State::Pin:
            return "SIM PIN";
        case State::Puk:
            return "SIM PUK";
        case State::Ready:
            break;
    }
    return "READY";
}

bool SimLock::EnterPin(std::string_view pin) {
    if (state_ != State::Pin)
        return false;
    if (pin == settings_.pin) {
        state_ = State::Ready;
        pinTriesLeft_ = kPinTries;
        busyLeft_ = settings_.busyAfterUnlock;
        return true;
    }
    if (--pinTriesLeft_ == 0)
        state_ = State::Puk;
    return false;
}

std::optional<int> SimLock::MessageCommandError() {
    if (!settings_.present)
        return kCmsSimNotInserted;
    switch (state_) {
        case State::Pin:
            return kCmsSimPinRequired;
        case State::Puk:
            return kCmsSimPukRequired;
        case State::Ready:
            break;
    }
    if (busyLeft_ > 0) {
        --busyLeft_;
        return kCmsSimBusy;
    }
    return std::nullopt;
}

}  // namespace mivex::phonesim
