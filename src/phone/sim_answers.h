#pragma once

// Readers of the phone's answers about its SIM card (3GPP TS 27.007 and
// 27.005): the lock state from AT+CPIN? and the tries left from AT+CPINR. The answers come from the
// phone and are read as untrusted text: anything unexpected reads as nothing.

#include <optional>
#include <string_view>

#include "phone/sim_state.h"

namespace mivex::phone {

// The state in a "+CPIN: <code>" line of `answer` ("+CPIN: SIM PIN",
// "+CPIN: READY"); nothing when the answer holds no such line.
[[nodiscard]] std::optional<SimState> ParsePinState(std::string_view answer);

// The tries left for `code` ("SIM PIN") in a "+CPINR: <code>,<retries>..."
// line; nothing when no line names it or its count is not a small number.
[[nodiscard]] std::optional<int> ParsePinRetries(std::string_view answer, std::string_view code);

// A PIN as the SIM takes it: 4 to 8 ASCII digits and nothing else.
inline constexpr std::size_t kMinPinDigits = 4;
inline constexpr std::size_t kMaxPinDigits = 8;
[[nodiscard]] bool IsPinText(std::string_view pin);

}  // namespace mivex::phone
