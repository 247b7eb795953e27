// The AT exchanges of the transfers against the simulated phone: stores and
// their counts, reading and deleting stored messages, the service centre, and
// submitting single and segmented messages, on a fast and on a slow line.

#include <gtest/gtest.h>

#include <algorithm>

#include "link_session.h"
#include "phone/at_exchanges.h"
#include "sms/deliver_decoder.h"
#include "sms/hex_text.h"
#include "sms/submit_encoder.h"

namespace mivex::phone::integration {
namespace {

constexpr std::u16string_view kRecipient = u"+447700900555";

std::vector<sms::EncodedPdu> SubmitPdus(std::u16string_view text,
                                        std::u16string_view recipient = kRecipient) {
    const Octets noServiceCentre = sms::BuildServiceCentreField(true, u"");
    return sms::BuildMessagePdus(noServiceCentre, recipient, text,
                                 sms::MakeSubmitOptions(false, false, 0xA7), {});
}

// Submits every PDU; the results in order.
std::vector<bool> Submit(PortHandle& port, const std::vector<sms::EncodedPdu>& pdus) {
    std::vector<bool> results;
    for (const sms::EncodedPdu& pdu : pdus)
        results.push_back(SubmitPdu(port, sms::BytesToHex(pdu.octets), pdu.cmgsLength));
    return results;
}

std::vector<phonesim::SubmittedPdu> AsSubmitted(const std::vector<sms::EncodedPdu>& pdus) {
    std::vector<phonesim::SubmittedPdu> submitted;
    for (const sms::EncodedPdu& pdu : pdus)
        submitted.push_back({pdu.cmgsLength, pdu.octets});
    return submitted;
}

class MessageExchanges : public PhoneOnPty {
protected:
    // ME: slots 1, 2 and 4 used of 30; SM: slots 1 and 3 used of 20.
    void StartPhoneWithMessages(int baudRate = 0) {
        phonesim::PhoneSetup setup;
        setup.stores = Stores(
            {{1, DeliverPdus(texts.at(1))[0]},
             {2, DeliverPdus(texts.at(2))[0]},
             {4, DeliverPdus(texts.at(4))[0]}},
            {{1, DeliverPdus(simTexts.at(1))[0]}, {3, DeliverPdus(simTexts.at(3))[0]}}, 30, 20);
        setup.baudRate = baudRate;
        setup.clock = FixedTime;
        StartPhone(std::move(setup));
    }

    // What every slot from 1 to `last` reads as; empty for an empty slot.
    std::vector<std::u16string> ReadSlots(PortHandle& port, int last) {
        std::vector<std::u16string> read;
        for (int slot = 1; slot <= last; ++slot) {
            const Octets pdu = ReadStoredMessage(port, slot);
            read.push_back(pdu.empty() ? u"" : DecodedText(pdu));
        }
        return read;
    }

