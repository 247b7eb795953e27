#pragma once

// --on-receive: a program run for each new message, with the message in its
// environment. It is started with posix_spawnp from an argument vector, never
// through a shell, so nothing in a message's text is ever run.

#include <ostream>
#include <string>

#include "transfer/watch_run.h"

namespace mivex::tools {

// MIVEX_SENDER (number), MIVEX_NAME, MIVEX_TIME (local, "YYYY-MM-DD HH:MM:SS")
// and MIVEX_TEXT, in UTF-8, on top of the watch's own environment.
class ReceiveHook final : public transfer::NewMessageSink {
public:
    ReceiveHook(std::string program, std::ostream& err) : program_(std::move(program)), err_(err) {}

    // Waits for the program, so that messages are handed over one at a time
    // and in order; a program that fails is reported and the watch goes on.
    void OnNewMessage(const store::InboxRecord& message) override;

private:
    std::string program_;
    std::ostream& err_;
};

}  // namespace mivex::tools
