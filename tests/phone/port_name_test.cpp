#include "phone/port_name.h"

#include <gtest/gtest.h>

namespace mivex::phone {
namespace {

TEST(PortName, CutsAfterTheFirstColon) {
    const std::pair<std::u16string_view, std::u16string_view> vectors[] = {
        {u"COM5: Bluetooth", u"COM5:"},
        {u"/dev/ttyUSB0: Huawei E173: modem", u"/dev/ttyUSB0:"},
        {u"/dev/ttyACM0", u"/dev/ttyACM0"},
        {u"", u"COM1:"},
        {u":", u":"},
    };
    for (const auto& [stored, cut] : vectors) {
        SCOPED_TRACE(::testing::PrintToString(std::u16string(stored)));
        EXPECT_EQ(CutPortName(stored), cut);
    }
}

TEST(PortName, MapsPortsToDevicePaths) {
    const std::pair<std::u16string_view, std::optional<std::string>> vectors[] = {
        {u"COM1:", "/dev/ttyS0"},
        {u"com12:", "/dev/ttyS11"},
        {u"/dev/ttyUSB0:", "/dev/ttyUSB0"},
        {u"/dev/serial/by-id/usb-Phone_ABC-if00", "/dev/serial/by-id/usb-Phone_ABC-if00"},
        {u"ttyACM0:", "/dev/ttyACM0"},
        {u"rfcomm0", "/dev/rfcomm0"},
        // Not "COMn" with n from 1: just names.
        {u"COM0:", "/dev/COM0"},
        {u"COM01:", "/dev/COM01"},
        {u"COM99999:", "/dev/COM99999"},
        {u"COMX:", "/dev/COMX"},
        {u":", std::nullopt},
        {u"", std::nullopt},
        {std::u16string_view(u"/dev/tty\0S0:", 12), std::nullopt},
    };
    for (const auto& [port, path] : vectors) {
        SCOPED_TRACE(::testing::PrintToString(std::u16string(port)));
        EXPECT_EQ(DevicePathForPort(port), path);
    }
}

}  // namespace
}  // namespace mivex::phone
