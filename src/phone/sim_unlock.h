#pragma once

// Bringing the SIM card to where messages can be read and sent, as part of
// the connection start-up: ask AT+CPIN?, go on when it is ready (or when the
// phone does not know the question), ask the user for the PIN when it wants
// one and send it once, then wait until the SIM answers message commands.
// Any other state ends the run with a text saying what the user must do. No
// PUK is ever sent, and a PIN is never sent twice in one run.

#include <cstdint>
#include <string>

#include "phone/serial_line.h"
#include "platform/status_sink.h"

namespace mivex::phone {

// How long a SIM that took its PIN, or is still starting, is given to answer
// message commands, and how often it is asked meanwhile.
inline constexpr std::uint32_t kSimReadyWaitMs = 10000;
inline constexpr std::uint32_t kSimPollMs = 1000;
// A SIM takes a moment to check a PIN; some take seconds.
inline constexpr std::uint32_t kPinAnswerMs = 10000;

// Empty `failure`: the SIM is ready and the run goes on. Otherwise the red
// text that ends the run (the caller shows it and closes the port).
struct SimCheck {
    std::u16string failure;
    [[nodiscard]] bool ready() const { return failure.empty(); }
};

// The PIN goes to the trace as AT+CPIN="****", and the phone's echo of it
// likewise. Progress texts go to `status` in blue.
[[nodiscard]] SimCheck MakeSimReady(PortHandle& port, platform::PinPrompter* pins,
                                    platform::StatusSink& status);

}  // namespace mivex::phone
