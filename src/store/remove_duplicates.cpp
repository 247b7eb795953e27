#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "store/inbox_maintenance.h"
#include "store/message_records.h"

namespace mivex::store {

namespace {

// What makes two records the same message.
using MessageKey = std::tuple<sms::FileTime, std::u16string, std::u16string, std::int32_t,
                              std::int32_t, std::int32_t, std::int32_t>;

struct Copy {
    ObjectId id = 0;
    bool unread = false;
};

MessageKey KeyOf(InboxRecord& record) {
    return {record.TimeStamp,       std::move(record.SenderNumber),
            std::move(record.Text), record.IsPart,
            record.PartRef,         record.PartCount,
            record.PartSeq};
}

}  // namespace

// Walking the folder and letting each record delete the unread copies of
// itself comes to this: the first copy of a message deletes every other
// unread copy, and the first read copy after it deletes the first copy too
// when that one is unread. So where any copy was read, all unread copies go;
// where none was, all but the first go.
int RemoveDuplicates(Folder& inbox) {
    std::map<MessageKey, std::vector<Copy>> messages;
    std::vector<ObjectId> misshapen;
    PropArray props;
    (void)ScanRecords(inbox, props, [&](ObjectId id, const PropArray& read) {
        std::optional<InboxRecord> record = AsInboxRecord(read);
        if (!record) {
            misshapen.push_back(id);
            return;
        }
        messages[KeyOf(*record)].push_back({id, record->Unread != 0});
    });

    std::vector<ObjectId> copies;
    for (const auto& [key, found] : messages) {
        const bool anyRead =
            std::any_of(found.begin(), found.end(), [](const Copy& copy) { return !copy.unread; });
        for (std::size_t index = anyRead ? 0 : 1; index < found.size(); ++index) {
            if (found[index].unread)
                copies.push_back(found[index].id);
        }
    }
    if (copies.empty() && misshapen.empty())
        return 0;

    int deleted = 0;
    const bool committed = inbox.Atomically([&] {
        // A record of the wrong shape that will not go is tried again next time.
        for (const ObjectId id : misshapen)
            (void)inbox.DeleteRecord(id);
        for (const ObjectId id : copies) {
            if (inbox.DeleteRecord(id))
                ++deleted;
        }
        return true;
    });
    return committed ? deleted : 0;
}

}  // namespace mivex::store
