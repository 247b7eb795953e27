#pragma once

// ModemManager for a test: a private system bus (dbus-daemon with a
// configuration of its own) with the python3-dbusmock ModemManager mock on
// it, and DBUS_SYSTEM_BUS_ADDRESS pointed at it for this process.

#include <sys/types.h>

#include <string>
#include <vector>

#include "temp_dir.h"

namespace mivex::modem::test {

class ModemManagerBus {
public:
    ModemManagerBus();
    ~ModemManagerBus();
    ModemManagerBus(const ModemManagerBus&) = delete;
    ModemManagerBus& operator=(const ModemManagerBus&) = delete;

    // Starts the mock with `parametersJson` (see modemmanager_mock.py; the
    // record file is added); false with `error` when it did not come up.
    [[nodiscard]] bool StartMock(const std::string& parametersJson, std::string& error);
    // Ends the mock, as ModemManager stopping would.
    void StopMock();
    // The mock's record, one JSON line per List and per call that changed
    // something.
    [[nodiscard]] std::vector<std::string> Calls() const;
    // Steers the running mock (its control interface, see
    // modemmanager_mock.py): `method` with `argument` when not empty. The
    // answer's object path, if any, goes to `answer`; false with the error
    // there when the call failed.
    bool Control(const std::string& method, const std::string& argument, std::string& answer);

private:
    mivex::testing::TempDir directory_;
    pid_t bus_ = -1;
    pid_t mock_ = -1;
};

}  // namespace mivex::modem::test
