#include "phonesim/simulated_phone.h"

#include <gtest/gtest.h>

#include "phone/posix_serial_device.h"
#include "phone_fixtures.h"

namespace mivex::phonesim {
namespace {

using platform::ReadResult;

// What the phone sends until `terminator` has come (included), the line went
// dead or it stayed silent for 20 s, so a broken phone fails the test instead
// of hanging it.
std::string ReadUntil(platform::SerialDevice& client, std::string_view terminator) {
    std::string received;
    std::uint8_t byte = 0;
    while (received.find(terminator) == std::string::npos &&
           client.ReadByte(byte, 20000) == ReadResult::Byte)
        received += static_cast<char>(byte);
    return received;
}

void Send(platform::SerialDevice& client, std::string_view bytes) {
    EXPECT_EQ(
        client.Write({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, 5000),
        static_cast<int>(bytes.size()));
}

TEST(SimulatedPhone, AnswersClientsThatCloseAndOpenTheDeviceAgain) {
    PhoneSetup setup;
    setup.stores = test::StoresWith({{2, test::kHiDeliver}});
    setup.clock = test::FixedTime;
    SimulatedPhone phone(std::move(setup));
    std::string error;
    ASSERT_TRUE(phone.Start(error)) << error;
    EXPECT_FALSE(phone.Start(error));
    EXPECT_FALSE(error.empty());
    for (int session = 0; session < 3; ++session) {
        SCOPED_TRACE(session);
        const auto client = phone::PosixSerialDevice::Open(phone.DevicePath());
        ASSERT_NE(client, nullptr) << phone.DevicePath();
        ASSERT_TRUE(client->Configure({}));
        // Echo is on until the client turns it off, as on a real phone.
        Send(*client, "AT\r");
        EXPECT_EQ(ReadUntil(*client, "OK\r\n"), "AT\r\r\nOK\r\n");
        Send(*client, "ATE0\rAT+CMGR=2\r");
        EXPECT_NE(ReadUntil(*client, "\r\n\r\nOK\r\n").find(test::kHiDeliver), std::string::npos);
        Send(*client, "ATE1\r");
        (void)ReadUntil(*client, "OK\r\n");
    }
    phone.Stop();
    ASSERT_TRUE(phone.Result().has_value());
    EXPECT_EQ(phone.Result()->reason, StopReason::Stopped);
}

}  // namespace
}  // namespace mivex::phonesim
