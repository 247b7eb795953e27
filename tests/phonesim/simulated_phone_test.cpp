#include "phonesim/simulated_phone.h"

#include <gtest/gtest.h>

#include "phone_fixtures.h"
#include "raw_client.h"

namespace mivex::phonesim {
namespace {

using test::RawClient;

PhoneSetup SampleSetup(FaultPlan faults = {}, int baudRate = 0) {
    PhoneSetup setup;
    setup.stores = test::StoresWith({{2, test::kHiDeliver}});
    setup.faults = std::move(faults);
    setup.baudRate = baudRate;
    setup.clock = test::FixedTime;
    return setup;
}

TEST(SimulatedPhone, AnswersAClientOnThePseudoTerminal) {
    SimulatedPhone phone(SampleSetup());
    std::string error;
    ASSERT_TRUE(phone.Start(error)) << error;
    ASSERT_EQ(phone.DevicePath().rfind("/dev/pts/", 0), 0U) << phone.DevicePath();
    RawClient client;
    ASSERT_TRUE(client.Open(phone.DevicePath()));
    ASSERT_TRUE(client.Write("AT\r"));
    // Echo is on until the client turns it off, as on a real phone.
    EXPECT_EQ(client.ReadUntil("OK\r\n"), "AT\r\r\nOK\r\n");
    ASSERT_TRUE(client.Write("ATE0\rAT+CPMS=\"ME\"\r"));
    EXPECT_EQ(client.ReadUntil("30\r\n\r\nOK\r\n"),
              "ATE0\r\r\nOK\r\n\r\n+CPMS: 1,30,1,30,1,30\r\n\r\nOK\r\n");
    phone.Stop();
    EXPECT_EQ(phone.Result()->reason, StopReason::Stopped);
}

TEST(SimulatedPhone, ClientsMayCloseAndOpenTheDeviceAgain) {
    SimulatedPhone phone(SampleSetup());
    std::string error;
    ASSERT_TRUE(phone.Start(error)) << error;
    for (int session = 0; session < 3; ++session) {
        SCOPED_TRACE(session);
        RawClient client;
        ASSERT_TRUE(client.Open(phone.DevicePath()));
        ASSERT_TRUE(client.Write("ATE0\r"));
        (void)client.ReadUntil("OK\r\n");
        ASSERT_TRUE(client.Write("AT+CMGR=2\r"));
        EXPECT_NE(client.ReadUntil("\r\nOK\r\n").find(test::kHiDeliver), std::string::npos);
        ASSERT_TRUE(client.Write("ATE1\r"));
        (void)client.ReadUntil("OK\r\n");
    }
    phone.Stop();
    ASSERT_TRUE(phone.Result().has_value());
    EXPECT_EQ(phone.Result()->reason, StopReason::Stopped);
}

TEST(SimulatedPhone, TestsSeeSubmittedPdusAndStoreChanges) {
    PhoneSetup setup = SampleSetup();
    setup.settings.ownNumber = "+44770090012";
    SimulatedPhone phone(std::move(setup));
    std::string error;
    ASSERT_TRUE(phone.Start(error)) << error;
    RawClient client;
    ASSERT_TRUE(client.Open(phone.DevicePath()));
    ASSERT_TRUE(client.Write("ATE0\rAT+CMGS=16\r"));
    EXPECT_EQ(client.ReadUntil("> "), "ATE0\r\r\nOK\r\n\r\n> ");
    ASSERT_TRUE(client.Write(std::string(test::kHiSubmit) + "\x1a"));
    EXPECT_EQ(client.ReadUntil("OK\r\n"), "\r\n+CMGS: 0\r\n\r\nOK\r\n");
    ASSERT_TRUE(client.Write("AT+CMGD=2\r"));
    (void)client.ReadUntil("OK\r\n");
    phone.Stop();

    ASSERT_EQ(phone.Submitted().size(), 1U);
    EXPECT_EQ(sms::BytesToHex(phone.Submitted()[0].pdu), test::kHiSubmit);
    const PhoneStores stores = phone.Stores();
    EXPECT_EQ(stores.phone.Find(2), nullptr);
    ASSERT_NE(stores.phone.Find(1), nullptr);  // the message to its own number
}

TEST(SimulatedPhone, CutFaultClosesTheDeviceMidAnswer) {
    FaultPlan faults;
    std::string error;
    faults.commandFaults.push_back(*ParseCommandFault(FaultKind::Cut, "+CGMI 4", error));
    SimulatedPhone phone(SampleSetup(faults));
    ASSERT_TRUE(phone.Start(error)) << error;
    RawClient client;
    ASSERT_TRUE(client.Open(phone.DevicePath()));
    ASSERT_TRUE(client.Write("AT+CGMI\r"));
    EXPECT_EQ(client.ReadUntilClosed(), "AT+CGMI\r\r\nMi");
    EXPECT_TRUE(client.SawHangUp());
    phone.Stop();
    ASSERT_TRUE(phone.Result().has_value());
    EXPECT_EQ(phone.Result()->reason, StopReason::LineCut);
}

TEST(SimulatedPhone, SlowLinePacesEveryByteItSends) {
    for (const int baudRate : {0, 19200}) {
        SCOPED_TRACE(baudRate);
        SimulatedPhone phone(SampleSetup({}, baudRate));
        std::string error;
        ASSERT_TRUE(phone.Start(error)) << error;
        RawClient client;
        ASSERT_TRUE(client.Open(phone.DevicePath()));
        ASSERT_TRUE(client.Write("AT+CMGL=4\r"));
        const std::string answer = client.ReadUntil("\r\nOK\r\n");
        EXPECT_NE(answer.find(test::kHiDeliver), std::string::npos);
        phone.Stop();
        const RunnerStats stats = phone.Stats();
        EXPECT_EQ(stats.bytesWritten, answer.size());
        EXPECT_EQ(stats.pacedBytes, baudRate > 0 ? answer.size() : 0U);
        EXPECT_EQ(stats.bytesRead, std::string("AT+CMGL=4\r").size());
    }
}

TEST(SimulatedPhone, StartsOnlyOnce) {
    SimulatedPhone phone(SampleSetup());
    std::string error;
    ASSERT_TRUE(phone.Start(error)) << error;
    EXPECT_FALSE(phone.Start(error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace mivex::phonesim
