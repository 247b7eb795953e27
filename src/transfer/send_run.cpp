#include "transfer/send_run.h"

#include <algorithm>
#include <new>
#include <optional>
#include <vector>

#include "sms/dial_number.h"
#include "store/message_records.h"
#include "transfer/open_link.h"
#include "transfer/status_text.h"

namespace mivex::transfer {

namespace {

using options::Option;
using platform::StatusBeep;
using platform::StatusColour;

// One message text and its terminator; queueing keeps texts well below this.
constexpr std::size_t kTextBufferChars = 10001;
constexpr int kLastValidityChoice = 3;

std::int32_t ReadNumberOption(options::OptionReader& options, Option option) {
    std::int32_t value = 0;
    (void)options.ReadOption(option, value);
    return value;
}

bool IsSendableServiceCentre(std::u16string_view filtered) {
    return sms::IsUsableServiceCentre(filtered) && filtered.size() <= kMaxNumberChars;
}

// The option's validity choice; a value the dialog never writes is held to
// the nearest one the phone understands.
sms::SubmitOptions ReadSubmitOptions(options::OptionReader& options) {
    const std::int32_t choice =
        std::clamp(ReadNumberOption(options, Option::ValidityPeriod), 0, kLastValidityChoice);
    sms::SubmitOptions submitOptions = sms::MakeSubmitOptions(
        ReadNumberOption(options, Option::StatusReport) != 0,
        ReadNumberOption(options, Option::ReplyPath) != 0, *sms::ValidityPeriodOctet(choice));
    if (ReadNumberOption(options, Option::GsmAlphabetOnly) != 0) {
        submitOptions.alphabet = sms::AlphabetChoice::GsmOnly;
    }
    return submitOptions;
}

class SendingRun {
public:
    SendingRun(platform::ListControl& list, TransferContext& context, store::Folder& outbox,
               store::Folder& sent, sms::SubmitCounters& counters, phone::MessageLink& link,
               const phone::OutgoingSetup& setup)
        : list_(list),
          context_(context),
          outbox_(outbox),
          sent_(sent),
          counters_(counters),
          link_(link),
          setup_(setup) {}

    // Sends every selected row, lowest index first; returns how many messages
    // left the phone whole.
    int SendSelected(std::u16string& text) {
        for (std::size_t row = platform::FirstSelectedIndex(list_); row < list_.Count();
             row = platform::FirstSelectedIndex(list_)) {
            list_.SetSelected(row, false);
            SendRow(row, text);
        }
        return sentCount_;
    }

private:
    void SendRow(std::size_t row, std::u16string& text) {
        const store::ObjectId id = list_.ItemData(row);
        if (outbox_.SeekToId(id) == 0 || !outbox_.ReadRecord(props_).Read(id)) {
            return;
        }
        std::optional<store::OutboxRecord> record = store::AsOutboxRecord(props_);
        if (!record) {
            return;
        }
        ShowProgress(context_.status, std::u16string(kSendingToText) + record->RecipientNumber);
        text.assign(record->Text);

        std::u16string number = record->RecipientNumber;
        (void)sms::FilterDialChars(number);
        // A number the phone cannot be given, or a text the buffer does not
        // hold, is refused here as the phone would refuse it.
        if (number.empty() || number.size() > kMaxNumberChars || text.size() >= kTextBufferChars) {
            ShowFailure();
            return;
        }
        references_.clear();
        // One SMS, or the segments of a long message under the current reference.
        const std::vector<phone::OutgoingPart> pdus =
            link_.PrepareMessage(setup_, number, text, counters_);
        const bool whole = pdus.size() == 1 ? SendSingle(pdus.front()) : SendSegmented(pdus);
        if (whole) {
            FileSent(row, id, *record, text);
        }
    }

    bool SendSingle(const phone::OutgoingPart& pdu) {
        if (!Submit(pdu)) {
            ShowFailure();
            return false;
        }
        ShowProgress(context_.status, kMessageSentOkText);
        return true;
    }

    bool SendSegmented(const std::vector<phone::OutgoingPart>& pdus) {
        bool all = true;
        for (std::size_t segment = 0; segment < pdus.size(); ++segment) {
            if (!Submit(pdus[segment])) {
                ShowFailure();
                all = false;
                break;
            }
            ShowProgress(context_.status, SegmentSentText(static_cast<int>(segment + 1)));
        }
        // Segments that went out carry this reference, so a later attempt of
        // the same message must not reuse it.
        counters_.AdvanceConcatRef();
        if (all) {
            context_.link.clock.SleepMs(kAfterMessageSentMs);
            ShowProgress(context_.status, kMessageSentOkText);
        }
        return all;
    }

    bool Submit(const phone::OutgoingPart& pdu) {
        const phone::SubmitResult result = link_.Submit(pdu);
        references_.push_back(result.messageReference);
        failureDetail_ = result.detail;
        return result.sent;
    }

