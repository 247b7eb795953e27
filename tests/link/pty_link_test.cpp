// The phone link's own serial code (termios and poll) on a real
// pseudo-terminal against the simulated phone, on the system clock: a phone
// that misbehaves, a line that breaks, and the trace of a slow line. No test
// looks at how long anything took; a hang shows up as a test that never ends.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "link_fixture.h"
#include "phone/at_exchanges.h"
#include "phone/posix_serial_device.h"
#include "phone_fixtures.h"
#include "phonesim/deliver_builder.h"
#include "phonesim/simulated_phone.h"
#include "platform/clock.h"
#include "sms/deliver_decoder.h"
#include "sms/hex_text.h"

namespace mivex::phone::integration {
namespace {

using Octets = std::vector<std::uint8_t>;
using phonesim::FaultKind;
using phonesim::test::Fault;
using phonesim::test::FixedTime;
using phonesim::test::kHiSubmit;
using phonesim::test::Plan;
using test::TraceRecord;

// The service centre the simulated phone reports and stamps its messages with.
constexpr std::string_view kPhoneServiceCentre = "+447700900000";

// The SMS-DELIVER PDUs (service-centre field first, as AT+CMGR prints them) a
// phone holds after +447700900123 sent `text`, one per segment.
std::vector<Octets> DeliverPdus(std::u16string_view text) {
    return phonesim::BuildDeliverPdus(text, "+447700900123", kPhoneServiceCentre, FixedTime());
}

// A phone store of 30 slots holding the texts unread from slot 1 on, and an empty SIM.
phonesim::PhoneStores Stores(const std::vector<std::u16string>& texts) {
    phonesim::PhoneStores stores{phonesim::MessageStore(30), phonesim::MessageStore(30)};
    for (std::size_t i = 0; i < texts.size(); ++i)
        EXPECT_TRUE(
            stores.phone.Put(static_cast<int>(i) + 1,
                             {DeliverPdus(texts[i])[0], phonesim::MessageStatus::ReceivedUnread}));
    return stores;
}

// What the slots from 1 to `last` read as, an empty text for an empty slot.
std::vector<std::u16string> ReadSlots(PortHandle& port, int last) {
    std::vector<std::u16string> read;
    for (int slot = 1; slot <= last; ++slot) {
        const Octets pdu = ReadStoredMessage(port, slot);
        const sms::DeliverDecodeResult result = sms::DecodeDeliver(pdu);
        EXPECT_TRUE(pdu.empty() || result.decoded()) << sms::DescribeDecodeStatus(result.status);
        read.push_back(pdu.empty() ? u"" : result.message.Text);
    }
    return read;
}

class PhoneOnPty : public ::testing::Test {
protected:
    // Starts the phone on a fresh pseudo-terminal; fatal failure when it cannot.
    void StartPhone(phonesim::PhoneStores stores, phonesim::FaultPlan faults = {},
                    int baudRate = 0) {
        phonesim::PhoneSetup setup;
        setup.stores = std::move(stores);
        setup.faults = std::move(faults);
        setup.baudRate = baudRate;
        setup.clock = FixedTime;
        phone = std::make_unique<phonesim::SimulatedPhone>(std::move(setup));
        std::string error;
        ASSERT_TRUE(phone->Start(error)) << error;
    }

    // The port opened and set up without the start-up's settle wait, with the
    // phone's echo switched off as the start-up would leave it.
    PortHandle OpenQuickly() {
        const std::string& path = phone->DevicePath();
        PortHandle port = OpenPort(link, std::u16string(path.begin(), path.end()));
        EXPECT_TRUE(port.isValid()) << "cannot open " << path;
        ConfigurePort(port, platform::LineSettings{});
        ResponseBuffer answer;
        EXPECT_TRUE(Exchange(port, "ATE0\r", answer, kOkTerminator, kStartupTimeouts));
        return port;
    }

    // Trace mode on with a fresh file; the records once it is closed.
    void StartTrace() {
        link.trace = &trace;
        ASSERT_TRUE(trace.TraceWrite(TraceKind::Open));
    }
    std::vector<TraceRecord> StopTrace() {
        trace.TraceWrite(TraceKind::Close);
        return test::TraceRecords(trace.FilePath());
    }

