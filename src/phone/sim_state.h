#pragma once

// What a SIM card can ask of the user before messages can be read or sent,
// and the texts that tell the user. Any link to a phone shows these: the AT
// link reads them from AT+CPIN?, a modem service from its lock states.

#include <string_view>

namespace mivex::phone {

enum class SimState {
    Ready,        // no code wanted: messages can go
    SimPin,       // the SIM card's PIN
    SimPuk,       // the SIM card is blocked after three wrong PINs
    SimPin2,      // the SIM card's second PIN
    SimPuk2,      // the second PIN is blocked
    PhoneSimPin,  // the phone's own lock to one SIM card (PH-SIM PIN)
    NetworkLock,  // the phone is locked to a network, provider or company
    OtherLock,    // some other code this program does not know
    NoSim,        // no SIM card in the phone
    SimFailure,   // a SIM card that does not work, or a wrong one
    SimBusy,      // the SIM card is still starting up
};

// The red text that ends a run for a state other than Ready and SimPin
// (those two go on: the one at once, the other after asking for the PIN).
[[nodiscard]] std::u16string_view SimStateText(SimState state);

// What the unlocking can end in, besides the state texts.
inline constexpr std::u16string_view kPinNotGivenText =
    u"No PIN given - the SIM card is still locked!";
inline constexpr std::u16string_view kWrongPinText = u"Wrong PIN - the SIM card is still locked!";
inline constexpr std::u16string_view kBadPinText =
    u"A PIN is 4 to 8 digits - the SIM card is still locked!";
inline constexpr std::u16string_view kPinUnansweredText =
    u"The phone did not answer the PIN - check it, then try again!";
inline constexpr std::u16string_view kSimNotReadyText =
    u"The SIM card did not get ready - try again in a moment!";
inline constexpr std::u16string_view kPhoneLostText =
    u"The phone went away while its SIM card was checked - check its cable, then try again!";

// Blue progress texts.
inline constexpr std::u16string_view kUnlockingText = u"Unlocking the SIM card..";
inline constexpr std::u16string_view kWaitingForSimText = u"Waiting for the SIM card..";

}  // namespace mivex::phone
