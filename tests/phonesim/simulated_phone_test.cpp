#include "phonesim/simulated_phone.h"

#include <gtest/gtest.h>

#include "phone_fixtures.h"
#include "raw_client.h"

namespace mivex::phonesim {
namespace {

using test::RawClient;

TEST(SimulatedPhone, AnswersClientsThatCloseAndOpenTheDeviceAgain) {
    PhoneSetup setup;
    setup.stores = test::StoresWith({{2, test::kHiDeliver}});
    setup.clock = test::FixedTime;
    SimulatedPhone phone(std::move(setup));
    std::string error;
    ASSERT_TRUE(phone.Start(error)) << error;
    EXPECT_FALSE(phone.Start(error));
    EXPECT_FALSE(error.empty());
    ASSERT_EQ(phone.DevicePath().rfind("/dev/pts/", 0), 0U) << phone.DevicePath();
    for (int session = 0; session < 3; ++session) {
        SCOPED_TRACE(session);
        RawClient client;
        ASSERT_TRUE(client.Open(phone.DevicePath()));
        // Echo is on until the client turns it off, as on a real phone.
        ASSERT_TRUE(client.Write("AT\r"));
        EXPECT_EQ(client.ReadUntil("OK\r\n"), "AT\r\r\nOK\r\n");
        ASSERT_TRUE(client.Write("ATE0\rAT+CMGR=2\r"));
        EXPECT_NE(client.ReadUntil("\r\n\r\nOK\r\n").find(test::kHiDeliver), std::string::npos);
        ASSERT_TRUE(client.Write("ATE1\r"));
        (void)client.ReadUntil("OK\r\n");
    }
    phone.Stop();
    ASSERT_TRUE(phone.Result().has_value());
    EXPECT_EQ(phone.Result()->reason, StopReason::Stopped);
}

}  // namespace
}  // namespace mivex::phonesim
