#include "phone/port_name.h"

#include <gtest/gtest.h>

#include "phone/line_settings.h"
#include "scripted_line.h"

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

TEST(LineSettings, AbsentOptionsGiveTheDefaults) {
    test::FakeOptions options;
    ConnectionOptions read = ReadConnectionOptions(options);
    EXPECT_EQ(read.portName, u"COM1:");
    EXPECT_EQ(read.line.baudRate, 19200);
    EXPECT_EQ(read.line.dataBits, 8);
    EXPECT_EQ(read.line.stopBits, platform::StopBits::One);
    EXPECT_EQ(read.line.flowControl, platform::FlowControl::None);
    EXPECT_FALSE(read.soundsOff);

    using options::Option;
    options.integers = {{Option::BaudRate, 57600},
                        {Option::DataBits, 7},
                        {Option::StopBits, 2},
                        {Option::FlowControl, 1},
                        {Option::SoundsOff, 1}};
    options.strings[Option::Port] = u"/dev/ttyUSB1: Modem";
    read = ReadConnectionOptions(options);
    EXPECT_EQ(read.portName, u"/dev/ttyUSB1: Modem");
    EXPECT_EQ(read.line.baudRate, 57600);
    EXPECT_EQ(read.line.dataBits, 7);
    EXPECT_EQ(read.line.stopBits, platform::StopBits::Two);
    EXPECT_EQ(read.line.flowControl, platform::FlowControl::Hardware);
    EXPECT_TRUE(read.soundsOff);
}

}  // namespace
}  // namespace mivex::phone
