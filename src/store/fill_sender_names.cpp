#include <string>
#include <unordered_map>
#include <vector>

#include "store/inbox_maintenance.h"
#include "store/message_records.h"

namespace mivex::store {

namespace {

struct Unnamed {
    ObjectId id = 0;
    std::u16string number;
    sms::FileTime timeStamp = 0;
};

std::vector<Unnamed> FindUnnamed(Folder& inbox) {
    std::vector<Unnamed> unnamed;
    PropArray props;
    (void)ScanRecords(inbox, props, [&](ObjectId id, const PropArray& read) {
        std::optional<InboxRecord> record = AsInboxRecord(read);
        if (record && record->Unread != 0 && record->SenderName.empty())
            unnamed.push_back({id, std::move(record->SenderNumber), record->TimeStamp});
    });
    return unnamed;
}

}  // namespace

void FillSenderNames(Folder& inbox, const ContactNameLookup& lookup) {
    const std::vector<Unnamed> unnamed = FindUnnamed(inbox);
    if (unnamed.empty())
        return;

    // A contacts lookup reads the whole directory, so each number is looked
    // up once, however many new messages it sent.
    std::unordered_map<std::u16string, std::u16string> names;
    for (const Unnamed& record : unnamed) {
        if (names.contains(record.number))
            continue;
        std::optional<std::u16string> name = lookup ? lookup(record.number) : std::nullopt;
        names.emplace(record.number, name && !name->empty() ? std::move(*name) : record.number);
    }

    // Names are shown only after a receive has finished, so they land in one
    // step; a failure leaves the records unnamed for the next receive to fill.
    (void)inbox.Atomically([&] {
        PropArray props(2);
        for (const Unnamed& record : unnamed) {
            const std::u16string& name = names.at(record.number);
            props[0] = PropVal::String(inbox::kSenderName, name);
            props[1] = PropVal::String(inbox::kSortKey, MakeSortKey(name, record.timeStamp));
            if (inbox.WriteRecord(record.id, props) == 0)
                return false;
        }
        return true;
    });
}

}  // namespace mivex::store
