// The sending run: what reaches the phone, what the user sees, and in which
// folder each message ends.

#include "transfer/send_run.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "phonesim/submit_parser.h"
#include "transfer_fixture.h"

namespace mivex::transfer::test {
namespace {

using options::Option;
using phonesim::FaultKind;
using Texts = std::vector<std::u16string>;

const std::u16string kFailed =
    Coloured(1, 2, u"Failed - Check phone and Service Centre number...   ");
const std::u16string kUsing = u"Using SC Number +447700900000";
const std::u16string kSentOk = u"Message Sent OK";
const std::u16string kLink(kLinked);
const std::u16string kCentre = u"+447700900000";
const std::u16string kTooLongNumber = u"+" + std::u16string(kMaxNumberChars, u'1');
const std::u16string kA = u"alpha";
const Octets kOwnCentreField = {0x07, 0x91, 0x44, 0x77, 0x00, 0x09, 0x00, 0x00};

const auto To = [](std::u16string_view number) { return u"Sending to " + std::u16string(number); };
const auto SegmentOk = [](int n) { return WithCount(u"Message segment ", n, u" sent OK"); };
// Letters from the `shift`th on, over and over.
std::u16string TextOf(std::size_t length, std::size_t shift = 0) {
    std::u16string text;
    for (std::size_t i = 0; i < length; ++i)
        text.push_back(static_cast<char16_t>(u'a' + (i + shift) % 26));
    return text;
}

// A submitted PDU as the network reads it: "destination [ref seq/count] septets".
std::string Shape(const phonesim::SubmitTpdu& tpdu) {
    std::string shape = tpdu.destination + " ";
    int septets = tpdu.userDataLength;
    if (tpdu.HasHeader() && tpdu.userData.size() >= 6) {
        shape += std::to_string(tpdu.userData[3]) + " " + std::to_string(tpdu.userData[5]) + "/" +
                 std::to_string(tpdu.userData[4]) + " ";
        septets -= 7;  // the concatenation header
    }
    return shape + std::to_string(septets);
}

Texts Sorted(Texts texts) {
    std::sort(texts.begin(), texts.end());
    return texts;
}

phonesim::FaultPlan Refusing(std::vector<int> submissions) {
    phonesim::FaultPlan faults;
    faults.refusedSubmissions = std::move(submissions);
    return faults;
}

struct Case {
    const char* name;
    std::vector<Queued> messages;
    phonesim::FaultPlan faults;
    std::uint8_t ref;         // the concatenation reference the run starts from
    std::u16string own;       // the Service Centre option
    int usePhone;             // the option to use the phone's own centre instead
    std::string phoneCentre;  // what the phone reports
    int result;
    Events events;
    Texts kept;                     // left in the Outbox
    Texts filed;                    // filed in Sent
    std::vector<std::string> pdus;  // shapes of the PDUs the phone took
    std::size_t leftSelected = 0;   // 1 when no message was tried
    bool goneRow = false;           // a selected row whose record is gone, after the messages
};

// clang-format off
// "alpha" to +111, sent through the centre the options give.
Case SentA(const char* name, std::u16string own, int usePhone, std::string phoneCentre, phonesim::FaultPlan faults = {}) {
    return {name, {{u"+111", kA}}, std::move(faults), 0, std::move(own), usePhone, std::move(phoneCentre), 1,
            {kLink, kUsing, To(u"+111"), kSentOk, u"Message sent OK!"}, {}, {kA}, {"+111 5"}};
}
// "alpha" to +111, not tried since the centre the options give is invalid.
Case CentreRefused(const char* name, std::u16string own, int usePhone, std::string phoneCentre, Events events) {
    return {name, {{u"+111", kA}}, {}, 0, std::move(own), usePhone, std::move(phoneCentre), -1, std::move(events), {kA}, {}, {}, 1};
}
// clang-format on

class SendRun : public TransferOnPty {
protected:
    Texts TextsIn(std::u16string_view folderName) {
        Texts texts;
        for (const store::PropArray& props : ReadAll(*Open(folderName)))
            texts.push_back(*store::FindPropString(props, store::outbox::kText));
        return Sorted(texts);
    }
};

TEST_F(SendRun, EachMessageIsEitherFiledOrKept) {
    const std::u16string b = u"bravo", c = u"charlie", long1 = TextOf(200, 5), t200 = TextOf(200);
    const std::u16string t160 = TextOf(160), t161 = TextOf(161, 1), t306 = TextOf(306, 2),
                         t307 = TextOf(307, 3);
    const std::u16string badOwn = Coloured(3, 2, kInvalidServiceCentreText);
    const std::u16string badPhone = Coloured(3, 2, kInvalidPhoneServiceCentreText);
    const std::string centre = "+447700900000";
    // The phone's own answer follows this line, which the reader takes first.
    const phonesim::FaultPlan centreLineFirst = phonesim::test::Plan(
        {phonesim::test::Fault(FaultKind::Unsolicited, "+CSCA +CSCA: \"447700900000\",145")});
    // clang-format off
    // name, messages, faults, ref, own, usePhone, phoneCentre, result, events, kept, filed, pdus
    const std::vector<Case> cases = {
        {"segments of 153 under successive references, 255 then 0",
         {{u"+44 160", t160}, {u"+161", t161}, {u"+306", t306}, {u"+307", t307}}, {}, 254, kCentre, 0, centre, 4,
         {kLink, kUsing, To(u"+44 160"), kSentOk, To(u"+161"), SegmentOk(1), SegmentOk(2), kSentOk, To(u"+306"),
          SegmentOk(1), SegmentOk(2), kSentOk, To(u"+307"), SegmentOk(1), SegmentOk(2), SegmentOk(3), kSentOk,
          u"4 Messages sent OK!"}, {}, {t160, t161, t306, t307},
         {"+44160 160", "+161 254 1/2 153", "+161 254 2/2 8", "+306 255 1/2 153", "+306 255 2/2 153",
          "+307 0 1/3 153", "+307 0 2/3 153", "+307 0 3/3 1"}},
        {"the second of three refused", {{u"+111", kA}, {u"+222", b}, {u"+333", c}, {u"+444", u"unselected", false}},
         Refusing({2}), 0, kCentre, 0, centre, 2,
         {kLink, kUsing, To(u"+111"), kSentOk, To(u"+222"), kFailed, To(u"+333"), kSentOk, u"2 Messages sent OK!"},
         {b, u"unselected"}, {kA, c}, {"+111 5", "+333 7"}, 0, true},
        {"a refused segment still moves the reference on", {{u"+111", long1}, {u"+222", t200}}, Refusing({2}), 7,
         kCentre, 0, centre, 1,
         {kLink, kUsing, To(u"+111"), SegmentOk(1), kFailed, To(u"+222"), SegmentOk(1), SegmentOk(2), kSentOk,
          u"Message sent OK!"}, {long1}, {t200}, {"+111 7 1/2 153", "+222 8 1/2 153", "+222 8 2/2 47"}},
        {"nothing sent ends on the failure", {{u"abc", kA}, {kTooLongNumber, b}, {u"+333", c}}, Refusing({1}), 0,
         kCentre, 0, centre, -1, {kLink, kUsing, To(u"abc"), kFailed, To(kTooLongNumber), kFailed, To(u"+333"), kFailed},
         {kA, b, c}, {}, {}},
        {"nothing selected", {{u"+111", kA, false}}, {}, 0, kCentre, 0, centre, 0, {}, {kA}, {}, {}},
        SentA("own centre filtered", u"+44 7700-900000", 0, ""),
        SentA("phone centre", u"", 1, centre),
        SentA("phone centre of type 145 without +", u"", 1, "447700900000", centreLineFirst),
        CentreRefused("own centre empty", u"", 0, centre, {badOwn}),
        CentreRefused("own centre without +", u"447700900000", 0, centre, {badOwn}),
        CentreRefused("own centre too long", kTooLongNumber, 0, centre, {badOwn}),
        CentreRefused("phone centre not international", kCentre, 1, "447700900000", {kLink, badPhone}),
        CentreRefused("phone centre missing", kCentre, 1, "", {kLink, badPhone}),
    };
    // clang-format on
    options.integers[Option::StatusReport] = 1;
    options.integers[Option::ValidityPeriod] = 9;  // held to one week
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        ASSERT_NO_FATAL_FAILURE(Queue(row.messages));
        if (row.goneRow)
            AddRow(u"gone", 999999, true);
        ASSERT_NO_FATAL_FAILURE(StartPhone(Stores(5, {}), row.faults, row.phoneCentre));
        options.strings[Option::ServiceCentre] = row.own;
        options.integers[Option::UsePhoneServiceCentre] = row.usePhone;
        counters.ConcatRef = row.ref;

        EXPECT_EQ(Send(), row.result);

        EXPECT_EQ(RunEvents(), row.events);
        EXPECT_EQ(TextsIn(store::kOutboxName), Sorted(row.kept));
        EXPECT_EQ(TextsIn(store::kSentName), Sorted(row.filed));
        // Rows of kept messages stay, none of them selected once sending began.
        EXPECT_EQ(list.SelectedCount(), row.leftSelected);
        EXPECT_EQ(list.Count(), row.kept.size() + (row.goneRow ? 1 : 0));

        phone->Stop();
        // With the phone's centre the PDU leaves the field empty for the phone to fill.
        const Octets centreField = row.usePhone ? Octets{0x00} : kOwnCentreField;
        std::vector<std::string> shapes;
        for (const phonesim::SubmittedPdu& pdu : phone->Submitted()) {
            const phonesim::SubmitParseResult parsed = phonesim::ParseSubmitPdu(pdu.pdu);
            ASSERT_TRUE(parsed.parsed());
            shapes.push_back(Shape(parsed.submit));
            EXPECT_EQ(Octets(pdu.pdu.begin(), pdu.pdu.begin() + centreField.size()), centreField);
            EXPECT_EQ(parsed.submit.firstOctet & 0x20, 0x20);  // status report asked for
            EXPECT_EQ(parsed.submit.validityPeriod, Octets{0xAD});
        }
        EXPECT_EQ(shapes, row.pdus);
    }
}

TEST_F(SendRun, MessageThatCannotBeFiledStaysInTheOutbox) {
    // Either the Sent write fails, or the Outbox record has gone by the time
    // of filing: then the Sent record written in the same step is undone too.
    options.strings[Option::ServiceCentre] = kCentre;
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
        EXPECT_EQ(RunEvents(), (Events{kLink, kUsing, To(u"+111"), kSentOk,
                                       Coloured(1, 2, kSentNotFiledText), u"Message sent OK!"}));
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
