#pragma once

// Calendar fields of stored times as the lists and the export print them.

#include <cstdint>
#include <string>

namespace mivex::store {

// printf's "%02.2hu": the value as an unsigned 16-bit number, at least two
// digits with a leading zero.
void AppendTwoDigits(std::u16string& text, int value);

}  // namespace mivex::store
