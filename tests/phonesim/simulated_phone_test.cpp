#include "phonesim/simulated_phone.h"

#include <gtest/gtest.h>

namespace mivex::phonesim {
namespace {

// Clients talking to the phone over its device, one after another, are the
// interop script's and the link tests' part; here only starting and stopping.
TEST(SimulatedPhone, StartsOnceAndStopsWhenAsked) {
    PhoneSetup setup;
    SimulatedPhone phone(std::move(setup));
    std::string error;
    ASSERT_TRUE(phone.Start(error)) << error;
    EXPECT_FALSE(phone.Start(error));
    EXPECT_FALSE(error.empty());
    phone.Stop();
    ASSERT_TRUE(phone.Result().has_value());
    EXPECT_EQ(phone.Result()->reason, StopReason::Stopped);
}

}  // namespace
}  // namespace mivex::phonesim
