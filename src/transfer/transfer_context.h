#pragma once

// What a transfer run is handed besides its folders: the pieces of a phone
// connection, the settings (read when needed, never cached), the place its
// progress texts go, and who it runs for.

#include <filesystem>
#include <string>

#include "options/option_ids.h"
#include "phone/serial_line.h"
#include "platform/status_sink.h"

namespace mivex::transfer {

// The process that opens the phone, as another one is told while it holds
// it: one process per data directory holds the phone at a time.
struct PhoneOwner {
    // The data directory whose phone it is; empty: nobody else is asked (a
    // run with no data directory of its own, as in a test of the run alone).
    std::filesystem::path dataDirectory;
    // Who holds it, e.g. "mivex-cli watch" or "the Mivex window".
    std::string program;
    // Keeps the phone open, receiving and sending for the others.
    bool keepsPhone = false;
};

struct TransferContext {
    phone::LinkContext& link;  // clock, port opener, sounds, trace
    options::OptionReader& options;
    platform::StatusSink& status;
    PhoneOwner owner{};
};

}  // namespace mivex::transfer
