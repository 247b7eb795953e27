// The sending run: what reaches the phone, what the user sees and waits
// through, and in which folder each message ends.

#include "transfer/send_run.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "phone/at_exchanges.h"
#include "phone_fixtures.h"
#include "phonesim/submit_parser.h"
#include "platform/memory_controls.h"
#include "sms/gsm_alphabet.h"
#include "sms/septets.h"
#include "transfer_fixture.h"

namespace mivex::transfer::test {
namespace {

using options::Option;
using phonesim::FaultKind;
using phonesim::test::Fault;
using phonesim::test::Plan;

const std::u16string kFailed =
    Coloured(1, 2, u"Failed - Check phone and Service Centre number...   ");
const std::u16string kUsing = u"Using SC Number +447700900000";
const std::u16string kSentOk = u"Message Sent OK";
const Octets kOwnCentreField = {0x07, 0x91, 0x44, 0x77, 0x00, 0x09, 0x00, 0x00};

std::u16string To(std::u16string_view number) {
    return u"Sending to " + std::u16string(number);
}
std::u16string SegmentOk(int n) {
    return WithCount(u"Message segment ", n, u" sent OK");
}
// Letters from the `shift`th on, over and over.
std::u16string TextOf(std::size_t length, std::size_t shift = 0) {
    std::u16string text;
    for (std::size_t i = 0; i < length; ++i)
        text.push_back(static_cast<char16_t>(u'a' + (i + shift) % 26));
    return text;
}

// A submitted PDU as the network reads it.
struct Submitted {
    Octets centreField;
    phonesim::SubmitParseResult parsed;
    std::string shape;  // "chars" or "ref seq/count chars"
    std::u16string text;
};

void Decode(const std::vector<phonesim::SubmittedPdu>& pdus, std::vector<Submitted>& decoded) {
    for (const phonesim::SubmittedPdu& pdu : pdus) {
        Submitted one{{}, phonesim::ParseSubmitPdu(pdu.pdu), "", u""};
        ASSERT_TRUE(one.parsed.parsed());
        one.centreField.assign(
            pdu.pdu.begin(),
            pdu.pdu.begin() + static_cast<std::ptrdiff_t>(one.parsed.serviceCentreOctets));
        const phonesim::SubmitTpdu& tpdu = one.parsed.submit;
        const int skipSeptets = tpdu.HasHeader() ? 7 : 0;  // the concatenation header
        std::vector<std::uint8_t> codes(std::max(tpdu.userDataLength - skipSeptets, 0));
        (void)sms::UnpackSeptets(tpdu.userData, tpdu.userDataLength, skipSeptets, codes);
        one.text = sms::GsmCodesToText(codes);
        if (tpdu.HasHeader() && tpdu.userData.size() >= 6)
            one.shape = std::to_string(tpdu.userData[3]) + " " + std::to_string(tpdu.userData[5]) +
                        "/" + std::to_string(tpdu.userData[4]) + " ";
        one.shape += std::to_string(codes.size());
        decoded.push_back(one);
    }
}

// Without the pause the phone link makes before each PDU.
Events WithoutSubmitPauses(Events events) {
    std::erase(events, Pause(phone::kSubmitPauseMs));
    return events;
}

struct Queued {
    std::u16string number;
    std::u16string text;
    bool selected = true;
};

class SendRun : public TransferOnPty {
protected:
    // One Outbox record and list row per message, in a fresh store.
    void Queue(const std::vector<Queued>& messages) {
        log.events.clear();
        list.Reset();
        FreshStore();
        store::FolderHandle outbox = Open(store::kOutboxName);
        ASSERT_TRUE(Open(store::kSentName).valid());
        for (const Queued& message : messages) {
            const store::ObjectId id = outbox->WriteRecord(
                0, store::ToProps(store::OutboxRecord{message.number, u"Ann", 0, message.text, 0}));
            ASSERT_NE(id, 0u);
            AddRow(message.number, id, message.selected);
        }
    }

