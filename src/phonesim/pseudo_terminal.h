#pragma once

// The pseudo-terminal the simulated phone sits on: the master end is the
// phone's, the slave device (/dev/pts/N) is the "serial port" a client opens.

#include <cstddef>
#include <optional>
#include <string>
#include <utility>

namespace mivex::phonesim {

class PseudoTerminal {
public:
    // A fresh pseudo-terminal with its line in raw mode (no echo, no line
    // editing, no CR/LF translation: the bytes are the phone's). The master is
    // non-blocking. Nothing, with `error` set, when the system refuses.
    [[nodiscard]] static std::optional<PseudoTerminal> Open(std::string& error);

    PseudoTerminal(PseudoTerminal&& other) noexcept;
    PseudoTerminal& operator=(PseudoTerminal&& other) noexcept;
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;
    ~PseudoTerminal();

    [[nodiscard]] int Master() const { return master_; }
    [[nodiscard]] const std::string& SlavePath() const { return slavePath_; }

    // Bytes written by the phone that the client has not read yet.
    [[nodiscard]] std::size_t UnreadByClient() const;

    // Closes both ends: a client that has the device open sees it vanish.
    // Bytes it has not read by then are lost: a hang-up flushes them.
    void Close();

private:
    PseudoTerminal(int master, int slave, std::string slavePath)
        : master_(master), slave_(slave), slavePath_(std::move(slavePath)) {}

    int master_ = -1;
    // Held open all the time: when the last client closes the device, a master
    // without any slave open reports a hang-up on every poll, which would spin
    // the loop until the next client came.
    int slave_ = -1;
    std::string slavePath_;
};

}  // namespace mivex::phonesim
