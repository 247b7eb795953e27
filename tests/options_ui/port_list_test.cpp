// The port list read from a made-up sysfs, /dev and udev database.

#include "options/port_list.h"

#include <gtest/gtest.h>

#include <vector>

#include "fake_port_tree.h"
#include "options/option_ids.h"

namespace mivex::options::tests {
namespace {

const std::string kHuawei =
    "S:serial/by-id/usb-HUAWEI_Mobile-if00-port0\n"
    "E:ID_VENDOR=HUAWEI\nE:ID_VENDOR_ENC=HUAWEI\n"
    "E:ID_VENDOR_FROM_DATABASE=Huawei Technologies Co., Ltd.\n"
    "E:ID_MODEL=HUAWEI_Mobile\nE:ID_MODEL_ENC=HUAWEI\\x20Mobile\n"
    "E:ID_MODEL_FROM_DATABASE=E353/E3131\n";

TEST(ListPorts, ListsRealSerialDevicesWithTheirMakerAndModel) {
    FakePortTree tree;
    // clang-format off
    // name, major:minor, serial port type, udev record, in /dev
    const std::vector<FakeTty> ttys = {
        {"ttyS0", "4:64", "4"},
        // The 8250 driver's placeholders without a UART behind them.
        {"ttyS1", "4:65", "0"},
        {"ttyS2", "4:66"},
        {"ttyUSB10", "188:10", "", kHuawei},
        {"ttyUSB2", "188:2", "", "E:ID_VENDOR=FTDI\nE:ID_MODEL=FT232R_USB_UART\n"},
        // Only the device's own strings, one of them escaped, one a repeat of the maker.
        {"ttyACM0", "166:0", "", "E:ID_VENDOR_ENC=Sierra\\x20Wireless\nE:ID_MODEL_ENC=Sierra\\x0aMC7304\n"},
        {"rfcomm0", "216:0"},
        // Unplugged a moment ago: sysfs still has it, /dev no longer.
        {"ttyUSB3", "188:3", "", kHuawei, false},
        // Consoles and pseudo-terminals are no phone ports.
        {"tty1", "4:1"},
        {"ttyUSBx", "188:99"},
    };
    // clang-format on
    for (const FakeTty& tty : ttys)
        tree.Add(tty);

    const std::vector<std::u16string> expected = {
        u"/dev/rfcomm0:",
        u"/dev/ttyACM0: Sierra MC7304",
        u"/dev/ttyS0:",
        u"/dev/ttyUSB2: FTDI FT232R USB UART",
        u"/dev/ttyUSB10: Huawei Technologies E353/E3131",
    };
    EXPECT_EQ(ListPorts(tree.Roots()), expected);
}

TEST(ListPorts, OffersTheTwoFixedPortsWhenNothingIsFound) {
    FakePortTree tree;
    tree.Add({"ttyS0", "4:64", "0"});
    const std::vector<std::u16string> fixed = {u"COM1:", u"COM2:"};
    EXPECT_EQ(ListPorts(tree.Roots()), fixed);
    EXPECT_EQ(ListPorts({.sysClassTty = "/nonexistent", .dev = "/nonexistent"}), fixed);
}

TEST(ListPorts, CutsAFriendlyNameThatAnOptionCouldNotHold) {
    FakePortTree tree;
    const std::string longModel(150, 'M');
    tree.Add({"ttyUSB0", "188:0", "", "E:ID_MODEL=" + longModel + "\n"});
    const std::vector<std::u16string> ports = ListPorts(tree.Roots());
    ASSERT_EQ(ports.size(), 1U);
    EXPECT_EQ(ports[0].size(), kMaxOptionChars);
    EXPECT_TRUE(ports[0].starts_with(u"/dev/ttyUSB0: MMM"));
}

TEST(ListPorts, MarksThePortsAModemManagerModemHolds) {
    std::vector<std::u16string> ports = {u"/dev/ttyS0:", u"/dev/ttyUSB2: Quectel EC25",
                                         u"/dev/ttyUSB20:", u"COM1:"};
    const std::vector<platform::ManagedModem> modems = {
        {"1", u"Quectel EC25", {"/dev/cdc-wdm0", "/dev/ttyUSB2"}}};
    MarkHeldPorts(ports, modems);
    MarkHeldPorts(ports, modems);  // a second look marks nothing twice
    const std::u16string held = u"/dev/ttyUSB2: Quectel EC25" + std::u16string(kHeldPortMark);
    EXPECT_EQ(ports,
              (std::vector<std::u16string>{u"/dev/ttyS0:", held, u"/dev/ttyUSB20:", u"COM1:"}));
    EXPECT_EQ(WithoutHeldMark(held), u"/dev/ttyUSB2: Quectel EC25");
}

}  // namespace
}  // namespace mivex::options::tests
