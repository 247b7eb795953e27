// A phone that misbehaves and a line that breaks: what each exchange makes of
// it, and that one failed exchange leaves the next one working.

#include <gtest/gtest.h>

#include <algorithm>

#include "link_session.h"
#include "phone/at_exchanges.h"
#include "phone/trace.h"
#include "sms/hex_text.h"
#include "sms/submit_encoder.h"

namespace mivex::phone::integration {
namespace {

using phonesim::FaultKind;

const std::u16string kFirstText = u"First message";
const std::u16string kSecondText = u"Second message, a little longer";
const std::u16string kThirdText = u"Third";

phonesim::PhoneStores ThreeMessages() {
    return Stores({{1, DeliverPdus(kFirstText)[0]},
                   {2, DeliverPdus(kSecondText)[0]},
                   {3, DeliverPdus(kThirdText)[0]}});
}

std::vector<sms::EncodedPdu> ThreeSegments() {
    const Octets noServiceCentre = sms::BuildServiceCentreField(true, u"");
    return sms::BuildMessagePdus(noServiceCentre, u"+447700900555", TextOfLength(400),
                                 sms::MakeSubmitOptions(false, false, 0xA7), {});
}

std::u16string ReadText(PortHandle& port, int slot) {
    const Octets pdu = ReadStoredMessage(port, slot);
    return pdu.empty() ? u"" : DecodedText(pdu);
}

class LineFaults : public PhoneOnPty {
protected:
    void StartTrace() {
        link.trace = &trace;
        ASSERT_TRUE(trace.TraceWrite(TraceKind::Open));
    }
    std::vector<TraceRecord> StopTrace() {
        trace.TraceWrite(TraceKind::Close);
        return ReadTraceRecords(trace.FilePath());
    }

