#include "phone/at_exchanges.h"

#include <gtest/gtest.h>

#include "link_fixture.h"

namespace mivex::phone::test {
namespace {

class AtExchange : public LinkTest {
protected:
    void SetUp() override { port = OpenScriptedPort(); }

    [[nodiscard]] std::vector<std::string> Written() const {
        std::vector<std::string> bytes;
        for (const WriteSeen& write : line.writes)
            bytes.push_back(write.bytes);
        return bytes;
    }

    PortHandle port;
};

TEST_F(AtExchange, SelectStorageSendsTheStoreAndReadsItsCounts) {
    line.answers["AT+CPMS=\"SM\"\r"] = "\r\n+CPMS: 3,30,3,30,3,30\r\n\r\nOK\r\n";
    const std::optional<StorageCounts> counts = SelectStorage(port, "SM");
    ASSERT_TRUE(counts);
    EXPECT_EQ(counts->used, 3);
    EXPECT_EQ(counts->total, 30);
    EXPECT_EQ(line.writes.at(0).timeoutMs, 1000u);
    EXPECT_EQ(line.readTimeouts.at(0), 3000u);

    line.answers["AT+CPMS=\"ME\"\r"] = "\r\n+CMS ERROR: 302\r\n";
    EXPECT_FALSE(SelectStorage(port, "ME"));
    line.answers["AT+CPMS=\"ME\"\r"] = "\r\n+CPMS: 1001,1001\r\n\r\nOK\r\n";
    EXPECT_FALSE(SelectStorage(port, "ME"));
}

TEST_F(AtExchange, SelectStorageSendsOnlyTwoLetterStoreNames) {
    for (const std::string_view store : {"me", "M", "MEM", "M\"", "\r\n", ""}) {
        SCOPED_TRACE(::testing::PrintToString(std::string(store)));
        EXPECT_FALSE(SelectStorage(port, store));
    }
    EXPECT_TRUE(line.writes.empty());
}

TEST_F(AtExchange, SilentPhoneFailsAfterTheReadTimeOut) {
    const std::uint64_t start = clock.NowMs();
    EXPECT_FALSE(SelectStorage(port, "ME"));
    EXPECT_EQ(clock.NowMs() - start, 3000u);
}

TEST_F(AtExchange, GetServiceCentreReturnsTheNumberOrNothing) {
    line.answers["AT+CSCA?\r"] = "\r\n+CSCA: \"4412345\",145\r\n\r\nOK\r\n";
    EXPECT_EQ(GetServiceCentre(port), "+4412345");
    line.answers["AT+CSCA?\r"] = "\r\n+CSCA: \"4412345\",129\r\n\r\nOK\r\n";
    EXPECT_EQ(GetServiceCentre(port), "4412345");
    line.answers["AT+CSCA?\r"] = "\r\nERROR\r\n";
    EXPECT_EQ(GetServiceCentre(port), "");
    EXPECT_EQ(Written(), std::vector<std::string>(3, "AT+CSCA?\r"));
}

TEST_F(AtExchange, ReadStoredMessageReadsOneSlot) {
    line.answers["AT+CMGR=7\r"] =
        "\r\n+CMGR: 0,,20\r\n07914477000900F0040B914477009010F200004021\r\n\r\nOK\r\n";
    line.answers["AT+CMGR=8\r"] = "\r\nOK\r\n";
    line.answers["AT+CMGR=9\r"] = "\r\n+CMS ERROR: 321\r\n";
    EXPECT_EQ(ReadStoredMessage(port, 7).size(), 21u);
    EXPECT_TRUE(ReadStoredMessage(port, 8).empty());
    EXPECT_TRUE(ReadStoredMessage(port, 9).empty());
    EXPECT_TRUE(ReadStoredMessage(port, -1).empty());
    EXPECT_EQ(Written(), (std::vector<std::string>{"AT+CMGR=7\r", "AT+CMGR=8\r", "AT+CMGR=9\r"}));
}

TEST_F(AtExchange, DeleteStoredMessageNeedsTheOk) {
    line.answers["AT+CMGD=0\r"] = "\r\nOK\r\n";
    line.answers["AT+CMGD=12\r"] = "\r\nERROR\r\n";
    EXPECT_TRUE(DeleteStoredMessage(port, 0));
    EXPECT_FALSE(DeleteStoredMessage(port, 12));
    EXPECT_FALSE(DeleteStoredMessage(port, -3));
    EXPECT_EQ(Written(), (std::vector<std::string>{"AT+CMGD=0\r", "AT+CMGD=12\r"}));
}

constexpr std::string_view kHiPdu = "0011000B914477000910F200000B02C834";

TEST_F(AtExchange, SubmitPduWaitsForThePromptThenSendsTheHexText) {
    line.answers["AT+CMGS=16\r"] = "\r\n> ";
    line.answers[std::string(kHiPdu) + "\x1A"] = "\r\n+CMGS: 4\r\n\r\nOK\r\n";
    EXPECT_TRUE(SubmitPdu(port, kHiPdu, 16));
    ASSERT_EQ(line.writes.size(), 2u);
    EXPECT_EQ(line.writes[0].bytes, "AT+CMGS=16\r");
    EXPECT_EQ(line.writes[0].timeoutMs, 3000u);
    EXPECT_EQ(line.writes[1].bytes, std::string(kHiPdu) + "\x1A");
    EXPECT_EQ(line.writes[1].timeoutMs, 10000u);
    EXPECT_EQ(line.readTimeouts.back(), 20000u);
    EXPECT_EQ(clock.sleeps, (std::vector<std::uint32_t>{200}));
}

TEST_F(AtExchange, SubmitPduWithoutAPromptSendsNoPdu) {
    line.answers["AT+CMGS=16\r"] = "\r\nERROR\r\n";
    EXPECT_FALSE(SubmitPdu(port, kHiPdu, 16));
    EXPECT_EQ(Written(), (std::vector<std::string>{"AT+CMGS=16\r"}));
}

TEST_F(AtExchange, SubmitPduFailsWithoutTheFinalOk) {
    line.answers["AT+CMGS=16\r"] = "\r\n> ";
    line.answers[std::string(kHiPdu) + "\x1A"] = "\r\n+CMS ERROR: 500\r\n";
    EXPECT_FALSE(SubmitPdu(port, kHiPdu, 16));
    EXPECT_EQ(line.writes.size(), 2u);  // nothing is sent to cancel
}

TEST_F(AtExchange, SubmitPduRefusesTextThatIsNotItsPdu) {
    const std::pair<std::string, int> refused[] = {
        {std::string(kHiPdu), 15},  // length does not fit the hex text
        {std::string(kHiPdu), 17},
        {std::string(kHiPdu) + "0", 16},  // odd digit count
        {std::string(kHiPdu) + "\r\nAT+CMGD=1", 16},
        {"07914477000900F0", 0},  // no TPDU at all
        {"", 0},
    };
    for (const auto& [hex, length] : refused) {
        SCOPED_TRACE(::testing::PrintToString(hex));
        EXPECT_FALSE(SubmitPdu(port, hex, length));
    }
    EXPECT_TRUE(line.writes.empty());
    // With the service centre's own field, the count excludes those octets.
    line.answers["AT+CMGS=16\r"] = "\r\n> ";
    EXPECT_FALSE(SubmitPdu(port, "07914477000900F0" + std::string(kHiPdu.substr(2)), 16));
    EXPECT_EQ(Written(),
              (std::vector<std::string>{
                  "AT+CMGS=16\r", "07914477000900F0" + std::string(kHiPdu.substr(2)) + "\x1A"}));
}

}  // namespace
}  // namespace mivex::phone::test