    const std::map<int, std::u16string> texts{
        {1, u"Hello from the phone"},
        {2, TextOfLength(160)},
        {4, u"@ $ \u00e9 \u00c5 _ \u00a7 \u03a9 (round) <angle>"}};
    const std::map<int, std::u16string> simTexts{{1, u"On the SIM card"}, {3, TextOfLength(70)}};
};

TEST_F(MessageExchanges, SelectsEachStoreAndReadsEveryUsedSlot) {
    ASSERT_NO_FATAL_FAILURE(StartPhoneWithMessages());
    PortHandle port = OpenQuickly();

    const std::optional<StorageCounts> phoneCounts = SelectStorage(port, "ME");
    ASSERT_TRUE(phoneCounts.has_value());
    EXPECT_EQ(phoneCounts->used, 3);
    EXPECT_EQ(phoneCounts->total, 30);
    EXPECT_EQ(ReadSlots(port, 5),
              (std::vector<std::u16string>{texts.at(1), texts.at(2), u"", texts.at(4), u""}));

    const std::optional<StorageCounts> simCounts = SelectStorage(port, "SM");
    ASSERT_TRUE(simCounts.has_value());
    EXPECT_EQ(simCounts->used, 2);
    EXPECT_EQ(simCounts->total, 20);
    EXPECT_EQ(ReadSlots(port, 3),
              (std::vector<std::u16string>{simTexts.at(1), u"", simTexts.at(3)}));

    // The whole PDU comes through, service-centre field first.
    EXPECT_EQ(ReadStoredMessage(port, 1), DeliverPdus(simTexts.at(1))[0]);
    EXPECT_EQ(GetServiceCentre(port), kPhoneServiceCentre);
    // A store the phone does not have is refused, and the line goes on.
    EXPECT_FALSE(SelectStorage(port, "XX").has_value());
    EXPECT_EQ(SelectStorage(port, "ME")->used, 3);
}

TEST_F(MessageExchanges, DeletesFromTheSelectedStoreOnly) {
    ASSERT_NO_FATAL_FAILURE(StartPhoneWithMessages());
    PortHandle port = OpenQuickly();

    ASSERT_TRUE(SelectStorage(port, "ME").has_value());
    EXPECT_TRUE(DeleteStoredMessage(port, 2));
    EXPECT_TRUE(ReadStoredMessage(port, 2).empty());
    EXPECT_EQ(SelectStorage(port, "ME")->used, 2);

    ASSERT_TRUE(SelectStorage(port, "SM").has_value());
    EXPECT_TRUE(DeleteStoredMessage(port, 1));
    // A slot past the store's end is refused.
    EXPECT_FALSE(DeleteStoredMessage(port, 21));
    EXPECT_EQ(SelectStorage(port, "SM")->used, 1);
    ClosePort(port);
    StopPhone();

    const phonesim::PhoneStores stores = phone->Stores();
    std::vector<int> phoneSlots;
    for (const auto& [slot, message] : stores.phone.Messages())
        phoneSlots.push_back(slot);
    EXPECT_EQ(phoneSlots, (std::vector<int>{1, 4}));
    EXPECT_EQ(stores.phone.Find(1)->pdu, DeliverPdus(texts.at(1))[0]);
    ASSERT_EQ(stores.sim.Used(), 1);
    EXPECT_NE(stores.sim.Find(3), nullptr);
}

TEST_F(MessageExchanges, SubmitsSingleAndSegmentedMessagesAsBuilt) {
    ASSERT_NO_FATAL_FAILURE(StartPhone(Stores({})));
    PortHandle port = OpenQuickly();

    const std::vector<sms::EncodedPdu> single = SubmitPdus(u"See you at 8");
    const std::vector<sms::EncodedPdu> segmented = SubmitPdus(TextOfLength(400));
    ASSERT_EQ(single.size(), 1u);
    ASSERT_EQ(segmented.size(), 3u);
    EXPECT_EQ(Submit(port, single), std::vector<bool>{true});
    EXPECT_EQ(Submit(port, segmented), std::vector<bool>(3, true));
    // Hex text that does not agree with the length is refused before sending.
    EXPECT_FALSE(SubmitPdu(port, sms::BytesToHex(single[0].octets), single[0].cmgsLength + 1));
    ClosePort(port);
    StopPhone();

    std::vector<phonesim::SubmittedPdu> expected = AsSubmitted(single);
    const std::vector<phonesim::SubmittedPdu> rest = AsSubmitted(segmented);
    expected.insert(expected.end(), rest.begin(), rest.end());
    EXPECT_EQ(phone->Submitted(), expected);
    EXPECT_TRUE(phone->Notes().empty());
}

TEST_F(MessageExchanges, MessageToTheOwnNumberReadsBackWithItsText) {
    constexpr std::u16string_view kOwnNumber = u"+447700900999";
    phonesim::PhoneSetup setup;
    setup.stores = Stores({});
    setup.settings.ownNumber = std::string(kOwnNumber.begin(), kOwnNumber.end());
    setup.clock = FixedTime;
    ASSERT_NO_FATAL_FAILURE(StartPhone(std::move(setup)));
    PortHandle port = OpenQuickly();

    const std::u16string shortText = u"Round trip \u00bfcheck? \u00a3 5";
    const std::u16string longText = TextOfLength(350);
    EXPECT_EQ(Submit(port, SubmitPdus(shortText, kOwnNumber)), std::vector<bool>{true});
    EXPECT_EQ(Submit(port, SubmitPdus(longText, kOwnNumber)), std::vector<bool>(3, true));

    ASSERT_EQ(SelectStorage(port, "ME")->used, 4);
    const sms::DeliverDecodeResult whole = sms::DecodeDeliver(ReadStoredMessage(port, 1));
    ASSERT_TRUE(whole.whole());
    EXPECT_EQ(whole.message.Text, shortText);
    EXPECT_EQ(whole.message.SenderNumber, kOwnNumber);

    std::vector<sms::DeliverMessage> parts;
    for (int slot = 2; slot <= 4; ++slot) {
        const sms::DeliverDecodeResult part = sms::DecodeDeliver(ReadStoredMessage(port, slot));
        ASSERT_TRUE(part.decoded());
        parts.push_back(part.message);
    }
    std::sort(parts.begin(), parts.end(),
              [](const auto& a, const auto& b) { return a.PartSeq < b.PartSeq; });
    std::u16string joined;
    for (const sms::DeliverMessage& part : parts) {
        EXPECT_EQ(part.IsPart, 1);
        EXPECT_EQ(part.PartCount, 3);
        joined += part.Text;
    }
    EXPECT_EQ(joined, longText);
}

TEST_F(MessageExchanges, SlowLineGivesTheSameResults) {
    ASSERT_NO_FATAL_FAILURE(StartPhoneWithMessages(9600));
    PortHandle port = OpenQuickly();

    EXPECT_EQ(SelectStorage(port, "ME")->used, 3);
    EXPECT_EQ(ReadSlots(port, 3), (std::vector<std::u16string>{texts.at(1), texts.at(2), u""}));
    EXPECT_EQ(GetServiceCentre(port), kPhoneServiceCentre);
    const std::vector<sms::EncodedPdu> pdus = SubmitPdus(TextOfLength(160));
    EXPECT_EQ(Submit(port, pdus), std::vector<bool>{true});
    ClosePort(port);
    StopPhone();

    EXPECT_EQ(phone->Submitted(), AsSubmitted(pdus));
    // The answers really went at the line's pace, not all at once.
    EXPECT_GT(phone->Stats().pacedBytes, 0u);
    EXPECT_EQ(phone->Stats().pacedBytes, phone->Stats().bytesWritten);
}

}  // namespace
}  // namespace mivex::phone::integration
