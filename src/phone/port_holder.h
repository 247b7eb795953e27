#pragma once

// Who holds a serial port that would not open because it is in use, and the
// red text that tells the user: ModemManager (which opens every modem port it
// knows, exclusively), else a program of this user's that has the device
// open, else nobody this user can see.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/modem_directory.h"

namespace mivex::phone {

// The help page's section on ports ModemManager holds.
inline constexpr std::u16string_view kModemManagerHelpAnchor = u"ModemManager";

inline constexpr std::u16string_view kPortInUseText =
    u"The port is in use by another program - close it, then try again!";

struct HoldingProcess {
    std::string program;  // its name as /proc/PID/comm gives it
    std::int64_t pid = 0;
};

// A process other than this one that has `devicePath` open, found through
// `procRoot`/PID/fd. Only this user's processes can be seen, which is what
// the user can do something about. Devices are compared by device number, so
// a udev symlink finds the process that opened the device under its own name.
[[nodiscard]] std::optional<HoldingProcess> FindHoldingProcess(
    const std::string& devicePath, const std::filesystem::path& procRoot = "/proc");

// The modem whose ports hold `devicePath` (as given, or the device it links to).
[[nodiscard]] std::optional<platform::ManagedModem> FindHoldingModem(
    const std::string& devicePath, platform::ModemDirectory& modems);

// "ModemManager is using /dev/ttyUSB2 (Quectel EC25) - ..." with the help
// section to read (kModemManagerHelpAnchor) when a listed modem holds the
// port, "The port /dev/ttyUSB2 is in use by minicom (pid 4242) - ..." when a
// process of this user's does, else kPortInUseText.
[[nodiscard]] std::u16string BusyPortText(const std::string& devicePath,
                                          platform::ModemDirectory& modems,
                                          const std::filesystem::path& procRoot = "/proc");

// The red text for a port this user may not open.
[[nodiscard]] std::u16string NoPermissionText(const std::string& devicePath);

}  // namespace mivex::phone