    platform::SystemClock clock;
    PosixSerialOpener opener;
    testing::CountingSounds sounds;
    LinkContext link{clock, opener, sounds, nullptr};
    std::unique_ptr<phonesim::SimulatedPhone> phone;
    test::TemporaryDirectory directory;
    Trace trace{clock, directory.path()};
};
class LineFaults : public PhoneOnPty {};
class TraceMode : public PhoneOnPty {};

const std::vector<std::u16string> kTexts = {u"First message", u"Second message, a little longer",
                                            u"Third"};

TEST_F(LineFaults, UnsolicitedLinesBeforeTheAnswerAreSkipped) {
    // New-message indications carry a colon, digits, quotes and a comma of
    // their own, all of which the answers' readers look for.
    const std::string newInSim = " +CMTI: \"SM\",7";
    std::vector<phonesim::CommandFault> faults;
    for (const std::string exchange : {"+CPMS", "+CSCA", "+CMGR=2", "PDU", "+CMGD"})
        faults.push_back(Fault(FaultKind::Unsolicited, exchange + newInSim));
    for (const std::string exchange : {"+CMGR=1", "+CMGR=2", "+CMGS"})
        faults.push_back(Fault(FaultKind::Unsolicited, exchange + " RING"));
    ASSERT_NO_FATAL_FAILURE(StartPhone(Stores(kTexts), Plan(faults)));
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
    ASSERT_NO_FATAL_FAILURE(StartPhone(Stores(kTexts), Plan({Fault(FaultKind::Silent, "+CMGR")})));
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
        // clang-format off
        expected.insert(expected.end(), {{'T', "AT+CMGR=1\r"}, {'R', ""}, {'R', "No Bytes received!"}, {'R', ""}, {'R', "Receive Timeout!"}});
        // clang-format on
    }
    ClosePort(port);

    const std::vector<TraceRecord> records = StopTrace();
    ASSERT_GE(records.size(), expected.size());
    EXPECT_EQ(std::vector<TraceRecord>(records.end() - expected.size(), records.end()), expected);
}

TEST_F(LineFaults, LineCutInTheMiddleOfAnAnswerFailsAtOnce) {
    constexpr int kBytesBeforeCut = 20;
    ASSERT_NO_FATAL_FAILURE(
        StartPhone(Stores(kTexts),
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
    const std::vector<TraceRecord> expected = {{'T', "AT+CMGR=2\r"},
                                               {'R', fullAnswer.substr(0, kBytesBeforeCut)},
                                               {'R', "Receive Error!"}};
    const auto cutRead = std::find(records.begin(), records.end(), expected[0]);
    ASSERT_NE(cutRead, records.end());
    EXPECT_EQ(std::vector<TraceRecord>(cutRead, std::min(cutRead + 3, records.end())), expected);
    for (const TraceRecord& record : records)
        EXPECT_NE(record.second, "Receive Timeout!");
}

// Trace mode over a slow line: the trace file holds, record by record, exactly
// the bytes that went to the phone and the bytes that came back.
TEST_F(TraceMode, HoldsEveryByteSentAndReceivedOnASlowLine) {
    const Octets stored = DeliverPdus(std::u16string(160, u'x'))[0];
    ASSERT_NO_FATAL_FAILURE(StartPhone(Stores({std::u16string(160, u'x')}), {}, 9600));
    ASSERT_NO_FATAL_FAILURE(StartTrace());

    PortHandle port = OpenQuickly();
    ASSERT_EQ(SelectStorage(port, "ME")->used, 1);
    ASSERT_FALSE(ReadStoredMessage(port, 1).empty());
    ASSERT_TRUE(ReadStoredMessage(port, 2).empty());
    ASSERT_TRUE(SubmitPdu(port, kHiSubmit, 16));
    ClosePort(port);
    phone->Stop();
    // The answers really went at the line's pace, not all at once.
    EXPECT_GT(phone->Stats().pacedBytes, 0u);
    EXPECT_EQ(phone->Stats().pacedBytes, phone->Stats().bytesWritten);

    const std::string storedTpduLength = std::to_string(stored.size() - 1 - stored[0]);
    // clang-format off
    const std::vector<TraceRecord> expected = {
        // Echo is still on while the phone reads the command that ends it.
        {'T', "ATE0\r"}, {'R', "ATE0\r\r\nOK\r\n"},
        {'T', "AT+CPMS=\"ME\"\r"}, {'R', "\r\n+CPMS: 1,30,1,30,1,30\r\n\r\nOK\r\n"},
        {'T', "AT+CMGR=1\r"}, {'R', "\r\n+CMGR: 0,," + storedTpduLength + "\r\n" + sms::BytesToHex(stored) + "\r\n\r\nOK\r\n"},
        {'T', "AT+CMGR=2\r"}, {'R', "\r\nOK\r\n"},
        {'T', "AT+CMGS=16\r"}, {'R', "\r\n> "},
        {'T', std::string(kHiSubmit) + "\x1a"}, {'R', "\r\n+CMGS: 0\r\n\r\nOK\r\n"},
    };
    // clang-format on
    EXPECT_EQ(StopTrace(), expected);
}

}  // namespace
}  // namespace mivex::phone::integration
