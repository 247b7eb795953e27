#pragma once

// The commands that work on the store alone: queue, list, export and
// clear-database.

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "command_line.h"
#include "exit_status.h"

namespace mivex::tools {

// Queues `text` for each recipient entry, to be sent later. Failed when the
// message is refused (the reason on stderr) or the Outbox cannot be opened.
[[nodiscard]] ExitStatus RunQueue(const SessionArguments& session,
                                  const std::vector<std::string>& recipients,
                                  const std::string& text, std::ostream& out, std::ostream& err);

// Prints the messages of "inbox", "outbox" or "sent" in the folder's date order.
[[nodiscard]] ExitStatus RunList(const SessionArguments& session, const std::string& folder,
                                 std::ostream& out, std::ostream& err);

// Writes the export file and tells how many messages it holds.
[[nodiscard]] ExitStatus RunExport(const SessionArguments& session,
                                   const std::filesystem::path& file, std::ostream& out,
                                   std::ostream& err);

// Deletes the store file; the command line has already confirmed it.
[[nodiscard]] ExitStatus RunClearDatabase(const SessionArguments& session, std::ostream& out,
                                          std::ostream& err);

}  // namespace mivex::tools
