#include <gtest/gtest.h>

#include "phone_fixtures.h"
#include "sms/deliver_decoder.h"
#include "sms/status_report_decoder.h"
#include "sms/submit_encoder.h"

namespace mivex::phonesim {
namespace {

using namespace test;

constexpr std::string_view kCtrlZ = "\x1a";
PhoneSettings OwnNumberSettings() {
    PhoneSettings settings;
    settings.ownNumber = "+447700900123";
    return settings;
}

// The PDU and AT+CMGS length the program would send for `text` to `number`,
// asking for a status report and a reply path.
sms::EncodedPdu ProgramSubmit(std::u16string_view number, std::u16string_view text) {
    return sms::BuildSubmitPdu(std::vector<std::uint8_t>{0x00}, number, text, std::nullopt,
                               sms::MakeSubmitOptions(true, true, 0x0B), 0);
}

InterpreterOutput Submit(Phone& phone, const sms::EncodedPdu& pdu) {
    EXPECT_EQ(phone("AT+CMGS=" + std::to_string(pdu.cmgsLength) + "\r"), "\r\n> ");
    return phone.Feed(sms::BytesToHex(pdu.octets) + std::string(kCtrlZ));
}

TEST(MessageCommands, RefusesPdusThatDoNotMatchTheirCommand) {
    const std::string hi(kHiSubmit);
    // what is wrong, AT+CMGS length, PDU
    const std::tuple<std::string_view, std::string, std::string> cases[] = {
        {"length one short", "15", hi},
        {"length one long", "17", hi},
        {"odd digit count", "16", hi + "0"},
        {"not hex", "16", hi.substr(0, hi.size() - 2) + "ZZ"},
        {"a DELIVER, not a SUBMIT", "21", std::string(kHiDeliver)},
        {"far too long", "16", std::string(kMaxPduHexDigits + 2, '0')},
    };
    for (const auto& [name, length, pdu] : cases) {
        SCOPED_TRACE(name);
        Phone phone;
        EXPECT_EQ(phone("AT+CMEE=1\r"), "\r\nOK\r\n");
        EXPECT_EQ(phone("AT+CMGS=" + length + "\r"), "\r\n> ");
        const InterpreterOutput output = phone.Feed(pdu + std::string(kCtrlZ));
        EXPECT_EQ(output.bytes, "\r\n+CMS ERROR: 304\r\n");
        EXPECT_TRUE(output.submitted.empty());
        // The phone is back in command mode.
        EXPECT_EQ(phone("AT\r"), "\r\nOK\r\n");
    }
}

TEST(MessageCommands, MessageToOwnNumberComesBackAsDeliver) {
    Phone phone(StoresWith({}), {}, OwnNumberSettings());
    // Other numbers, even one digit short of the own one, do not come back.
    (void)Submit(phone, ProgramSubmit(u"+447700900124", u"Hi"));
    (void)Submit(phone, ProgramSubmit(u"44770090012", u"Hi"));
    EXPECT_EQ(phone.interpreter().Stores().phone.Used(), 0);

    const InterpreterOutput output =
        Submit(phone, ProgramSubmit(u"+447700900123", u"Loop back [ok] {\u00e9} \u20AC"));
    EXPECT_EQ(output.bytes, "\r\n+CMGS: 2\r\n\r\nOK\r\n");
    EXPECT_TRUE(output.storesChanged);

    const StoredMessage* stored = phone.interpreter().Stores().phone.Find(1);
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->status, MessageStatus::ReceivedUnread);
    const sms::DeliverDecodeResult decoded = sms::DecodeDeliver(stored->pdu);
    ASSERT_TRUE(decoded.whole());
    EXPECT_EQ(decoded.message.SenderNumber, u"+447700900123");
    // The extension characters went as escape pairs and come back whole.
    EXPECT_EQ(decoded.message.Text, u"Loop back [ok] {\u00e9} \u20AC");
    EXPECT_EQ(sms::FormatFileTime(decoded.message.TimeStamp), "2024-03-09 14:05:59");
    // The stored PDU opens with the phone's service centre, then an SMS-DELIVER
    // with TP-MMS that keeps the reply path but not the status report request.
    EXPECT_EQ(sms::BytesToHex(stored->pdu).substr(0, 18), "079144770009000084");
}

TEST(MessageCommands, OwnNumberMessageGoesToSimWhenPhoneIsFullAndIsAnnounced) {
    Phone phone(StoresWith({{1, kHiDeliver}}, {}, 1), {}, OwnNumberSettings());
    EXPECT_EQ(phone("AT+CNMI=2,1,0,0,0\r"), "\r\nOK\r\n");
    const auto pdu = ProgramSubmit(u"+447700900123", u"Hi");
    EXPECT_EQ(Submit(phone, pdu).bytes, "\r\n+CMGS: 0\r\n\r\nOK\r\n\r\n+CMTI: \"SM\",1\r\n");
    ASSERT_NE(phone.interpreter().Stores().sim.Find(1), nullptr);

    // Both stores full: the message is lost, and the note says so.
    const InterpreterOutput output = Submit(phone, pdu);
    EXPECT_EQ(output.bytes, "\r\n+CMGS: 1\r\n\r\nOK\r\n");
    ASSERT_EQ(output.notes.size(), 1U);
    EXPECT_NE(output.notes[0].find("lost"), std::string::npos);
    // A message written by the client into a full store is refused.
    (void)phone("AT+CMEE=1\r");
    EXPECT_EQ(phone("AT+CMGW=16\r"), "\r\n> ");
    EXPECT_EQ(phone(std::string(kHiSubmit) + std::string(kCtrlZ)), "\r\n+CMS ERROR: 322\r\n");
}

TEST(MessageCommands, ReportsFollowTheirDelayUnderAWrappingReference) {
    int nowMs = 0;
    PhoneSettings settings;
    settings.report = {ReportScenario::WaitingThenDelivered, 500};
    Interpreter interpreter(StoresWith({}), settings, {}, [&] {
        LocalTime time = FixedTime();
        time.calendar.second = nowMs / 1000;
        time.calendar.millisecond = nowMs % 1000;
        return time;
    });
    (void)interpreter.Feed("ATE0\r");
    const auto send = [&](const sms::EncodedPdu& pdu) {
        (void)interpreter.Feed("AT+CMGS=" + std::to_string(pdu.cmgsLength) + "\r");
        return interpreter.Feed(sms::BytesToHex(pdu.octets) + std::string(kCtrlZ)).bytes;
    };
    // 256 messages without a report request use up the references.
    const sms::EncodedPdu noReport =
        sms::BuildSubmitPdu(std::vector<std::uint8_t>{0x00}, u"+447700900123", u"Hi", std::nullopt,
                            sms::MakeSubmitOptions(false, false, 0x0B), 0);
    for (int i = 0; i < 256; ++i)
        (void)send(noReport);
    EXPECT_EQ(send(ProgramSubmit(u"+447700900123", u"Hi")), "\r\n+CMGS: 0\r\n\r\nOK\r\n");

    // (time, TP-Status of each report the phone holds by then)
    const std::pair<int, std::vector<int>> steps[] = {
        {499, {}}, {500, {0x21}}, {1499, {0x21}}, {1500, {0x21, 0x00}}};
    for (const auto& [at, statuses] : steps) {
        SCOPED_TRACE(at);
        nowMs = at;
        (void)interpreter.Feed("AT\r");
        std::vector<int> held;
        for (const auto& [slot, stored] : interpreter.Stores().phone.Messages()) {
            const sms::ReportDecodeResult report = sms::DecodeStatusReport(stored.pdu);
            EXPECT_EQ(std::tuple(report.report.messageReference, report.report.recipientNumber),
                      std::tuple(0, std::u16string(u"+447700900123")));
            held.push_back(report.report.status);
        }
        EXPECT_EQ(held, statuses);
    }
}

}  // namespace
}  // namespace mivex::phonesim
