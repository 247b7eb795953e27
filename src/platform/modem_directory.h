#pragma once

// The modems ModemManager manages, as far as the rest of the program needs
// them: to say which one holds a serial port Mivex could not open, to mark
// such ports in the port list, and to offer the modems themselves. The
// ModemManager side (libmm-glib over the system bus) implements it; where
// ModemManager does not run, or in tests of the layers above, NoModems
// stands in.

#include <string>
#include <vector>

namespace mivex::platform {

struct ManagedModem {
    // What finds the modem again after unplugging, replugging or a reboot;
    // the ModemManager side defines it and the Port option stores it.
    std::string id;
    // Maker and model as the user knows the modem: "Quectel EC25".
    std::u16string name;
    // Its device paths: "/dev/ttyUSB2", "/dev/cdc-wdm0".
    std::vector<std::string> ports;
};

class ModemDirectory {
public:
    virtual ~ModemDirectory() = default;

    // The modems ModemManager has now. Empty when it does not run or does
    // not answer within its time-out; never blocks longer than that.
    virtual std::vector<ManagedModem> ListModems() = 0;
};

class NoModems final : public ModemDirectory {
public:
    std::vector<ManagedModem> ListModems() override { return {}; }
};

}  // namespace mivex::platform
