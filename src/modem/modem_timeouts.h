#pragma once

// How long the ModemManager link waits for each kind of call.

#include <cstdint>

namespace mivex::modem {

// Time-outs in milliseconds. A send waits longest: the modem answers only
// once the network took the message.
struct ModemTimeouts {
    std::uint32_t connectMs = 5000;
    std::uint32_t callMs = 15000;
    std::uint32_t sendMs = 60000;
};

}  // namespace mivex::modem
