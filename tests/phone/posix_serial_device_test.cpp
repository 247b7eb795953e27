// The Linux serial device on real pseudo-terminals: the test holds the master
// side and plays the phone there.

#include "phone/posix_serial_device.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

#include "fake_clock.h"
#include "fake_controls.h"
#include "phone/phone_link.h"
#include "scripted_line.h"

namespace mivex::phone {
namespace {

using platform::FlowControl;
using platform::LineSettings;
using platform::ReadResult;
using platform::StopBits;

class PseudoTerminal : public ::testing::Test {
protected:
    void SetUp() override {
        char name[256] = {};
        ASSERT_EQ(openpty(&master_, &slave_, name, nullptr, nullptr), 0);
        slaveName_ = name;
        portName_ = std::u16string(slaveName_.begin(), slaveName_.end()) + u":";
    }
    void TearDown() override {
        CloseMaster();
        if (slave_ >= 0)
            ::close(slave_);
    }
    void CloseMaster() {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }

    std::unique_ptr<platform::SerialDevice> OpenDevice() { return opener_.Open(portName_); }

    // The settings the line has now, as the kernel keeps them.
    termios Settings() const {
        termios settings{};
        EXPECT_EQ(tcgetattr(slave_, &settings), 0);
        return settings;
    }

    speed_t OutputSpeed() const {
        const termios settings = Settings();
        return cfgetospeed(&settings);
    }

    // Everything the program has written so far (the master never blocks here).
    std::string DrainMaster() {
        std::string bytes;
        char chunk[256];
        for (;;) {
            pollfd ready{master_, POLLIN, 0};
            if (poll(&ready, 1, 0) <= 0 || (ready.revents & POLLIN) == 0)
                return bytes;
            const ssize_t count = ::read(master_, chunk, sizeof chunk);
            if (count <= 0)
                return bytes;
            bytes.append(chunk, static_cast<std::size_t>(count));
        }
    }

