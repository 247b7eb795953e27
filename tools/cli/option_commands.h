#pragma once

// options get NAME and options set NAME VALUE.

#include <ostream>
#include <string>

#include "command_line.h"
#include "exit_status.h"

namespace mivex::tools {

// Prints the stored value: a number, or a text on a line of its own; an
// absent setting prints as 0 or an empty line, as every reader takes it.
[[nodiscard]] ExitStatus RunOptionsGet(const SessionArguments& session, const std::string& name,
                                       std::ostream& out, std::ostream& err);

// Stores a checked value; a bad name or value is a usage error and stores nothing.
[[nodiscard]] ExitStatus RunOptionsSet(const SessionArguments& session, const std::string& name,
                                       const std::string& value, std::ostream& err);

}  // namespace mivex::tools
