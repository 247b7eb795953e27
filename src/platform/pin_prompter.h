#pragma once

// Asking the user for the SIM card's PIN when the phone reports it locked:
// a dialog in the desktop program, the terminal or a file in mivex-cli. The
// phone link asks at most once per run and sends what it was given once.

#include <optional>
#include <string>

namespace mivex::platform {

struct PinQuestion {
    // Tries the SIM card has left before it locks to its PUK, where the
    // phone tells them.
    std::optional<int> triesLeft;
};

struct PinEntry {
    std::string digits;     // 4 to 8 ASCII digits
    bool remember = false;  // keep it in memory until the program ends
};

class PinPrompter {
public:
    virtual ~PinPrompter() = default;

    // The PIN, or nothing when the user declined (Cancel, no terminal).
    virtual std::optional<PinEntry> AskPin(const PinQuestion& question) = 0;
    // What became of the PIN AskPin gave last: the SIM took it, or it was
    // refused or went unanswered (a PIN kept for later must then be dropped).
    virtual void PinAccepted() {}
    virtual void PinRefused() {}
};

// A PIN the user asked to keep, used in place of asking again until the SIM
// refuses it. It lives in memory only and is kept once the SIM has taken it.
class RememberedPin final : public PinPrompter {
public:
    explicit RememberedPin(PinPrompter& asker) : asker_(asker) {}

    std::optional<PinEntry> AskPin(const PinQuestion& question) override {
        if (!kept_.empty())
            return PinEntry{kept_, true};
        std::optional<PinEntry> entry = asker_.AskPin(question);
        pending_ = entry && entry->remember ? entry->digits : std::string();
        return entry;
    }
    void PinAccepted() override {
        if (!pending_.empty())
            kept_.swap(pending_);
        Wipe(pending_);
    }
    void PinRefused() override {
        Wipe(kept_);
        Wipe(pending_);
    }

private:
    static void Wipe(std::string& text) {
        for (char& c : text)
            *static_cast<volatile char*>(&c) = '\0';
        text.clear();
    }

    PinPrompter& asker_;
    std::string kept_;
    std::string pending_;
};

}  // namespace mivex::platform
