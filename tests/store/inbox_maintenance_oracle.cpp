#include "inbox_maintenance_oracle.h"

#include <cstdint>
#include <optional>
#include <string>

#include "store/message_records.h"

namespace mivex::testing {

using store::Folder;
using store::InboxRecord;
using store::ObjectId;
using store::PropArray;

namespace {

// The next record read whole, passing over damaged ones; 0 at the end.
ObjectId NextReadable(Folder& inbox, PropArray& props) {
    for (;;) {
        const store::RecordRead read = inbox.ReadRecord(props);
        if (!read.Damaged())
            return read.Readable() ? read.id : 0;
    }
}

// The record of that id, none for 0.
std::optional<InboxRecord> ReadById(Folder& inbox, ObjectId id, PropArray& props) {
    if (id == 0 || inbox.SeekToId(id) != id || !inbox.ReadRecord(props).Read(id))
        return std::nullopt;
    return store::AsInboxRecord(props);
}

// The lowest-numbered part of the message `of` numbered above `above`, or of
// any message when `of` is null; the earliest record wins ties. Records of
// the wrong shape met on the way are deleted when `deleteMisshapen` is set.
ObjectId FindLowestPart(Folder& inbox, const InboxRecord* of, std::int64_t above,
                        std::int64_t ceiling, bool deleteMisshapen) {
    PropArray props;
    ObjectId best = 0;
    std::int64_t bestSeq = ceiling;
    if (inbox.SeekBeginning() == 0)
        return 0;
    while (const ObjectId id = NextReadable(inbox, props)) {
        const std::optional<InboxRecord> r = store::AsInboxRecord(props);
        if (!r) {
            if (deleteMisshapen)
                (void)inbox.DeleteRecord(id);
        } else if (r->IsPart != 0 && r->PartSeq > above && r->PartSeq < bestSeq &&
                   (!of || (r->SenderNumber == of->SenderNumber && r->PartRef == of->PartRef &&
                            r->PartCount == of->PartCount))) {
            best = id;
            bestSeq = r->PartSeq;
        }
    }
    return best;
}

// Gives the record its sender's name and the sort key that goes with it.
void Rename(Folder& inbox, ObjectId id, const std::u16string& name, sms::FileTime time) {
    const PropArray names{
        store::PropVal::String(store::inbox::kSenderName, name),
        store::PropVal::String(store::inbox::kSortKey, store::MakeSortKey(name, time))};
    (void)inbox.WriteRecord(id, names);
}

}  // namespace

int RescanningJoinParts(Folder& inbox) {
    int written = 0;
    PropArray props;
    for (;;) {
        const ObjectId startId = FindLowestPart(inbox, nullptr, INT64_MIN, 65536, true);
        const std::optional<InboxRecord> start = ReadById(inbox, startId, props);
        if (!start)
            break;
        std::u16string text(start->PartSeq != 1 ? store::kMissingPartLead : u"");
        text += start->Text;
        (void)inbox.DeleteRecord(startId);

        // An emptied folder means no further part: the missing tail is
        // marked whether or not the Inbox holds anything else.
        for (std::int64_t current = start->PartSeq; current != start->PartCount;) {
            const ObjectId nextId = FindLowestPart(inbox, &*start, current, INT64_MAX, false);
            const std::optional<InboxRecord> next = ReadById(inbox, nextId, props);
            if (!next || next->PartSeq != current + 1)
                text += store::kMissingPartGap;
            if (!next)
                break;
            text += next->Text;
            (void)inbox.DeleteRecord(nextId);
            current = next->PartSeq;
        }

        InboxRecord joined;  // whole, and unread
        joined.SenderNumber = start->SenderNumber;
        joined.TimeStamp = start->TimeStamp;
        joined.Text = text.substr(0, store::kMaxJoinedTextChars);
        if (inbox.WriteRecord(0, store::ToProps(joined)) == 0)
            break;
        ++written;
    }
    return written;
}

int RescanningRemoveDuplicates(Folder& inbox) {
    int deleted = 0;
    PropArray propsA;
    PropArray propsB;
    if (inbox.SeekBeginning() == 0)
        return 0;
    while (const ObjectId idA = NextReadable(inbox, propsA)) {
        const std::optional<InboxRecord> a = store::AsInboxRecord(propsA);
        if (!a) {
            (void)inbox.DeleteRecord(idA);
            continue;
        }
        inbox.SeekBeginning();
        while (const ObjectId idB = NextReadable(inbox, propsB)) {
            const std::optional<InboxRecord> b = store::AsInboxRecord(propsB);
            const bool copy = idB != idA && b && b->Unread != 0 && b->TimeStamp == a->TimeStamp &&
                              b->SenderNumber == a->SenderNumber && b->Text == a->Text &&
                              b->IsPart == a->IsPart && b->PartRef == a->PartRef &&
                              b->PartCount == a->PartCount && b->PartSeq == a->PartSeq;
            if (copy && inbox.DeleteRecord(idB))
                ++deleted;
        }
        if (inbox.SeekToId(idA) != idA || inbox.SeekForward(1) == 0)
            break;
    }
    return deleted;
}

void RescanningFillSenderNames(Folder& inbox, const store::ContactNameLookup& lookup) {
    PropArray props;
    if (inbox.SeekBeginning() == 0)
        return;
    while (const ObjectId idR = NextReadable(inbox, props)) {
        const std::optional<InboxRecord> r = store::AsInboxRecord(props);
        if (!r || r->Unread == 0 || !r->SenderName.empty())
            continue;
        const std::u16string number = r->SenderNumber;
        const std::optional<std::u16string> found = lookup(number);
        const std::u16string name = found && !found->empty() ? *found : number;
        Rename(inbox, idR, name, r->TimeStamp);

        // The rest of the folder: the same number's other new records.
        std::uint32_t position = 0;
        inbox.SeekToId(idR, &position);
        inbox.SeekForward(1);
        while (const ObjectId id = NextReadable(inbox, props)) {
            const std::optional<InboxRecord> other = store::AsInboxRecord(props);
            if (other && other->Unread != 0 && other->SenderNumber == number &&
                other->SenderName.empty())
                Rename(inbox, id, name, other->TimeStamp);
        }
        if (inbox.SeekToId(idR, &position) != idR || inbox.SeekBeginning(position + 1) == 0)
            return;
    }
}

}  // namespace mivex::testing
