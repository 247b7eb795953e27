#pragma once

// The connection's settings as the options give them, and the texts that
// show them in trace mode.

#include <string>

#include "options/option_ids.h"
#include "platform/serial_device.h"

namespace mivex::phone {

struct ConnectionOptions {
    std::u16string portName;  // as stored, friendly name included; "COM1:" when empty
    platform::LineSettings line;
    bool soundsOff = false;
};

// Reads Port, BaudRate, DataBits, StopBits, FlowControl and SoundsOff. A
// baud rate or data-bit count of 0 (absent) gives the defaults of
// options/option_defaults.h; stop bits and flow control are taken as stored
// (absent is 0: one stop bit, none).
[[nodiscard]] ConnectionOptions ReadConnectionOptions(options::OptionReader& options);

// "Speed 19200 Data 8 Stop 1": "1", "1.5" or "2" for the three stop-bit codes,
// nothing after "Stop " for another code.
[[nodiscard]] std::u16string SpeedText(const platform::LineSettings& line);

// "Flow Control - None", "- Hardware", "- Software", or "- Unknown" for any
// other code.
[[nodiscard]] std::u16string FlowControlText(platform::FlowControl flowControl);

}  // namespace mivex::phone
