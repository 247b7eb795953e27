#pragma once

// The one failure every command that works on the store can meet.

#include <ostream>

#include "exit_status.h"
#include "store/store.h"

namespace mivex::tools {

inline ExitStatus StoreUnavailable(std::ostream& err, const store::Store& store) {
    err << kMessagePrefix << "cannot open the message store " << store.VolumePath().string()
        << '\n';
    return ExitStatus::Failed;
}

}  // namespace mivex::tools
