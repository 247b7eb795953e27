#pragma once

// The one filter every phone number passes through, and the checks the senders
// make on the result.

#include <string>
#include <string_view>

namespace mivex::sms {

// Numbers (recipients, service centres) hold at most this many characters.
inline constexpr std::size_t kMaxNumberLength = 99;

// Keeps "#", "*", "+", "0"-"9", "p" and "w" in order and drops everything else.
// Returns the new length.
int FilterDialChars(std::u16string& text);

// A service-centre number, already filtered, must be international: a "+" and
// at least one more character.
[[nodiscard]] bool IsUsableServiceCentre(std::u16string_view filteredNumber);

}  // namespace mivex::sms
