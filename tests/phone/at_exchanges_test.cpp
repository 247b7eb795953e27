#include "phone/at_exchanges.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "link_fixture.h"
#include "phone/at_message_link.h"

namespace mivex::phone::test {
namespace {

using AtExchange = OpenPortTest;

TEST_F(AtExchange, SelectStorageReadsTheCountsWithinItsTimeOuts) {
    line.answers["AT+CPMS=\"SM\"\r"] = "\r\n+CPMS: 3,30,3,30,3,30\r\n\r\nOK\r\n";
    EXPECT_EQ(SelectStorage(port, "SM")->total, 30);
    EXPECT_EQ(line.writes.at(0).timeoutMs, 1000u);
    // After a look for stray input that does not wait.
    EXPECT_EQ(line.readTimeouts.at(0), 0u);
    EXPECT_EQ(line.readTimeouts.at(1), 3000u);
    line.answers["AT+CPMS=\"ME\"\r"] = "\r\n+CMS ERROR: 302\r\n";
    EXPECT_FALSE(SelectStorage(port, "ME"));
}

constexpr std::string_view kHiPdu = "0011000B914477000910F200000B02C834";

TEST_F(AtExchange, SubmitPduSendsThePduOnlyAfterThePrompt) {
    // answer to AT+CMGS, answer to the PDU, result, writes (nothing cancels a failed submission)
    const std::tuple<std::string_view, std::string_view, bool, std::size_t> cases[] = {
        {"\r\n> ", "\r\n+CMGS: 4\r\n\r\nOK\r\n", true, 2},
        {"\r\nERROR\r\n", "", false, 1},
        {"\r\n> ", "\r\n+CMS ERROR: 500\r\n", false, 2},
        // Not the PDU's answer: an OK without the result line before it.
        {"\r\n> ", "\r\nOK\r\n", false, 2},
    };
    for (const auto& [promptAnswer, finalAnswer, result, writes] : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::string(finalAnswer)));
        port = OpenScriptedPort();  // in step, whatever the case before left
        line.writes.clear();
        line.readTimeouts.clear();
        clock.sleeps.clear();
        line.answers["AT+CMGS=16\r"] = promptAnswer;
        line.answers[std::string(kHiPdu) + "\x1A"] = finalAnswer;
        EXPECT_EQ(SubmitPdu(port, kHiPdu, 16), result);
        ASSERT_EQ(line.writes.size(), writes);
        EXPECT_EQ(line.writes[0].bytes, "AT+CMGS=16\r");
        EXPECT_EQ(line.writes[0].timeoutMs, 3000u);
        if (writes == 2) {
            EXPECT_EQ(line.writes[1].bytes, std::string(kHiPdu) + "\x1A");
            EXPECT_EQ(line.writes[1].timeoutMs, 10000u);
            // The answer to the PDU is given its own, longer time-out.
            EXPECT_NE(std::find(line.readTimeouts.begin(), line.readTimeouts.end(), 20000u),
                      line.readTimeouts.end());
            EXPECT_EQ(clock.sleeps, (std::vector<std::uint32_t>{200}));
        }
    }
}

TEST_F(AtExchange, ABareOkWithMoreBehindItPutsTheLineOutOfStep) {
    // A slow phone may say OK to a slot before its message follows; that
    // message must not be taken for the next command's answer.
    for (const bool more : {false, true}) {
        port = OpenScriptedPort();
        line.answers["AT+CMGR=1\r"] = "\r\nOK\r\n";
        line.onWrite = [&](std::string_view bytes) {
            if (more && bytes == "AT+CMGR=1\r")
                line.ArriveIn("\r\n+CMGR: 0,,0\r\n", 21);
        };
        EXPECT_TRUE(ReadStoredMessage(port, 1).empty());
        EXPECT_EQ(port.InStep(), !more) << more;
    }
}

TEST_F(AtExchange, RefusesBadArgumentsWithoutSendingAnything) {
    for (const std::string_view store : {"me", "M", "MEM", "M\"", "\r\n", ""}) {
        SCOPED_TRACE(::testing::PrintToString(std::string(store)));
        EXPECT_FALSE(SelectStorage(port, store));
    }
    EXPECT_TRUE(ReadStoredMessage(port, -1).empty());
    EXPECT_FALSE(DeleteStoredMessage(port, -3));
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
    const std::string withCentre = "07914477000900F0" + std::string(kHiPdu.substr(2));
    line.answers["AT+CMGS=16\r"] = "\r\n> ";
    EXPECT_FALSE(SubmitPdu(port, withCentre, 16));
    ASSERT_EQ(line.writes.size(), 2u);
    EXPECT_EQ(line.writes[1].bytes, withCentre + "\x1A");
}

// caught: a +CMTI that landed between two commands of a watch was dropped
// with the stray input, and its message waited for the next full receive.
TEST_F(AtExchange, AnnouncementsAroundCommandsReachTheWatch) {
    const std::string cmti = "\r\n+CMTI: \"SM\",7\r\n";
    const std::string cpms = "\r\n+CPMS: 3,30,3,30,3,30\r\n\r\nOK\r\n";
    // what the phone says, before the command and as its answer
    const std::pair<std::string, std::string> cases[] = {
        {cmti, cpms},                  // waiting before the command: drained
        {"", cmti + cpms},             // in front of the answer
        {"\r\nOK\r\n" + cmti, cpms},   // behind a late answer: brought into step
        {"\r\n+CMTI: \"SM\",", cpms},  // half a line is no announcement
    };
    for (const auto& [before, answer] : cases) {
        SCOPED_TRACE(::testing::PrintToString(before + "|" + answer));
        line.answers[std::string(kStepCommand)] = "\r\n+CMGF: 0\r\n\r\nOK\r\n";
        line.answers["AT+CPMS=\"SM\"\r"] = answer;
        AtMessageLink phone(OpenScriptedPort());
        line.ArriveIn(before, 0);
        line.clock.Advance(5);
        EXPECT_TRUE(phone.SelectStore("SM"));
        std::vector<Announcement> announced;
        const WaitEnding ending = phone.WaitForAnnouncements(0, {}, announced);
        const bool whole = before.ends_with("\r\n") || !answer.starts_with(cpms);
        EXPECT_EQ(ending, whole ? WaitEnding::Announced : WaitEnding::TimedOut);
        const std::vector<Announcement> expected =
            whole ? std::vector{Announcement{"SM", 7, false}} : std::vector<Announcement>{};
        EXPECT_EQ(announced, expected);
    }
}

}  // namespace
}  // namespace mivex::phone::test
