#include "inbox_maintenance_oracle.h"

#include <cstdint>
#include <optional>
#include <string>

#include "store/message_records.h"

namespace mivex::testing {

using store::InboxRecord;
using store::ObjectId;
using store::PropArray;

namespace {

// The next record read whole, passing over damaged ones; 0 at the end.
ObjectId NextReadable(store::Folder& inbox, PropArray& props) {
    for (;;) {
        const store::RecordRead read = inbox.ReadRecord(props);
        if (!read.Damaged())
            return read.Readable() ? read.id : 0;
    }
}

std::optional<InboxRecord> ReadById(store::Folder& inbox, ObjectId id, PropArray& props) {
    if (inbox.SeekToId(id) != id || !inbox.ReadRecord(props).Read(id))
        return std::nullopt;
    return store::AsInboxRecord(props);
}

// The lowest-numbered part of the message `of` numbered above `above`, or of
// any message when `of` is null; the earliest record wins ties. Records of
// the wrong shape met on the way are deleted when `deleteMisshapen` is set.
ObjectId FindLowestPart(store::Folder& inbox, const InboxRecord* of, std::int64_t above,
                        std::int64_t ceiling, bool deleteMisshapen) {
    PropArray props;
    ObjectId best = 0;
    std::int64_t bestSeq = ceiling;
    inbox.SeekBeginning();
    while (const ObjectId id = NextReadable(inbox, props)) {
        const std::optional<InboxRecord> record = store::AsInboxRecord(props);
        if (!record) {
            if (deleteMisshapen)
                (void)inbox.DeleteRecord(id);
            continue;
        }
        if (record->IsPart == 0 ||
            (of && (record->SenderNumber != of->SenderNumber || record->PartRef != of->PartRef ||
                    record->PartCount != of->PartCount)))
            continue;
        if (record->PartSeq > above && record->PartSeq < bestSeq) {
            best = id;
            bestSeq = record->PartSeq;
        }
    }
    return best;
}

// Gives the record its sender's name and the sort key that goes with it.
void Rename(store::Folder& inbox, ObjectId id, const std::u16string& name, sms::FileTime time) {
    const PropArray names{
        store::PropVal::String(store::inbox::kSenderName, name),
        store::PropVal::String(store::inbox::kSortKey, store::MakeSortKey(name, time))};
    (void)inbox.WriteRecord(id, names);
}

}  // namespace

int RescanningJoinParts(store::Folder& inbox) {
    int written = 0;
    PropArray props;
    for (;;) {
        if (inbox.SeekBeginning() == 0)
            break;
        const ObjectId startId = FindLowestPart(inbox, nullptr, INT64_MIN, 65536, true);
        if (startId == 0)
            break;
        const std::optional<InboxRecord> start = ReadById(inbox, startId, props);
        if (!start)
            break;
        std::u16string text;
        if (start->PartSeq != 1)
            text += store::kMissingPartLead;
        text += start->Text;
        (void)inbox.DeleteRecord(startId);

        std::int64_t current = start->PartSeq;
        while (current != start->PartCount) {
            // An emptied folder means no further part: the missing tail is
            // marked whether or not the Inbox holds anything else.
            const ObjectId nextId = inbox.SeekBeginning() == 0
                                        ? 0
                                        : FindLowestPart(inbox, &*start, current, INT64_MAX, false);
            const std::optional<InboxRecord> next =
                nextId == 0 ? std::nullopt : ReadById(inbox, nextId, props);
            if (!next) {
                text += store::kMissingPartGap;
                break;
            }
            if (next->PartSeq != current + 1)
                text += store::kMissingPartGap;
            text += next->Text;
            (void)inbox.DeleteRecord(nextId);
            current = next->PartSeq;
        }

        InboxRecord joined;
        joined.SenderNumber = start->SenderNumber;
        joined.TimeStamp = start->TimeStamp;
        joined.Text = text.substr(0, store::kMaxJoinedTextChars);
        joined.Unread = 1;
        if (inbox.WriteRecord(0, store::ToProps(joined)) == 0)
            break;
        ++written;
    }
    return written;
}

int RescanningRemoveDuplicates(store::Folder& inbox) {
    int deleted = 0;
    PropArray propsA;
    PropArray propsB;
    if (inbox.SeekBeginning() == 0)
        return 0;
    for (;;) {
        const ObjectId idA = NextReadable(inbox, propsA);
        if (idA == 0)
            break;
        const std::optional<InboxRecord> a = store::AsInboxRecord(propsA);
        if (!a) {
            (void)inbox.DeleteRecord(idA);
            continue;
        }
        inbox.SeekBeginning();
        while (const ObjectId idB = NextReadable(inbox, propsB)) {
            const std::optional<InboxRecord> b = store::AsInboxRecord(propsB);
            if (idB == idA || !b || b->Unread == 0)
                continue;
            if (b->TimeStamp == a->TimeStamp && b->SenderNumber == a->SenderNumber &&
                b->Text == a->Text && b->IsPart == a->IsPart && b->PartRef == a->PartRef &&
                b->PartCount == a->PartCount && b->PartSeq == a->PartSeq) {
                if (inbox.DeleteRecord(idB))
                    ++deleted;
            }
        }
        if (inbox.SeekToId(idA) != idA || inbox.SeekForward(1) == 0)
            break;
    }
    return deleted;
}

void RescanningFillSenderNames(store::Folder& inbox, const store::ContactNameLookup& lookup) {
    PropArray props;
    if (inbox.SeekBeginning() == 0)
        return;
    for (;;) {
        const ObjectId idR = NextReadable(inbox, props);
        if (idR == 0)
            return;
        const std::optional<InboxRecord> r = store::AsInboxRecord(props);
        if (!r || r->Unread == 0 || !r->SenderName.empty())
            continue;
        const std::u16string number = r->SenderNumber;
        std::optional<std::u16string> found = lookup(number);
        const std::u16string name = found && !found->empty() ? *found : number;
        Rename(inbox, idR, name, r->TimeStamp);

        // The rest of the folder: the same number's other new records.
        std::uint32_t position = 0;
        inbox.SeekToId(idR, &position);
        inbox.SeekForward(1);
        while (const ObjectId id = NextReadable(inbox, props)) {
            const std::optional<InboxRecord> other = store::AsInboxRecord(props);
            if (!other || other->Unread == 0 || other->SenderNumber != number ||
                !other->SenderName.empty())
                continue;
            Rename(inbox, id, name, other->TimeStamp);
        }
        if (inbox.SeekToId(idR, &position) != idR || inbox.SeekBeginning(position + 1) == 0)
            return;
    }
}

}  // namespace mivex::testing