    TemporaryDirectory directory;
    Trace trace{clock, directory.path()};
};

TEST_F(LineFaults, UnsolicitedLinesBeforeTheAnswerAreSkipped) {
    // New-message indications carry a colon, digits, quotes and a comma of
    // their own, all of which the answers' readers look for.
    const std::string newInSim = "+CMTI: \"SM\",7";
    phonesim::FaultPlan faults;
    faults.commandFaults = {
        Fault(FaultKind::Unsolicited, "+CPMS", 0, newInSim),
        Fault(FaultKind::Unsolicited, "+CSCA", 0, newInSim),
        Fault(FaultKind::Unsolicited, "+CMGR=1", 0, "RING"),
        Fault(FaultKind::Unsolicited, "+CMGR=2", 0, newInSim),
        Fault(FaultKind::Unsolicited, "+CMGR=2", 0, "RING"),
        Fault(FaultKind::Unsolicited, "+CMGS", 0, "RING"),
        Fault(FaultKind::Unsolicited, "PDU", 0, newInSim),
        Fault(FaultKind::Unsolicited, "+CMGD", 0, newInSim),
    };
    ASSERT_NO_FATAL_FAILURE(StartPhone(ThreeMessages(), faults));
    PortHandle port = OpenQuickly();

    const std::optional<StorageCounts> counts = SelectStorage(port, "ME");
    ASSERT_TRUE(counts.has_value());
    EXPECT_EQ(counts->used, 3);
    EXPECT_EQ(counts->total, 30);
    EXPECT_EQ(GetServiceCentre(port), kPhoneServiceCentre);
    EXPECT_EQ(ReadText(port, 1), kFirstText);
    EXPECT_EQ(ReadText(port, 2), kSecondText);
    EXPECT_TRUE(DeleteStoredMessage(port, 3));
    const std::vector<sms::EncodedPdu> pdus = ThreeSegments();
    EXPECT_TRUE(SubmitPdu(port, sms::BytesToHex(pdus[0].octets), pdus[0].cmgsLength));
    ClosePort(port);
    StopPhone();

    ASSERT_EQ(phone->Submitted().size(), 1u);
    EXPECT_EQ(phone->Submitted()[0].pdu, pdus[0].octets);
    EXPECT_EQ(phone->Stores().phone.Find(3), nullptr);
}

TEST_F(LineFaults, ErrorForOneSlotFailsThatReadOnly) {
    phonesim::FaultPlan faults;
    faults.commandFaults = {Fault(FaultKind::CmsError, "+CMGR=2", 321)};
    // Some phones answer an empty slot with an error instead of a bare OK.
    faults.emptySlotError = true;
    ASSERT_NO_FATAL_FAILURE(StartPhone(ThreeMessages(), faults));
    PortHandle port = OpenQuickly();
    ASSERT_TRUE(SelectStorage(port, "ME").has_value());

    EXPECT_EQ(ReadText(port, 1), kFirstText);
    EXPECT_EQ(ReadText(port, 2), u"");
    // The error answer was drained, so the next answer is read whole.
    EXPECT_EQ(ReadText(port, 3), kThirdText);
    EXPECT_EQ(ReadText(port, 4), u"");
    EXPECT_EQ(ReadText(port, 1), kFirstText);
    ClosePort(port);
    StopPhone();
    EXPECT_EQ(phone->Stores().phone.Used(), 3);
}

TEST_F(LineFaults, RefusedSubmissionsFailWithoutStoppingTheLine) {
    const std::vector<sms::EncodedPdu> pdus = ThreeSegments();
    ASSERT_EQ(pdus.size(), 3u);
    ASSERT_NE(pdus[1].cmgsLength, pdus[2].cmgsLength);
    phonesim::FaultPlan faults;
    // The network refuses the second PDU after it was sent; the phone
    // refuses the third command outright, before any prompt.
    faults.refusedSubmissions = {2};
    faults.commandFaults = {Fault(FaultKind::Error, "+CMGS=" + std::to_string(pdus[2].cmgsLength))};
    ASSERT_NO_FATAL_FAILURE(StartPhone(Stores({}), faults));
    ASSERT_NO_FATAL_FAILURE(StartTrace());
    PortHandle port = OpenQuickly();

    std::vector<bool> results;
    for (const sms::EncodedPdu& pdu : pdus)
        results.push_back(SubmitPdu(port, sms::BytesToHex(pdu.octets), pdu.cmgsLength));
    EXPECT_EQ(results, (std::vector<bool>{true, false, false}));
    // The line still works after both refusals.
    EXPECT_EQ(SelectStorage(port, "ME")->used, 0);
    ClosePort(port);
    StopPhone();

    ASSERT_EQ(phone->Submitted().size(), 1u);
    EXPECT_EQ(phone->Submitted()[0].pdu, pdus[0].octets);
    // Without a prompt the third PDU was never written.
    std::vector<std::string> sent;
    for (const auto& [kind, data] : StopTrace()) {
        if (kind == 'T')
            sent.push_back(data);
    }
    const std::string thirdPdu = sms::BytesToHex(pdus[2].octets) + "\x1a";
    EXPECT_EQ(std::count(sent.begin(), sent.end(), thirdPdu), 0);
    EXPECT_EQ(std::count(sent.begin(), sent.end(), sms::BytesToHex(pdus[1].octets) + "\x1a"), 1);
}

TEST_F(LineFaults, SilentPhoneTimesOutAfterOneWholeWait) {
    phonesim::FaultPlan faults;
    faults.commandFaults = {Fault(FaultKind::Silent, "+CMGR")};
    ASSERT_NO_FATAL_FAILURE(StartPhone(ThreeMessages(), faults));
    ASSERT_NO_FATAL_FAILURE(StartTrace());
    PortHandle port = OpenQuickly();

    // A wait that ended before its time-out would show as a second empty
    // poll before the time-out. Several reads, since such an early end
    // depends on where in a millisecond the wait began.
    constexpr int kReads = 6;
    ResponseBuffer answer;
    for (int read = 0; read < kReads; ++read) {
        (void)SerialWrite(port, "AT+CMGR=1\r", kStoreTimeouts.writeMs);
        EXPECT_FALSE(SerialReadUntil(port, answer, kOkTerminator, 50));
        EXPECT_EQ(answer.Size(), 0u);
    }
    ClosePort(port);

    const std::vector<TraceRecord> records = StopTrace();
    const auto firstRead =
        std::find(records.begin(), records.end(), TraceRecord{'T', "AT+CMGR=1\r"});
    ASSERT_NE(firstRead, records.end());
    std::vector<TraceRecord> expected;
    for (int read = 0; read < kReads; ++read) {
        const std::vector<TraceRecord> one = {{'T', "AT+CMGR=1\r"},
                                              {'R', ""},
                                              {'R', "No Bytes received!"},
                                              {'R', ""},
                                              {'R', "Receive Timeout!"}};
        expected.insert(expected.end(), one.begin(), one.end());
    }
    EXPECT_EQ(std::vector<TraceRecord>(firstRead, records.end()), expected);
}

TEST_F(LineFaults, LineCutInTheMiddleOfAnAnswerFailsAtOnce) {
    constexpr int kBytesBeforeCut = 20;
    phonesim::FaultPlan faults;
    faults.commandFaults = {Fault(FaultKind::Cut, "+CMGR=2", kBytesBeforeCut)};
    ASSERT_NO_FATAL_FAILURE(StartPhone(ThreeMessages(), faults));
    ASSERT_NO_FATAL_FAILURE(StartTrace());
    PortHandle port = OpenQuickly();
    ASSERT_TRUE(SelectStorage(port, "ME").has_value());
    ASSERT_EQ(ReadText(port, 1), kFirstText);

    EXPECT_TRUE(ReadStoredMessage(port, 2).empty());
    // The line stays dead: later exchanges fail too, none of them waits.
    EXPECT_FALSE(SelectStorage(port, "ME").has_value());
    ClosePort(port);
    phone->Stop();
    ASSERT_TRUE(phone->Result().has_value());
    EXPECT_EQ(phone->Result()->reason, phonesim::StopReason::LineCut);

    // What came before the cut is kept, and the read ended on the line's
    // failure, not on a time-out.
    const Octets second = DeliverPdus(kSecondText)[0];
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
