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
    const std::vector<FakeTty> ttys = {
        {.name = "ttyS0", .majorMinor = "4:64", .type = "4"},
        // The 8250 driver's placeholders without a UART behind them.
        {.name = "ttyS1", .majorMinor = "4:65", .type = "0"},
        {.name = "ttyS2", .majorMinor = "4:66"},
        {.name = "ttyUSB10", .majorMinor = "188:10", .udev = kHuawei},
        {.name = "ttyUSB2",
         .majorMinor = "188:2",
         .udev = "E:ID_VENDOR=FTDI\nE:ID_MODEL=FT232R_USB_UART\n"},
        // Only the device's own strings, one of them escaped, one a repeat
        // of the maker.
        {.name = "ttyACM0",
         .majorMinor = "166:0",
         .udev = "E:ID_VENDOR_ENC=Sierra\\x20Wireless\nE:ID_MODEL_ENC=Sierra\\x0aMC7304\n"},
        {.name = "rfcomm0", .majorMinor = "216:0"},
        // Unplugged a moment ago: sysfs still has it, /dev no longer.
        {.name = "ttyUSB3", .majorMinor = "188:3", .udev = kHuawei, .node = false},
        // Consoles and pseudo-terminals are no phone ports.
        {.name = "tty1", .majorMinor = "4:1"},
        {.name = "ttyUSBx", .majorMinor = "188:99"},
    };
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
    tree.Add({.name = "ttyS0", .majorMinor = "4:64", .type = "0"});
    const std::vector<std::u16string> fixed = {u"COM1:", u"COM2:"};
    EXPECT_EQ(ListPorts(tree.Roots()), fixed);
    EXPECT_EQ(ListPorts({.sysClassTty = "/nonexistent", .dev = "/nonexistent"}), fixed);
}

TEST(ListPorts, CutsAFriendlyNameThatAnOptionCouldNotHold) {
    FakePortTree tree;
    const std::string longModel(150, 'M');
    tree.Add({.name = "ttyUSB0", .majorMinor = "188:0", .udev = "E:ID_MODEL=" + longModel + "\n"});
    const std::vector<std::u16string> ports = ListPorts(tree.Roots());
    ASSERT_EQ(ports.size(), 1U);
    EXPECT_EQ(ports[0].size(), kMaxOptionChars);
    EXPECT_TRUE(ports[0].starts_with(u"/dev/ttyUSB0: MMM"));
}

}  // namespace
}  // namespace mivex::options::tests
