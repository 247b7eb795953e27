#pragma once

#include <ostream>

#include "command_line.h"
#include "exit_status.h"

namespace mivex::tools {

// Checks the arguments as the sending run checks its numbers and texts, then
// writes "LENGTH HEX" on `out` for each PDU of the message; a refusal goes to
// `err`.
[[nodiscard]] ExitStatus RunEncode(const EncodeArguments& arguments, std::ostream& out,
                                   std::ostream& err);

}  // namespace mivex::tools
