#pragma once

// The commands that talk to the phone: receive and send.

#include <ostream>

#include "command_line.h"
#include "exit_status.h"

namespace mivex::tools {

// Reads every message on the phone into the Inbox. Failed when no connection
// could be made or the Inbox cannot be opened.
// Watches the phone until a stop signal; `onReceive`, when not empty, is run
// for each new message (see ReceiveHook).
[[nodiscard]] ExitStatus RunWatch(const SessionArguments& session, const std::string& onReceive,
                                  std::ostream& out, std::ostream& err);
[[nodiscard]] ExitStatus RunReceive(const SessionArguments& session, std::ostream& out,
                                    std::ostream& err);

// Sends every Outbox message. An empty Outbox is a completed run; Failed when
// nothing was sent or the folders cannot be opened.
[[nodiscard]] ExitStatus RunSend(const SessionArguments& session, std::ostream& out,
                                 std::ostream& err);

}  // namespace mivex::tools
