// A phone that misbehaves and a line that breaks: what each exchange makes of
// it, and that one failed exchange leaves the next one working.

#include <gtest/gtest.h>

#include <algorithm>

#include "link_session.h"
#include "phone/at_exchanges.h"
#include "sms/hex_text.h"

namespace mivex::phone::integration {
namespace {

using phonesim::FaultKind;

const std::vector<std::u16string> kTexts = {u"First message", u"Second message, a little longer",
                                            u"Third"};

phonesim::PhoneStores ThreeMessages() {
    return Stores({{1, DeliverPdus(kTexts[0])[0]},
                   {2, DeliverPdus(kTexts[1])[0]},
                   {3, DeliverPdus(kTexts[2])[0]}});
}

class LineFaults : public PhoneOnPty {};

TEST_F(LineFaults, UnsolicitedLinesBeforeTheAnswerAreSkipped) {
    // New-message indications carry a colon, digits, quotes and a comma of
    // their own, all of which the answers' readers look for.
    const std::string newInSim = " +CMTI: \"SM\",7";
    ASSERT_NO_FATAL_FAILURE(
        StartPhone(ThreeMessages(), Plan({Fault(FaultKind::Unsolicited, "+CPMS" + newInSim),
                                          Fault(FaultKind::Unsolicited, "+CSCA" + newInSim),
                                          Fault(FaultKind::Unsolicited, "+CMGR=1 RING"),
                                          Fault(FaultKind::Unsolicited, "+CMGR=2" + newInSim),
                                          Fault(FaultKind::Unsolicited, "+CMGR=2 RING"),
                                          Fault(FaultKind::Unsolicited, "+CMGS RING"),
                                          Fault(FaultKind::Unsolicited, "PDU" + newInSim),
                                          Fault(FaultKind::Unsolicited, "+CMGD" + newInSim)})));
    PortHandle port = OpenQuickly();

    const std::optional<StorageCounts> counts = SelectStorage(port, "ME");
    ASSERT_TRUE(counts.has_value());
    EXPECT_EQ(counts->used, 3);
    EXPECT_EQ(counts->total, 30);
    EXPECT_EQ(GetServiceCentre(port), kPhoneServiceCentre);
    EXPECT_EQ(ReadSlots(port, 2), (std::vector<std::u16string>{kTexts[0], kTexts[1]}));
    EXPECT_TRUE(DeleteStoredMessage(port, 3));
    EXPECT_TRUE(SubmitPdu(port, kHiSubmit, 16));
    ClosePort(port);
    phone->Stop();

    ASSERT_EQ(phone->Submitted().size(), 1u);
    EXPECT_EQ(sms::BytesToHex(phone->Submitted()[0].pdu), kHiSubmit);
    EXPECT_EQ(phone->Stores().phone.Find(3), nullptr);
}

TEST_F(LineFaults, SilentPhoneTimesOutAfterOneWholeWait) {
    ASSERT_NO_FATAL_FAILURE(StartPhone(ThreeMessages(), Plan({Fault(FaultKind::Silent, "+CMGR")})));
    ASSERT_NO_FATAL_FAILURE(StartTrace());
    PortHandle port = OpenQuickly();

    // A wait that ended before its time-out would show as a second empty
    // poll before the time-out. Several reads, since such an early end
    // depends on where in a millisecond the wait began.
    constexpr int kReads = 6;
    ResponseBuffer answer;
    std::vector<TraceRecord> expected;
    for (int read = 0; read < kReads; ++read) {
        (void)SerialWrite(port, "AT+CMGR=1\r", kStoreTimeouts.writeMs);
        EXPECT_FALSE(SerialReadUntil(port, answer, kOkTerminator, 50));
        EXPECT_EQ(answer.Size(), 0u);
        expected.insert(expected.end(), {{'T', "AT+CMGR=1\r"},
                                         {'R', ""},
                                         {'R', "No Bytes received!"},
                                         {'R', ""},
                                         {'R', "Receive Timeout!"}});
    }
    ClosePort(port);

    const std::vector<TraceRecord> records = StopTrace();
    ASSERT_GE(records.size(), expected.size());
    EXPECT_EQ(std::vector<TraceRecord>(records.end() - expected.size(), records.end()), expected);
}

TEST_F(LineFaults, LineCutInTheMiddleOfAnAnswerFailsAtOnce) {
    constexpr int kBytesBeforeCut = 20;
    ASSERT_NO_FATAL_FAILURE(
        StartPhone(ThreeMessages(),
                   Plan({Fault(FaultKind::Cut, "+CMGR=2 " + std::to_string(kBytesBeforeCut))})));
    ASSERT_NO_FATAL_FAILURE(StartTrace());
    PortHandle port = OpenQuickly();
    ASSERT_EQ(ReadSlots(port, 1), (std::vector<std::u16string>{kTexts[0]}));

    EXPECT_TRUE(ReadStoredMessage(port, 2).empty());
    // The line stays dead: later exchanges fail too, none of them waits.
    EXPECT_FALSE(SelectStorage(port, "ME").has_value());
    ClosePort(port);
    phone->Stop();
    ASSERT_TRUE(phone->Result().has_value());
    EXPECT_EQ(phone->Result()->reason, phonesim::StopReason::LineCut);

    // What came before the cut is kept, and the read ended on the line's
    // failure, not on a time-out.
    const Octets second = DeliverPdus(kTexts[1])[0];
    const std::string fullAnswer = "\r\n+CMGR: 0,," +
                                   std::to_string(second.size() - 1 - second[0]) + "\r\n" +
                                   sms::BytesToHex(second);
    const std::vector<TraceRecord> records = StopTrace();
    const std::vector<TraceRecord> expected = {
        {'T', "AT+CMGR=2\r"},
        {'R', fullAnswer.substr(0, kBytesBeforeCut)},
        {'R', "Receive Error!"},
    };
    const auto cutRead = std::find(records.begin(), records.end(), expected[0]);
    ASSERT_NE(cutRead, records.end());
    EXPECT_EQ(std::vector<TraceRecord>(cutRead, std::min(cutRead + 3, records.end())), expected);
    for (const TraceRecord& record : records)
        EXPECT_NE(record.second, "Receive Timeout!");
}

}  // namespace
}  // namespace mivex::phone::integration
