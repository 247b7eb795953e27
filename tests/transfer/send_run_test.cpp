// The sending run: what reaches the phone, what the user sees, and in which
// folder each message ends.

#include "transfer/send_run.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "phone_fixtures.h"
#include "phonesim/submit_parser.h"
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
const std::u16string kTooLongNumber = u"+" + std::u16string(kMaxNumberChars, u'1');
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

std::vector<std::u16string> Sorted(std::vector<std::u16string> texts) {
    std::sort(texts.begin(), texts.end());
    return texts;
}

class SendRun : public TransferOnPty {
protected:
    // The texts of a folder's records, sorted.
    std::vector<std::u16string> Texts(std::u16string_view folderName) {
        store::FolderHandle folder = Open(folderName);
        std::vector<std::u16string> texts;
        for (const store::PropArray& props : ReadAll(*folder))
            texts.push_back(store::AsOutboxRecord(props).value_or(store::OutboxRecord{}).Text);
        return Sorted(texts);
    }
};

phonesim::FaultPlan Refusing(std::vector<int> submissions) {
    phonesim::FaultPlan faults;
    faults.refusedSubmissions = std::move(submissions);
    return faults;
}

TEST_F(SendRun, EachMessageIsEitherFiledOrKept) {
    const std::u16string a = u"alpha", b = u"bravo", c = u"charlie", long1 = TextOf(200, 5);
    const std::u16string t160 = TextOf(160), t161 = TextOf(161, 1), t306 = TextOf(306, 2),
                         t307 = TextOf(307, 3);
    const std::u16string own = u"+447700900000";
    const std::u16string invalidOwn = Coloured(3, 2, kInvalidServiceCentreText);
    const std::u16string invalidPhone = Coloured(3, 2, kInvalidPhoneServiceCentreText);
    const std::u16string linked(kLinked);
    struct Case {
        const char* name;
        std::vector<Queued> messages{};
        bool unreadableRow = false;  // a selected row whose record is gone, after the messages
        phonesim::FaultPlan faults{};
        std::uint8_t concatRef = 0;
        std::u16string ownCentre = u"+447700900000";
        int usePhoneCentre = 0;
        std::string phoneCentre = "+447700900000";
        int result = 0;
        Events events{};
        std::vector<std::u16string> kept{};   // left in the Outbox
        std::vector<std::u16string> filed{};  // filed in Sent
        std::vector<std::string> pdus{};      // shapes of the PDUs the phone took
        Octets centreField = kOwnCentreField;
        std::size_t leftSelected = 0;  // when no message was tried
    };
    // clang-format off
    const std::vector<Case> cases = {
        {.name = "segments of 153 under successive references, 255 then 0",
         .messages = {{u"+44 160", t160}, {u"+161", t161}, {u"+306", t306}, {u"+307", t307}},
         .concatRef = 254,
         .result = 4,
         .events = {linked, kUsing, To(u"+44 160"), kSentOk, To(u"+161"), SegmentOk(1),
                    SegmentOk(2), kSentOk, To(u"+306"), SegmentOk(1), SegmentOk(2), kSentOk,
                    To(u"+307"), SegmentOk(1), SegmentOk(2), SegmentOk(3), kSentOk,
                    u"4 Messages sent OK!"},
         .filed = {t160, t161, t306, t307},
         .pdus = {"+44160 160", "+161 254 1/2 153", "+161 254 2/2 8", "+306 255 1/2 153",
                  "+306 255 2/2 153", "+307 0 1/3 153", "+307 0 2/3 153", "+307 0 3/3 1"}},
        {.name = "the second of three refused",
         .messages = {{u"+111", a}, {u"+222", b}, {u"+333", c}, {u"+444", u"unselected", false}},
         .unreadableRow = true,
         .faults = Refusing({2}),
         .result = 2,
         .events = {linked, kUsing, To(u"+111"), kSentOk, To(u"+222"), kFailed, To(u"+333"),
                    kSentOk, u"2 Messages sent OK!"},
         .kept = {b, u"unselected"},
         .filed = {a, c},
         .pdus = {"+111 5", "+333 7"}},
        {.name = "a refused segment still moves the reference on",
         .messages = {{u"+111", long1}, {u"+222", TextOf(200)}},
         .faults = Refusing({2}),
         .concatRef = 7,
         .result = 1,
         .events = {linked, kUsing, To(u"+111"), SegmentOk(1), kFailed, To(u"+222"),
                    SegmentOk(1), SegmentOk(2), kSentOk, u"Message sent OK!"},
         .kept = {long1},
         .filed = {TextOf(200)},
         .pdus = {"+111 7 1/2 153", "+222 8 1/2 153", "+222 8 2/2 47"}},
        {.name = "nothing sent ends on the failure",
         .messages = {{u"abc", a}, {kTooLongNumber, b}, {u"+333", c}},
         .faults = Refusing({1}),
         .result = -1,
         .events = {linked, kUsing, To(u"abc"), kFailed, To(kTooLongNumber), kFailed,
                    To(u"+333"), kFailed},
         .kept = {a, b, c}},
        {.name = "nothing selected", .messages = {{u"+111", a, false}}, .kept = {a}},
        {.name = "own centre filtered", .messages = {{u"+111", a}},
         .ownCentre = u"+44 7700-900000", .phoneCentre = "", .result = 1,
         .events = {linked, kUsing, To(u"+111"), kSentOk, u"Message sent OK!"},
         .filed = {a}, .pdus = {"+111 5"}},
        {.name = "own centre empty", .messages = {{u"+111", a}}, .ownCentre = u"",
         .result = -1, .events = {invalidOwn}, .kept = {a}, .leftSelected = 1},
        {.name = "own centre without +", .messages = {{u"+111", a}},
         .ownCentre = u"447700900000", .result = -1, .events = {invalidOwn}, .kept = {a},
         .leftSelected = 1},
        {.name = "own centre too long", .messages = {{u"+111", a}}, .ownCentre = kTooLongNumber,
         .result = -1, .events = {invalidOwn}, .kept = {a}, .leftSelected = 1},
        {.name = "phone centre", .messages = {{u"+111", a}}, .ownCentre = u"",
         .usePhoneCentre = 1, .result = 1,
         .events = {linked, kUsing, To(u"+111"), kSentOk, u"Message sent OK!"},
         .filed = {a}, .pdus = {"+111 5"}, .centreField = {0x00}},
        // The phone's own answer follows this line, which the reader takes first.
        {.name = "phone centre of type 145 without +", .messages = {{u"+111", a}},
         .faults = Plan({Fault(FaultKind::Unsolicited, "+CSCA +CSCA: \"447700900000\",145")}),
         .ownCentre = u"", .usePhoneCentre = 1, .phoneCentre = "447700900000", .result = 1,
         .events = {linked, kUsing, To(u"+111"), kSentOk, u"Message sent OK!"},
         .filed = {a}, .pdus = {"+111 5"}, .centreField = {0x00}},
        {.name = "phone centre not international", .messages = {{u"+111", a}},
         .usePhoneCentre = 1, .phoneCentre = "447700900000", .result = -1,
         .events = {linked, invalidPhone}, .kept = {a}, .leftSelected = 1},
        {.name = "phone centre missing", .messages = {{u"+111", a}}, .usePhoneCentre = 1,
         .phoneCentre = "", .result = -1, .events = {linked, invalidPhone}, .kept = {a},
         .leftSelected = 1},
    };
    // clang-format on
    options.integers[Option::StatusReport] = 1;
    options.integers[Option::ValidityPeriod] = 9;  // held to one week
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        ASSERT_NO_FATAL_FAILURE(Queue(row.messages));
        if (row.unreadableRow)
            AddRow(u"gone", 999999, true);
        ASSERT_NO_FATAL_FAILURE(StartPhone(Stores(5, {}), row.faults, row.phoneCentre));
        options.strings[Option::ServiceCentre] = row.ownCentre;
        options.integers[Option::UsePhoneServiceCentre] = row.usePhoneCentre;
        counters.ConcatRef = row.concatRef;

        EXPECT_EQ(Send(), row.result);

        EXPECT_EQ(RunEvents(), row.events);
        EXPECT_EQ(Texts(store::kOutboxName), Sorted(row.kept));
        EXPECT_EQ(Texts(store::kSentName), Sorted(row.filed));
        // Rows of kept messages stay, none of them selected once sending began.
        EXPECT_EQ(list.SelectedCount(), row.leftSelected);
        EXPECT_EQ(list.Count(), row.kept.size() + (row.unreadableRow ? 1 : 0));

        phone->Stop();
        std::vector<std::string> shapes;
        for (const phonesim::SubmittedPdu& pdu : phone->Submitted()) {
            const phonesim::SubmitParseResult parsed = phonesim::ParseSubmitPdu(pdu.pdu);
            ASSERT_TRUE(parsed.parsed());
            shapes.push_back(Shape(parsed.submit));
            EXPECT_EQ(Octets(pdu.pdu.begin(), pdu.pdu.begin() + row.centreField.size()),
                      row.centreField);
            EXPECT_EQ(parsed.submit.firstOctet & 0x20, 0x20);  // status report asked for
            EXPECT_EQ(parsed.submit.validityPeriod, Octets{0xAD});
        }
        EXPECT_EQ(shapes, row.pdus);
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
        EXPECT_EQ(RunEvents(), (Events{std::u16string(kLinked), kUsing, To(u"+111"), kSentOk,
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
