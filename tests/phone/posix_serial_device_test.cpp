// The Linux serial device on real pseudo-terminals: the test holds the master
// side and plays the phone there. A port that vanishes mid-read is the link
// tests' line cut.

#include "phone/posix_serial_device.h"

#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <string>

namespace mivex::phone {
namespace {

using platform::FlowControl;
using platform::ReadResult;
using platform::StopBits;

class PseudoTerminal : public ::testing::Test {
protected:
    void SetUp() override {
        char name[256] = {};
        ASSERT_EQ(openpty(&master_, &slave_, name, nullptr, nullptr), 0);
        portName_ = std::u16string(name, name + std::char_traits<char>::length(name)) + u":";
        device_ = opener_.Open(portName_);
        ASSERT_NE(device_, nullptr);
    }
    void TearDown() override {
        ::close(master_);
        ::close(slave_);
    }

    // The settings the line has now, as the kernel keeps them.
    termios Settings() const {
        termios settings{};
        EXPECT_EQ(tcgetattr(slave_, &settings), 0);
        return settings;
    }

    int master_ = -1, slave_ = -1;
    std::u16string portName_;
    PosixSerialOpener opener_;
    std::unique_ptr<platform::SerialDevice> device_;
};

TEST_F(PseudoTerminal, OpensForOneUserOnlyAndOnlyTerminals) {
    EXPECT_EQ(opener_.Open(portName_), nullptr);  // refused even to root
    EXPECT_EQ(opener_.Open(portName_), nullptr);  // and a refusal does not free it
    device_->Close();
    EXPECT_NE(opener_.Open(portName_), nullptr);
    EXPECT_EQ(opener_.Open(u"/dev/null:"), nullptr);
    EXPECT_EQ(opener_.Open(u"/dev/mivex-no-such-port:"), nullptr);
    EXPECT_EQ(opener_.Open(u":"), nullptr);
}

TEST_F(PseudoTerminal, ConfiguresARawLine) {
    EXPECT_TRUE(device_->Configure({115200, 8, StopBits::Two, FlowControl::Hardware}));
    termios settings = Settings();
    EXPECT_EQ(cfgetispeed(&settings), B115200);
    const tcflag_t cflags = CSIZE | CSTOPB | PARENB | CLOCAL | CREAD;
    EXPECT_EQ(settings.c_cflag & cflags, static_cast<tcflag_t>(CS8 | CSTOPB | CLOCAL | CREAD));
    // Bytes pass unchanged: no echo, no line editing, no CR/LF translation.
    EXPECT_EQ(settings.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(settings.c_iflag & (ICRNL | INLCR | IGNCR | IXON), 0u);
    EXPECT_EQ(settings.c_oflag & OPOST, 0u);

    // speed asked for, speed the line has, stop bits asked for, CSTOPB set
    const std::tuple<std::int32_t, speed_t, StopBits, bool> cases[] = {
        {12345, B115200, StopBits::OneAndHalf, true},  // no constant: the speed stays; 1.5 is 2
        {19200, B19200, StopBits::One, false},
    };
    for (const auto& [baud, speed, stopBits, twoStopBits] : cases) {
        SCOPED_TRACE(baud);
        EXPECT_TRUE(device_->Configure({baud, 8, stopBits, FlowControl::None}));
        settings = Settings();
        EXPECT_EQ(cfgetospeed(&settings), speed);
        EXPECT_EQ((settings.c_cflag & CSTOPB) != 0, twoStopBits);
    }
}

TEST_F(PseudoTerminal, SetsTheHandshakeByFlowControlCode) {
    // flow control code, RTS/CTS before, RTS/CTS after, XON/XOFF after
    const std::tuple<std::int32_t, bool, bool, bool> cases[] = {
        {0, true, false, false},
        {1, false, true, false},
        {2, true, false, true},
        // Codes the options dialog never writes keep the handshake as it was.
        {7, true, true, false},
        {7, false, false, false},
        {-1, true, true, false},
    };
    for (const auto& [code, rtsCtsBefore, rtsCts, xonXoff] : cases) {
        SCOPED_TRACE(::testing::Message() << code << " from " << rtsCtsBefore);
        termios before = Settings();
        before.c_cflag = rtsCtsBefore ? (before.c_cflag | CRTSCTS) : (before.c_cflag & ~CRTSCTS);
        before.c_iflag |= IXON | IXOFF;
        ASSERT_EQ(tcsetattr(slave_, TCSANOW, &before), 0);
        EXPECT_TRUE(device_->Configure({19200, 8, StopBits::One, static_cast<FlowControl>(code)}));
        const termios after = Settings();
        EXPECT_EQ((after.c_cflag & CRTSCTS) != 0, rtsCts);
        EXPECT_EQ(after.c_iflag & (IXON | IXOFF), xonXoff ? (IXON | IXOFF) : 0u);
    }
}

TEST_F(PseudoTerminal, CarriesBytesBothWaysAndPurgesWhatIsWaiting) {
    ASSERT_TRUE(device_->Configure({}));
    const std::uint8_t command[] = {'A', 'T', '\r'};
    EXPECT_EQ(device_->Write(command, 1000), 3);
    char written[8] = {};
    EXPECT_EQ(::read(master_, written, sizeof written), 3);
    EXPECT_EQ(std::string(written, 3), "AT\r");

    std::uint8_t byte = 0;
    EXPECT_EQ(device_->ReadByte(byte, 0), ReadResult::NoByte);
    const std::string answer("\r\n\x1A\xFF\0OK\r\n", 9);
    ASSERT_EQ(::write(master_, answer.data(), answer.size()), static_cast<ssize_t>(answer.size()));
    std::string received;
    while (received.size() < 3 && device_->ReadByte(byte, 5000) == ReadResult::Byte)
        received += static_cast<char>(byte);
    // A purge drops what is left of the answer, read ahead or not, and new bytes.
    ASSERT_EQ(::write(master_, "stale", 5), 5);
    device_->Purge();
    EXPECT_EQ(device_->ReadByte(byte, 0), ReadResult::NoByte);
    ASSERT_EQ(::write(master_, answer.data() + 3, answer.size() - 3), 6);
    while (received.size() < answer.size() && device_->ReadByte(byte, 5000) == ReadResult::Byte)
        received += static_cast<char>(byte);
    EXPECT_EQ(received, answer);
    // A shorter answer after a buffer read to its end starts the buffer afresh.
    ASSERT_EQ(::write(master_, "OK", 2), 2);
    received.clear();
    while (received.size() < 2 && device_->ReadByte(byte, 5000) == ReadResult::Byte)
        received += static_cast<char>(byte);
    EXPECT_EQ(received, "OK");
}

}  // namespace
}  // namespace mivex::phone