    int master_ = -1;
    int slave_ = -1;
    std::string slaveName_;
    std::u16string portName_;
    PosixSerialOpener opener_;
};

TEST_F(PseudoTerminal, OpensForOneUserOnly) {
    std::unique_ptr<platform::SerialDevice> first = OpenDevice();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(OpenDevice(), nullptr);  // refused even to root
    first->Close();
    std::unique_ptr<platform::SerialDevice> again = OpenDevice();
    EXPECT_NE(again, nullptr);
}

TEST_F(PseudoTerminal, RefusesWhatIsNotATerminal) {
    EXPECT_EQ(opener_.Open(u"/dev/null:"), nullptr);
    EXPECT_EQ(opener_.Open(u"/dev/mivex-no-such-port:"), nullptr);
    EXPECT_EQ(opener_.Open(u":"), nullptr);
}

TEST_F(PseudoTerminal, ConfiguresARawLine) {
    std::unique_ptr<platform::SerialDevice> device = OpenDevice();
    ASSERT_NE(device, nullptr);
    EXPECT_TRUE(device->Configure({115200, 8, StopBits::Two, FlowControl::Hardware}));
    const termios settings = Settings();
    EXPECT_EQ(cfgetospeed(&settings), B115200);
    EXPECT_EQ(cfgetispeed(&settings), B115200);
    EXPECT_EQ(settings.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_NE(settings.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(settings.c_cflag & PARENB, 0u);
    EXPECT_NE(settings.c_cflag & CRTSCTS, 0u);
    EXPECT_NE(settings.c_cflag & CLOCAL, 0u);
    EXPECT_NE(settings.c_cflag & CREAD, 0u);
    // Bytes pass unchanged: no echo, no line editing, no CR/LF translation.
    EXPECT_EQ(settings.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(settings.c_iflag & (ICRNL | INLCR | IGNCR | IXON), 0u);
    EXPECT_EQ(settings.c_oflag & OPOST, 0u);

    // 1.5 stop bits become 2; a speed the kernel has no constant for stays.
    EXPECT_TRUE(device->Configure({12345, 8, StopBits::OneAndHalf, FlowControl::None}));
    EXPECT_EQ(OutputSpeed(), B115200);
    EXPECT_NE(Settings().c_cflag & CSTOPB, 0u);
    EXPECT_TRUE(device->Configure({19200, 8, StopBits::One, FlowControl::None}));
    EXPECT_EQ(OutputSpeed(), B19200);
    EXPECT_EQ(Settings().c_cflag & CSTOPB, 0u);
}

TEST_F(PseudoTerminal, SetsTheHandshakeByFlowControlCode) {
    struct Case {
        std::int32_t code;
        bool rtsCtsBefore;
        bool rtsCts;
        bool xonXoff;
    };
    const Case cases[] = {
        {0, true, false, false},
        {1, false, true, false},
        {2, true, false, true},
        // Codes the options dialog never writes keep the handshake as it was.
        {7, true, true, false},
        {7, false, false, false},
        {-1, true, true, false},
    };
    std::unique_ptr<platform::SerialDevice> device = OpenDevice();
    ASSERT_NE(device, nullptr);
    for (const Case& test : cases) {
        SCOPED_TRACE(::testing::Message() << test.code << " from " << test.rtsCtsBefore);
        termios before = Settings();
        before.c_cflag =
            test.rtsCtsBefore ? (before.c_cflag | CRTSCTS) : (before.c_cflag & ~CRTSCTS);
        before.c_iflag |= IXON | IXOFF;
        ASSERT_EQ(tcsetattr(slave_, TCSANOW, &before), 0);
        EXPECT_TRUE(
            device->Configure({19200, 8, StopBits::One, static_cast<FlowControl>(test.code)}));
        const termios after = Settings();
        EXPECT_EQ((after.c_cflag & CRTSCTS) != 0, test.rtsCts);
        EXPECT_EQ((after.c_iflag & IXON) != 0, test.xonXoff);
        EXPECT_EQ((after.c_iflag & IXOFF) != 0, test.xonXoff);
    }
}

TEST_F(PseudoTerminal, CarriesBytesBothWays) {
    std::unique_ptr<platform::SerialDevice> device = OpenDevice();
    ASSERT_NE(device, nullptr);
    ASSERT_TRUE(device->Configure({}));
    const std::string command = "AT+CMGR=1\r";
    EXPECT_EQ(device->Write({reinterpret_cast<const std::uint8_t*>(command.data()), command.size()},
                            1000),
              static_cast<int>(command.size()));
    EXPECT_EQ(DrainMaster(), command);

    std::uint8_t byte = 0;
    EXPECT_EQ(device->ReadByte(byte, 0), ReadResult::NoByte);
    const std::string answer = "\r\n\x1A\xFF\0OK\r\n";
    ASSERT_EQ(::write(master_, answer.data(), answer.size()), static_cast<ssize_t>(answer.size()));
    std::string received;
    while (received.size() < answer.size() && device->ReadByte(byte, 5000) == ReadResult::Byte)
        received += static_cast<char>(byte);
    EXPECT_EQ(received, answer);

    ASSERT_EQ(::write(master_, "stale", 5), 5);
    device->Purge();
    EXPECT_EQ(device->ReadByte(byte, 0), ReadResult::NoByte);
}

TEST_F(PseudoTerminal, AVanishedPortEndsAReadAtOnce) {
    std::unique_ptr<platform::SerialDevice> device = OpenDevice();
    ASSERT_NE(device, nullptr);
    ASSERT_TRUE(device->Configure({}));
    // The peer hangs up while the read is waiting; a read that missed the
    // hang-up would wait its full minute.
    std::thread peer([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        CloseMaster();
    });
    std::uint8_t byte = 0;
    EXPECT_EQ(device->ReadByte(byte, 60000), ReadResult::Error);
    peer.join();
    EXPECT_EQ(device->ReadByte(byte, 60000), ReadResult::Error);
    const std::uint8_t command[] = {'A', 'T', '\r'};
    EXPECT_EQ(device->Write(command, 60000), -1);
}

// A phone on the master side: answers each command line from a table.
class PeerPhone {
public:
    PeerPhone(int master, std::map<std::string, std::string> answers)
        : master_(master), answers_(std::move(answers)), thread_([this] { Run(); }) {}
    ~PeerPhone() {
        stop_ = true;
        thread_.join();
    }

private:
    void Run() {
        std::string pending;
        while (!stop_) {
            pollfd ready{master_, POLLIN, 0};
            if (poll(&ready, 1, 20) <= 0 || (ready.revents & POLLIN) == 0)
                continue;
            char chunk[256];
            const ssize_t count = ::read(master_, chunk, sizeof chunk);
            if (count <= 0)
                return;
            pending.append(chunk, static_cast<std::size_t>(count));
            for (std::size_t end; (end = pending.find('\r')) != std::string::npos;) {
                const auto answer = answers_.find(pending.substr(0, end + 1));
                const std::string reply =
                    answer == answers_.end() ? "\r\nERROR\r\n" : answer->second;
                (void)!::write(master_, reply.data(), reply.size());
                pending.erase(0, end + 1);
            }
        }
    }

    int master_;
    std::map<std::string, std::string> answers_;
    std::atomic<bool> stop_ = false;
    std::thread thread_;
};

TEST_F(PseudoTerminal, ConnectsToAPhoneOnTheOtherSide) {
    testing::FakeClock clock;  // the settle wait passes in virtual time
    testing::CountingSounds sounds;
    testing::RecordingStatusSink status;
    test::FakeOptions options;
    options.strings[options::Option::Port] = portName_ + u" Test phone";
    LinkContext link{clock, opener_, sounds, nullptr};
    PeerPhone phone(master_, {{"ATV1\r", "\r\nOK\r\n"},
                              {"ATE0\r", "\r\nOK\r\n"},
                              {"AT+CSCS=\"GSM\"\r", "\r\nOK\r\n"},
                              {"AT+CMGF=0\r", "\r\nOK\r\n"},
                              {"AT+CGMI\r", "\r\nACME\r\n\r\nOK\r\n"}});
    PortHandle port = OpenPhoneLink(link, options, status);
    ASSERT_TRUE(port.isValid());
    EXPECT_EQ(status.Texts().back(), u"Initializing 12.45 ACME OK");
    EXPECT_EQ(OutputSpeed(), B19200);
}

}  // namespace
}  // namespace mivex::phone
