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

// Whether a recipient number as typed names one number: it holds at least one
// digit and nothing but dial characters and the separators people put
// between groups of digits (space, "-", ".", "(", ")", "/"). The filter drops
// any other character, so "+44 77OO 900123" with an O for a zero would go to
// a wrong number; such a number is refused before it reaches the filter.
[[nodiscard]] bool IsUsableRecipientNumber(std::u16string_view typed);

// A service-centre number, already filtered, must be international: a "+" and
// at least one more character.
[[nodiscard]] bool IsUsableServiceCentre(std::u16string_view filteredNumber);

// Two numbers name the same phone when enough of their trailing characters
// agree: "+447700900123" and "07700 900123" filter to numbers that differ only
// in their national or international prefix. Fewer than this never match.
inline constexpr std::size_t kMinMatchingTail = 7;

// How many characters a and b share counted back from their ends; 0 when
// either is empty.
[[nodiscard]] std::size_t CountCommonTail(std::u16string_view a, std::u16string_view b);

}  // namespace mivex::sms
