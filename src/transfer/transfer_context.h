#pragma once

// What a transfer run is handed besides its folders: the pieces of a phone
// connection, the settings (read when needed, never cached) and the place its
// progress texts go.

#include "options/option_ids.h"
#include "phone/serial_line.h"
#include "platform/status_sink.h"

namespace mivex::transfer {

struct TransferContext {
    phone::LinkContext& link;  // clock, port opener, sounds, trace
    options::OptionReader& options;
    platform::StatusSink& status;
};

}  // namespace mivex::transfer
