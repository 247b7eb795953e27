#pragma once

// Calendar fields of stored times as the lists and the export print them.

#include <cstdint>
#include <string>

#include "sms/file_time.h"

namespace mivex::store {

// printf's "%02.2hu": the value as an unsigned 16-bit number, at least two
// digits with a leading zero.
void AppendTwoDigits(std::u16string& text, int value);

// "DD/MM/YY  hh:mm:ss" of a stored time ("%02.2hu/%02.2hu/%02.2hu
// %02.2hu:%02.2hu:%02.2hu" of day, month, year less 2000, hour, minute and
// second), as the export and the command-line listing print it.
void AppendExportTime(std::u16string& text, sms::FileTime time);

}  // namespace mivex::store
