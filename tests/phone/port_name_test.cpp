#include "phone/port_name.h"

#include <gtest/gtest.h>

namespace mivex::phone {
namespace {

TEST(PortName, CutsAfterTheFirstColonAndMapsToADevicePath) {
    // stored name, the port cut from it, that port's device path
    const std::tuple<std::u16string_view, std::u16string_view, std::optional<std::string>> cases[] =
        {
            {u"COM5: Bluetooth", u"COM5:", "/dev/ttyS4"},
            {u"/dev/ttyUSB0: Huawei E173: modem", u"/dev/ttyUSB0:", "/dev/ttyUSB0"},
            {u"/dev/ttyACM0", u"/dev/ttyACM0", "/dev/ttyACM0"},
            {u"", u"COM1:", "/dev/ttyS0"},
            {u":", u":", std::nullopt},
            {u"com12:", u"com12:", "/dev/ttyS11"},
            {u"/dev/serial/by-id/usb-Phone_ABC-if00", u"/dev/serial/by-id/usb-Phone_ABC-if00",
             "/dev/serial/by-id/usb-Phone_ABC-if00"},
            {u"ttyACM0:", u"ttyACM0:", "/dev/ttyACM0"},
            {u"rfcomm0", u"rfcomm0", "/dev/rfcomm0"},
            // Not "COMn" with n from 1: just names.
            {u"COM0:", u"COM0:", "/dev/COM0"},
            {u"COM01:", u"COM01:", "/dev/COM01"},
            {u"COM99999:", u"COM99999:", "/dev/COM99999"},
            {u"COMX:", u"COMX:", "/dev/COMX"},
            {std::u16string_view(u"/dev/tty\0S0:", 12), std::u16string_view(u"/dev/tty\0S0:", 12),
             std::nullopt},
        };
    for (const auto& [stored, cut, path] : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::u16string(stored)));
        EXPECT_EQ(CutPortName(stored), cut);
        EXPECT_EQ(DevicePathForPort(cut), path);
    }
    EXPECT_EQ(DevicePathForPort(u""), std::nullopt);
}

}  // namespace
}  // namespace mivex::phone
