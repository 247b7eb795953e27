#pragma once

#include <ostream>
#include <string_view>

#include "exit_status.h"

namespace mivex::tools {

// Decodes the hex text of one PDU as the receive run would and writes the
// record it would store as one JSON line on `out`; a reason goes to `err`.
[[nodiscard]] ExitStatus RunDecode(std::string_view hex, std::ostream& out, std::ostream& err);

}  // namespace mivex::tools
