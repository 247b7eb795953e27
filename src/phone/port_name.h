#pragma once

// Port names as the options keep them and the device paths they stand for.
// The port list shows "<device>: <friendly name>"; the part up to and
// including the first colon names the port.

#include <optional>
#include <string>
#include <string_view>

namespace mivex::phone {

// The port used when the option is empty.
inline constexpr std::u16string_view kDefaultPortName = u"COM1:";

// The name cut after its first colon (the colon stays): "COM5: Bluetooth"
// gives "COM5:". A name without a colon is kept whole; an empty one gives
// kDefaultPortName.
[[nodiscard]] std::u16string CutPortName(std::u16string_view storedName);

// The Linux device path of a cut port name: "COMn:" (any case, n from 1)
// opens /dev/ttyS(n-1); any other name is the path before the colon, with
// "/dev/" put in front of a relative one ("ttyUSB0:" is /dev/ttyUSB0), since
// the program's current directory means nothing. Nothing when the name holds
// no path (empty, a NUL character).
[[nodiscard]] std::optional<std::string> DevicePathForPort(std::u16string_view portName);

}  // namespace mivex::phone