    // The phone side's own reason, where it gave one, follows the text.
    void ShowFailure() {
        context_.status.ShowStatus(std::u16string(kSendFailedText) + failureDetail_,
                                   StatusBeep::Stop, StatusColour::Red);
        failureDetail_.clear();
        context_.link.clock.SleepMs(kAfterSendFailureMs);
    }

    // Filing in Sent and leaving the Outbox land together or not at all, so
    // the message is never in both folders nor in neither. Both folders come
    // from one Store, so one transaction of its volume covers the two.
    void FileSent(std::size_t row, store::ObjectId id, const store::OutboxRecord& record,
                  std::u16string_view text) {
        ++sentCount_;
        const bool filed = outbox_.Atomically([&] {
            return store::WriteSentRecord(
                       text, record.RecipientNumber, record.RecipientName, sent_,
                       context_.link.clock,
                       store::ReportToAwait(sms::RequestsStatusReport(setup_.submitOptions),
                                            references_)) != 0 &&
                   outbox_.DeleteRecord(id);
        });
        if (!filed) {
            context_.status.ShowStatus(kSentNotFiledText, StatusBeep::Stop, StatusColour::Red);
            context_.link.clock.SleepMs(kAfterSendFailureMs);
            return;
        }
        list_.DeleteRow(row);
        list_.RepaintOwner();
        context_.link.clock.SleepMs(kAfterMessageSentMs);
    }

    platform::ListControl& list_;
    TransferContext& context_;
    store::Folder& outbox_;
    store::Folder& sent_;
    sms::SubmitCounters& counters_;
    phone::MessageLink& link_;
    const phone::OutgoingSetup& setup_;
    std::u16string failureDetail_;
    store::PropArray props_;  // one read buffer for the whole run
    // The message references the phone gave the current message's segments.
    std::vector<std::optional<std::uint8_t>> references_;
    int sentCount_ = 0;
};

}  // namespace

std::u16string SegmentSentText(int segment) {
    return WithNumber(u"Message segment ", segment, u" sent OK");
}

std::u16string MessagesSentText(int sent) {
    return WithNumber(u"", sent, u" Messages sent OK!");
}

int SendOutbox(platform::ListControl& outboxList, TransferContext& context, store::Folder& outbox,
               store::Folder& sent, sms::SubmitCounters& counters) {
    context.status.RepaintOwner();
    if (platform::FirstSelectedIndex(outboxList) >= outboxList.Count()) {
        return 0;
    }

    const bool usePhoneServiceCentre =
        ReadNumberOption(context.options, Option::UsePhoneServiceCentre) != 0;
    std::u16string serviceCentre;
    if (!usePhoneServiceCentre) {
        (void)context.options.ReadOption(Option::ServiceCentre, serviceCentre);
        (void)sms::FilterDialChars(serviceCentre);
        if (!IsSendableServiceCentre(serviceCentre)) {
            context.status.ShowStatus(kInvalidServiceCentreText, StatusBeep::Stop,
                                      StatusColour::Blue);
            return -1;
        }
    }
    phone::OutgoingSetup setup;
    setup.submitOptions = ReadSubmitOptions(context.options);

    const std::unique_ptr<phone::MessageLink> link = OpenMessageLink(context);
    if (!link) {
        return -1;
    }
    // A link that sends through the phone's own centre without learning its
    // number has nothing to check or show.
    bool centreKnown = true;
    if (usePhoneServiceCentre) {
        const std::optional<std::u16string> phoneCentre = link->PhoneServiceCentre();
        centreKnown = phoneCentre.has_value();
        serviceCentre = phoneCentre.value_or(u"");
        if (centreKnown && !IsSendableServiceCentre(serviceCentre)) {
            link->Close();
            context.status.ShowStatus(kInvalidPhoneServiceCentreText, StatusBeep::Stop,
                                      StatusColour::Blue);
            return -1;
        }
    }
    setup.usePhoneServiceCentre = usePhoneServiceCentre;
    setup.serviceCentre = serviceCentre;
    if (centreKnown) {
        ShowProgress(context.status, std::u16string(kUsingServiceCentreText) + serviceCentre);
        context.link.clock.SleepMs(kServiceCentreShownMs);
    }

    std::u16string text;
    try {
        text.reserve(kTextBufferChars);
    } catch (const std::bad_alloc&) {
        link->Close();
        context.status.ShowStatus(kInsufficientMemoryText, StatusBeep::Stop, StatusColour::Blue);
        return -1;
    }

    const int sentCount =
        SendingRun(outboxList, context, outbox, sent, counters, *link, setup).SendSelected(text);
    link->Close();

    if (sentCount == 0) {
        return -1;
    }
    if (sentCount == 1) {
        ShowProgress(context.status, kOneMessageSentText);
        return 1;
    }
    ShowProgress(context.status, MessagesSentText(sentCount));
    return sentCount;
}

}  // namespace mivex::transfer
