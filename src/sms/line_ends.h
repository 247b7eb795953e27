#pragma once

#include <cstddef>
#include <string>

namespace mivex::sms {

// Makes every line break a CR LF pair: a lone CR or LF gains its partner and
// LF CR becomes CR LF. The text never reaches `capacity` units (a terminator
// would need the last one): when the next insertion would take it there the
// walk stops, the text is left as converted so far, and the result is 0.
// Otherwise the result is the new length.
std::size_t NormaliseLineEnds(std::u16string& text, std::size_t capacity);

}  // namespace mivex::sms
