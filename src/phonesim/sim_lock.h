#pragma once

// The simulated phone's SIM card: present or not, locked with a PIN or not.
// Three wrong PINs block it to its PUK, as a real SIM does; right after it
// takes its PIN it answers message commands "SIM busy" a few times, as a
// real SIM does while it reads its files, so clients have to wait for it.

#include <optional>
#include <string>
#include <string_view>

namespace mivex::phonesim {

inline constexpr int kPinTries = 3;
inline constexpr int kPukTries = 10;

struct SimSettings {
    bool present = true;
    std::string pin;           // empty: no PIN lock
    int pinTries = kPinTries;  // tries left at start; 0 starts blocked (SIM PUK)
    int busyAfterUnlock = 2;   // message commands answered "SIM busy" after unlocking
};

// 27.007 +CME ERROR and 27.005 +CMS ERROR codes of a SIM not ready.
inline constexpr int kCmeSimNotInserted = 10;
inline constexpr int kCmeIncorrectPassword = 16;
inline constexpr int kCmsSimNotInserted = 310;
inline constexpr int kCmsSimPinRequired = 311;
inline constexpr int kCmsSimBusy = 314;
inline constexpr int kCmsSimPukRequired = 316;

class SimLock {
public:
    explicit SimLock(SimSettings settings);

    [[nodiscard]] bool Present() const { return settings_.present; }
    // What AT+CPIN? shows: "READY", "SIM PIN" or "SIM PUK". Only when Present().
    [[nodiscard]] std::string_view Code() const;
    [[nodiscard]] int PinTriesLeft() const { return pinTriesLeft_; }

    // AT+CPIN="<pin>" while the SIM asks for its PIN: true when it was the
    // PIN. A wrong one costs a try; the last try blocks the SIM.
    bool EnterPin(std::string_view pin);

    // The +CMS ERROR code a message command gets now, or nothing when the
    // SIM takes message commands. Counts down the busy time after unlocking.
    [[nodiscard]] std::optional<int> MessageCommandError();

private:
    enum class State { Ready, Pin, Puk };

    SimSettings settings_;
    State state_;
    int pinTriesLeft_;
    int busyLeft_ = 0;
};

}  // namespace mivex::phonesim
