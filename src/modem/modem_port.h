#pragma once

// A ModemManager modem as the Port option names it. The option's part up to
// its first colon is what a run opens, so a modem is "mm-<id>:" followed by
// one space and what the user knows it by: "mm-356938035643809: Quectel EC25
// (ModemManager)". The id is StableModemId's, so the choice survives
// unplugging, replugging and reboots.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/modem_directory.h"

namespace mivex::modem {

inline constexpr std::u16string_view kModemPortPrefix = u"mm-";

// The modem id of a stored port name, or nothing when it names a serial port.
[[nodiscard]] std::optional<std::string> ModemIdOfPort(std::u16string_view storedPort);

// The port list's entry for `modem`, never longer than an option holds. An id
// with characters a port name cannot carry (a colon, a space, a control
// character) gives no entry.
[[nodiscard]] std::optional<std::u16string> ModemPortEntry(const platform::ManagedModem& modem);

// The serial ports, then an entry for each modem.
[[nodiscard]] std::vector<std::u16string> MergeModemPorts(
    std::vector<std::u16string> serialPorts, const std::vector<platform::ManagedModem>& modems);

}  // namespace mivex::modem