    void AddRow(std::u16string_view text, store::ObjectId id, bool selected) {
        const std::size_t row = list.AddRow(text);
        list.SetItemData(row, id);
        list.SetSelected(row, selected);
    }

    int Send() {
        store::FolderHandle outbox = Open(store::kOutboxName);
        store::FolderHandle sent = Open(store::kSentName);
        return SendOutbox(list, context, *outbox, *sent, counters);
    }

    // The texts of a folder's records, sorted.
    std::vector<std::u16string> Texts(std::u16string_view folderName) {
        store::FolderHandle folder = Open(folderName);
        std::vector<std::u16string> texts;
        for (const store::PropArray& props : ReadAll(*folder))
            texts.push_back(store::AsOutboxRecord(props).value_or(store::OutboxRecord{}).Text);
        std::sort(texts.begin(), texts.end());
        return texts;
    }

    platform::MemoryList list;
    sms::SubmitCounters counters;
};

struct OutcomeCase {
    const char* name;
    std::vector<Queued> messages;
    bool unreadableRow;        // a selected row whose record is gone, after the messages
    std::vector<int> refused;  // submissions the network refuses, from 1
    std::uint8_t concatRef;
    int result;
    Events events;                      // after the start-up, without the submit pauses
    std::vector<std::u16string> kept;   // left in the Outbox
    std::vector<std::u16string> filed;  // filed in Sent
    std::vector<std::string> pdus;      // shapes of the PDUs the phone took
};

TEST_F(SendRun, EachMessageIsEitherFiledOrKept) {
    const std::u16string a = u"alpha", b = u"bravo", c = u"charlie";
    const std::u16string t160 = TextOf(160), t161 = TextOf(161, 1), t306 = TextOf(306, 2),
                         t307 = TextOf(307, 3), long1 = TextOf(200, 5);
    const std::u16string tooLong = u"+" + std::u16string(kMaxNumberChars, u'1');
    // clang-format off
    const std::vector<OutcomeCase> cases = {
        {"segments of 153 under successive references, 255 then 0",
         {{u"+44 160", t160}, {u"+161", t161}, {u"+306", t306}, {u"+307", t307}}, false, {}, 254,
         4,
         {kUsing, Pause(1000), To(u"+44 160"), kSentOk, Pause(250),
          To(u"+161"), SegmentOk(1), SegmentOk(2), Pause(250), kSentOk, Pause(250),
          To(u"+306"), SegmentOk(1), SegmentOk(2), Pause(250), kSentOk, Pause(250),
          To(u"+307"), SegmentOk(1), SegmentOk(2), SegmentOk(3), Pause(250), kSentOk, Pause(250),
          u"4 Messages sent OK!"},
         {}, {t160, t161, t306, t307},
         {"160", "254 1/2 153", "254 2/2 8", "255 1/2 153", "255 2/2 153", "0 1/3 153",
          "0 2/3 153", "0 3/3 1"}},
        {"the second of three refused",
         {{u"+111", a}, {u"+222", b}, {u"+333", c}, {u"+444", u"not selected", false}}, true, {2},
         0, 2,
         {kUsing, Pause(1000), To(u"+111"), kSentOk, Pause(250), To(u"+222"), kFailed,
          Pause(2000), To(u"+333"), kSentOk, Pause(250), u"2 Messages sent OK!"},
         {b, u"not selected"}, {a, c}, {"5", "7"}},
        {"a refused segment still moves the reference on",
         {{u"+111", long1}, {u"+222", TextOf(200)}}, false, {2}, 7,
         1,
         {kUsing, Pause(1000), To(u"+111"), SegmentOk(1), kFailed, Pause(2000),
          To(u"+222"), SegmentOk(1), SegmentOk(2), Pause(250), kSentOk, Pause(250),
          u"Message sent OK!"},
         {long1}, {TextOf(200)}, {"7 1/2 153", "8 1/2 153", "8 2/2 47"}},
        {"nothing sent ends on the failure",
         {{u"abc", a}, {tooLong, b}, {u"+333", c}}, false, {1}, 0,
         -1,
         {kUsing, Pause(1000), To(u"abc"), kFailed, Pause(2000), To(tooLong), kFailed,
          Pause(2000), To(u"+333"), kFailed, Pause(2000)},
         {a, b, c}, {}, {}},
    };
    // clang-format on
    options.strings[Option::ServiceCentre] = u"+447700900000";
    options.integers[Option::StatusReport] = 1;
    options.integers[Option::ValidityPeriod] = 9;  // held to one week
    for (const OutcomeCase& oc : cases) {
        SCOPED_TRACE(oc.name);
        ASSERT_NO_FATAL_FAILURE(Queue(oc.messages));
        if (oc.unreadableRow)
            AddRow(u"gone", 999999, true);
        phonesim::FaultPlan faults;
        faults.refusedSubmissions = oc.refused;
        ASSERT_NO_FATAL_FAILURE(StartPhone(Stores(5, {}), faults));
        counters.ConcatRef = oc.concatRef;

        EXPECT_EQ(Send(), oc.result);

        EXPECT_EQ(WithoutSubmitPauses(RunEvents()), oc.events);
        std::vector<std::u16string> kept = oc.kept, filed = oc.filed;
        std::sort(kept.begin(), kept.end());
        std::sort(filed.begin(), filed.end());
        EXPECT_EQ(Texts(store::kOutboxName), kept);
        EXPECT_EQ(Texts(store::kSentName), filed);
        // Rows of kept messages stay, none of them selected.
        EXPECT_EQ(list.SelectedCount(), 0u);
        EXPECT_EQ(list.Count(), oc.kept.size() + (oc.unreadableRow ? 1 : 0));

        phone->Stop();
        std::vector<std::string> shapes;
        std::map<std::string, std::u16string> received;  // by destination
        std::vector<Submitted> submitted;
        ASSERT_NO_FATAL_FAILURE(Decode(phone->Submitted(), submitted));
        for (const Submitted& pdu : submitted) {
            shapes.push_back(pdu.shape);
            received[pdu.parsed.submit.destination] += pdu.text;
            EXPECT_EQ(pdu.centreField, kOwnCentreField);
            EXPECT_EQ(pdu.parsed.submit.firstOctet & 0x20, 0x20);  // status report asked for
            EXPECT_EQ(pdu.parsed.submit.validityPeriod, Octets{0xAD});
        }
        EXPECT_EQ(shapes, oc.pdus);
        for (const Queued& message : oc.messages) {
            std::u16string number = message.number;
            std::erase(number, u' ');
            if (std::find(filed.begin(), filed.end(), message.text) != filed.end()) {
                EXPECT_EQ(received[std::string(number.begin(), number.end())], message.text);
            }
        }
    }
}

struct CentreCase {
    const char* name;
    bool selected;
    int usePhoneCentre;
    std::u16string ownCentre;
    std::string phoneCentre;
    phonesim::FaultPlan faults;
    int result;
    bool connects;
    std::u16string firstAfterStartUp;
    Octets centreField;
};

TEST_F(SendRun, SettlesTheServiceCentreOnce) {
    const std::u16string invalidOwn = Coloured(
        3, 2, u"Invalid Service Centre number, check Options, use Help for more info...  ");
    const std::u16string invalidPhone = Coloured(
        3, 2, u"Phone returned an invalid Service Centre number, check phone settings...  ");
    const std::u16string own = u"+447700900000";
    const std::string phoneOwn = "+447700900000";
    const std::u16string tooLong = u"+" + std::u16string(kMaxNumberChars, u'1');
    // The phone's own answer follows this line, which the reader takes first.
    const phonesim::FaultPlan withType145 =
        Plan({Fault(FaultKind::Unsolicited, "+CSCA +CSCA: \"447700900000\",145")});
    // clang-format off
    const std::vector<CentreCase> cases = {
        {"nothing selected",      false, 0, own, phoneOwn, {}, 0, false, u"", {}},
        {"own centre filtered",   true, 0, u"+44 7700-900000", "", {}, 1, true, kUsing,
         kOwnCentreField},
        {"own centre empty",      true, 0, u"", phoneOwn, {}, -1, false, invalidOwn, {}},
        {"own centre without +",  true, 0, u"447700900000", phoneOwn, {}, -1, false, invalidOwn,
         {}},
        {"own centre too long",   true, 0, tooLong, phoneOwn, {}, -1, false, invalidOwn, {}},
        {"phone centre",          true, 1, u"", phoneOwn, {}, 1, true, kUsing, {0x00}},
        {"phone centre of type 145 without +", true, 1, u"", "447700900000", withType145, 1, true,
         kUsing, {0x00}},
        {"phone centre not international", true, 1, own, "447700900000", {}, -1, true,
         invalidPhone, {}},
        {"phone centre missing",  true, 1, own, "", {}, -1, true, invalidPhone, {}},
    };
    // clang-format on
    for (const CentreCase& cc : cases) {
        SCOPED_TRACE(cc.name);
        ASSERT_NO_FATAL_FAILURE(Queue({{u"+111", u"hello", cc.selected}}));
        ASSERT_NO_FATAL_FAILURE(StartPhone(Stores(5, {}), cc.faults, cc.phoneCentre));
        options.integers[Option::UsePhoneServiceCentre] = cc.usePhoneCentre;
        options.strings[Option::ServiceCentre] = cc.ownCentre;

        EXPECT_EQ(Send(), cc.result);

        const Events events = RunEvents();
        EXPECT_EQ(events.empty() ? u"" : events.front(), cc.firstAfterStartUp);
        EXPECT_EQ(std::any_of(log.events.begin(), log.events.end(),
                              [](const std::u16string& e) { return e.starts_with(u"Opening "); }),
                  cc.connects);
        phone->Stop();
        const std::vector<phonesim::SubmittedPdu> submitted = phone->Submitted();
        ASSERT_EQ(submitted.size(), cc.result == 1 ? 1u : 0u);
        if (!submitted.empty()) {
            EXPECT_EQ(Octets(submitted[0].pdu.begin(),
                             submitted[0].pdu.begin() +
                                 static_cast<std::ptrdiff_t>(cc.centreField.size())),
                      cc.centreField);
        }
    }
}

TEST_F(SendRun, MessageThatCannotBeFiledStaysInTheOutbox) {
    // Either the Sent write fails, or the Outbox record has gone by the time
    // of filing: then the Sent record written in the same step is undone too.
    options.strings[Option::ServiceCentre] = u"+447700900000";
    for (const bool readOnly : {true, false}) {
        SCOPED_TRACE(readOnly ? "read-only store" : "record gone");
        ASSERT_NO_FATAL_FAILURE(Queue({{u"+111", u"hello"}}));
        const store::ObjectId id = list.ItemData(0);
        store->SetReadOnly(readOnly);
        store::FolderHandle outbox = Open(store::kOutboxName);
        store::FolderHandle sent = Open(store::kSentName);
        log.onShow = [&](std::u16string_view text) {
            if (!readOnly && text == kSentOk) {
                ASSERT_TRUE(outbox->DeleteRecord(id));
            }
        };
        ASSERT_NO_FATAL_FAILURE(StartPhone(Stores(5, {})));

        EXPECT_EQ(SendOutbox(list, context, *outbox, *sent, counters), 1);

        log.onShow = nullptr;
        EXPECT_EQ(WithoutSubmitPauses(RunEvents()),
                  (Events{kUsing, Pause(1000), To(u"+111"), kSentOk,
                          Coloured(1, 2, kSentNotFiledText), Pause(2000), u"Message sent OK!"}));
        EXPECT_TRUE(ReadAll(*sent).empty());
        EXPECT_EQ(ReadAll(*outbox).size(), readOnly ? 1u : 0u);
        EXPECT_EQ(list.Count(), 1u);
        EXPECT_FALSE(list.IsSelected(0));
        phone->Stop();
        EXPECT_EQ(phone->Submitted().size(), 1u);
    }
}

}  // namespace
}  // namespace mivex::transfer::test
