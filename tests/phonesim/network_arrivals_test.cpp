#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "phone_fixtures.h"
#include "phonesim/simulated_phone.h"
#include "sms/submit_encoder.h"

namespace mivex::phonesim {
namespace {

using namespace test;
namespace fs = std::filesystem;

constexpr std::string_view kCtrlZ = "\x1a";

struct ArrivalCase {
    const char* what;
    std::string setup;      // command lines before the message arrives
    std::string typed;      // bytes of a command under way when it arrives
    std::string hex;        // the arriving line
    int capacity;           // of each store
    std::string announced;  // what the phone says as it arrives
    std::string afterLine;  // the answer to "\r" that finishes `typed`
    int phoneUsed;          // messages in "ME" afterwards
};

TEST(NetworkArrivals, StoreAndAnnounceAsAsked) {
    const std::string hi(kHiDeliver);
    const ArrivalCase cases[] = {
        {"announced", "AT+CNMI=2,1\r", "", hi, 30, "\r\n+CMTI: \"ME\",2\r\n", "", 2},
        {"not asked for", "", "", hi, 30, "", "", 2},
        {"receive memory SM", "AT+CNMI=2,1;+CPMS=\"ME\",\"ME\",\"SM\"\r", "", hi, 30,
         "\r\n+CMTI: \"SM\",1\r\n", "", 1},
        {"phone full: SIM", "AT+CNMI=2,1\r", "", hi, 1, "\r\n+CMTI: \"SM\",1\r\n", "", 1},
        {"held behind a half-typed command", "AT+CNMI=2,1\r", "AT", hi, 30, "",
         "\r\nOK\r\n\r\n+CMTI: \"ME\",2\r\n", 2},
        {"no PDU", "AT+CNMI=2,1\r", "", "00ZZ", 30, "", "", 1},
        {"service-centre field longer than the line", "AT+CNMI=2,1\r", "", "0F00", 30, "", "", 1},
    };
    for (const ArrivalCase& c : cases) {
        SCOPED_TRACE(c.what);
        Phone phone(StoresWith({{1, kHiDeliver}}, {}, c.capacity));
        if (!c.setup.empty()) {
            ASSERT_TRUE(phone(c.setup).ends_with("\r\nOK\r\n"));
        }
        EXPECT_EQ(phone(c.typed), "");
        const InterpreterOutput out = phone.interpreter().Arrive(c.hex);
        EXPECT_EQ(out.bytes, c.announced);
        if (!c.typed.empty()) {
            EXPECT_EQ(phone("\r"), c.afterLine);
        }
        EXPECT_EQ(phone.interpreter().Stores().phone.Used(), c.phoneUsed);
        const bool dropped = c.hex != hi;
        EXPECT_EQ(out.notes.size(), dropped ? 1U : 0U);
    }
}

TEST(NetworkArrivals, BothStoresFullLosesTheMessageWithANote) {
    Phone phone(StoresWith({{1, kHiDeliver}}, {{1, kHiDeliver}}, 1));
    const InterpreterOutput out = phone.interpreter().Arrive(kHiDeliver);
    EXPECT_EQ(out.bytes, "");
    ASSERT_EQ(out.notes.size(), 1U);
    EXPECT_FALSE(out.storesChanged);
}

// A report due at once lands while AT+CMGS is answered: its +CDSI must come
// after the answer, never inside it.
TEST(NetworkArrivals, ReportsAnnouncedAfterTheAnswerWhenAsked) {
    PhoneSettings settings;
    settings.report = {ReportScenario::Delivered, 0};
    const sms::EncodedPdu pdu =
        sms::BuildSubmitPdu(std::vector<std::uint8_t>{0x00}, u"+447700900123", u"Hi", std::nullopt,
                            sms::MakeSubmitOptions(true, false, 0x0B), 0);
    for (const auto& [cnmi, expected] :
         {std::pair{"AT+CNMI=2,1,0,2\r", "\r\n+CMGS: 0\r\n\r\nOK\r\n\r\n+CDSI: \"ME\",1\r\n"},
          std::pair{"AT+CNMI=2,1,0,0\r", "\r\n+CMGS: 0\r\n\r\nOK\r\n"}}) {
        SCOPED_TRACE(cnmi);
        Phone phone(StoresWith({}), {}, settings);
        ASSERT_EQ(phone(cnmi), "\r\nOK\r\n");
        ASSERT_EQ(phone("AT+CMGS=" + std::to_string(pdu.cmgsLength) + "\r"), "\r\n> ");
        EXPECT_EQ(phone(sms::BytesToHex(pdu.octets) + std::string(kCtrlZ)), expected);
        EXPECT_EQ(phone.interpreter().Stores().phone.Used(), 1);
    }
}

// Reads from the raw device until `want` has come or a generous bound passes.
std::string ReadUntil(int device, std::string_view want) {
    std::string got;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (got.find(want) == std::string::npos && std::chrono::steady_clock::now() < limit) {
        pollfd watched{device, POLLIN, 0};
        if (poll(&watched, 1, 100) > 0) {
            char buffer[256];
            const ssize_t count = read(device, buffer, sizeof buffer);
            if (count > 0) {
                got.append(buffer, static_cast<std::size_t>(count));
            }
        }
    }
    return got;
}

// Lines written to the FIFO, split across writes and writers, arrive while
// the phone runs; a broken one in between changes nothing.
TEST(NetworkArrivals, FifoLinesArriveWhileThePhoneRuns) {
    const fs::path folder = fs::temp_directory_path() / ("arrivals-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const fs::path fifo = folder / "incoming";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    PhoneSetup setup;
    setup.stores = StoresWith({});
    setup.incomingFifo = fifo;
    SimulatedPhone phone(std::move(setup));
    std::string error;
    ASSERT_TRUE(phone.Start(error)) << error;

    const int device = open(phone.DevicePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(device, 0);
    termios raw{};
    ASSERT_EQ(tcgetattr(device, &raw), 0);
    cfmakeraw(&raw);
    ASSERT_EQ(tcsetattr(device, TCSANOW, &raw), 0);
    ASSERT_EQ(write(device, "ATE0;+CNMI=2,1\r", 15), 15);
    EXPECT_NE(ReadUntil(device, "OK\r\n").find("OK"), std::string::npos);

    const std::string hi(kHiDeliver);
    for (const std::string& chunk :
         {hi.substr(0, 10), hi.substr(10) + "\nnot a pdu\n" + hi + "\r\n"}) {
        const int writer = open(fifo.c_str(), O_WRONLY);
        ASSERT_GE(writer, 0);
        ASSERT_EQ(write(writer, chunk.data(), chunk.size()), static_cast<ssize_t>(chunk.size()));
        close(writer);
    }
    const std::string seen = ReadUntil(device, "+CMTI: \"ME\",2\r\n");
    EXPECT_EQ(seen, "\r\n+CMTI: \"ME\",1\r\n\r\n+CMTI: \"ME\",2\r\n");
    close(device);
    phone.Stop();
    EXPECT_EQ(phone.Stores().phone.Used(), 2);
    EXPECT_EQ(phone.Notes().size(), 1U);
    fs::remove_all(folder);
}

}  // namespace
}  // namespace mivex::phonesim
