#include "store/inbox_writer.h"

#include "store/message_records.h"

namespace mivex::store {

StoredDeliver StoreDeliverPdu(std::span<const std::uint8_t> pdu, Folder& inbox,
                              const ContactNameLookup* names) {
    const sms::DeliverDecodeResult decoded = sms::DecodeDeliver(pdu);
    if (!decoded.decoded())
        return {decoded.status};
    return StoreDeliverMessage(decoded.message, inbox, names);
}

StoredDeliver StoreDeliverMessage(const sms::DeliverMessage& message, Folder& inbox,
                                  const ContactNameLookup* names) {
    StoredDeliver result{sms::DecodeStatus::Decoded};
    InboxRecord record;
    record.SenderNumber = message.SenderNumber;
    record.TimeStamp = message.TimeStamp;
    record.Text = message.Text;
    record.IsPart = message.IsPart;
    record.PartRef = message.PartRef;
    record.PartCount = message.PartCount;
    record.PartSeq = message.PartSeq;
    // New until shown; the names come later, from the contacts.
    record.Unread = 1;
    record.SenderName.clear();
    record.SortKey.clear();
    if (names != nullptr && record.IsPart == 0) {
        // The number stands in for a sender the contacts do not know.
        const std::optional<std::u16string> name =
            *names ? (*names)(record.SenderNumber) : std::nullopt;
        record.SenderName = name && !name->empty() ? *name : record.SenderNumber;
        record.SortKey = MakeSortKey(record.SenderName, record.TimeStamp);
    }

    result.id = inbox.WriteRecord(0, ToProps(record));
    result.whole = result.id != 0 && record.IsPart == 0;
    return result;
}

int DecodeDeliverPdu(std::span<const std::uint8_t> pdu, Folder& inbox) {
    return StoreDeliverPdu(pdu, inbox).whole ? 1 : 0;
}

}  // namespace mivex::store
