#pragma once

#include <string>
#include <string_view>

namespace mivex::sms {

// The first word of the first non-empty line of a phone response, read as GSM
// codes (so letters and digits come through, "$" becomes U+00A4 and bytes above
// 127 become "?"). A line counts only once its CR has arrived. Returns the
// word's length and sets `text`; returns 0 and leaves `text` alone when there is
// no complete line or its first word is empty.
[[nodiscard]] int ResponseWordToText(std::string_view response, std::u16string& text);

}  // namespace mivex::sms
