#include "store/queueing.h"

#include <new>
#include <vector>

#include "sms/dial_number.h"
#include "sms/text_measure.h"
#include "store/message_records.h"

namespace mivex::store {

namespace {

// The number part of an entry before filtering: after the first comma up to
// the next one, or the whole entry.
std::u16string_view NumberPart(std::u16string_view entry) {
    const std::size_t comma = entry.find(u',');
    if (comma == std::u16string_view::npos)
        return entry;
    const std::u16string_view rest = entry.substr(comma + 1);
    return rest.substr(0, rest.find(u','));
}

int Refuse(platform::Prompter& prompter, std::u16string_view text) {
    prompter.ShowMessage(text, platform::kPromptCaption, platform::PromptButtons::Ok,
                         platform::PromptIcon::None);
    return 0;
}

bool IsUsableEntry(std::u16string_view entry) {
    return entry.size() < kMaxRecipientEntryChars &&
           sms::IsUsableRecipientNumber(NumberPart(entry));
}

}  // namespace

std::u16string RecipientNumberOf(std::u16string_view entry) {
    std::u16string number(NumberPart(entry));
    sms::FilterDialChars(number);
    return number;
}

std::u16string RecipientNameOf(std::u16string_view entry) {
    const std::size_t comma = entry.find(u',');
    if (comma != std::u16string_view::npos)
        return std::u16string(entry.substr(0, comma));
    std::u16string name(entry);
    sms::FilterDialChars(name);
    return name;
}

int QueueMessage(const platform::TextControl& messageText, const platform::ListControl& recipients,
                 Folder& outbox, SendNow sendNow, platform::Prompter& prompter,
                 platform::Clock& clock) {
    const std::size_t entryCount = recipients.Count();
    if (entryCount == 0)
        return Refuse(prompter, kNoRecipientText);

    // Taking the text is the one sizeable allocation of the routine; when it
    // fails there is no length to check either, so the memory refusal comes first.
    std::u16string text;
    try {
        text = messageText.Text();
    } catch (const std::bad_alloc&) {
        return Refuse(prompter, kNotEnoughMemoryText);
    }
    if (text.empty())
        return Refuse(prompter, kNoMessageText);
    // Measured as the costliest encoding would send it, whatever the
    // GsmAlphabetOnly setting at sending time.
    if (!sms::MeasureText(text, sms::AlphabetChoice::Automatic).withinLimits)
        return Refuse(prompter, kMessageTooBigText);

    std::vector<std::u16string> entries;
    entries.reserve(entryCount);
    for (std::size_t index = 0; index < entryCount; ++index) {
        entries.push_back(recipients.RowText(index));
        if (!IsUsableEntry(entries.back()))
            return Refuse(prompter, kInvalidRecipientText);
    }

    OutboxRecord record;
    record.Created = LocalFileTime(clock);
    record.Text = std::move(text);
    record.SendNow = static_cast<std::int32_t>(sendNow);

    // All or nothing: a half-queued group reported as queued would have the
    // compose view throw away a message some recipients never get.
    const bool written = outbox.Atomically([&] {
        for (const std::u16string& entry : entries) {
            record.RecipientNumber = RecipientNumberOf(entry);
            record.RecipientName = RecipientNameOf(entry);
            if (outbox.WriteRecord(0, ToProps(record)) == 0)
                return false;
        }
        return true;
    });
    if (!written) {
        prompter.Tell(kOutboxWriteFailedText, platform::PromptIcon::Stop);
        return 0;
    }
    return static_cast<int>(entryCount);
}

int CopyToOutbox(const platform::ListControl& sentList, Folder& sent, Folder& outbox,
                 SendNow sendNow, platform::Clock& clock) {
    const sms::FileTime created = LocalFileTime(clock);
    PropArray props;
    int copied = 0;
    const std::size_t rowCount = sentList.Count();
    for (std::size_t row = 0; row < rowCount; ++row) {
        if (!sentList.IsSelected(row))
            continue;
        const ObjectId id = sentList.ItemData(row);
        if (sent.SeekToId(id) == 0 || !sent.ReadRecord(props).Read(id))
            continue;
        const std::optional<SentRecord> original = AsSentRecord(props);
        if (!original)
            continue;
        const OutboxRecord copy{original->RecipientNumber, original->RecipientName, created,
                                original->Text, static_cast<std::int32_t>(sendNow)};
        if (outbox.WriteRecord(0, ToProps(copy)) != 0)
            ++copied;
    }
    return copied;
}

}  // namespace mivex::store
