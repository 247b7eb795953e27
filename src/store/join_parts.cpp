#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "store/inbox_maintenance.h"
#include "store/message_records.h"

namespace mivex::store {

namespace {

// A pass starts only at a part numbered below this.
constexpr std::int64_t kFirstPartCeiling = 65536;

struct Part {
    ObjectId id = 0;
    InboxRecord record;
};

// Where a part stands among the parts of its message: by number, then by
// folder order, which is also the order in which ties are broken.
using PartSlot = std::pair<std::int64_t, std::size_t>;

struct JoinedMessage {
    InboxRecord record;
    std::vector<ObjectId> partIds;
};

struct InboxScan {
    std::vector<Part> parts;  // in folder order
    std::vector<ObjectId> misshapen;
};

InboxScan ScanInbox(Folder& inbox) {
    InboxScan scan;
    PropArray props;
    (void)ScanRecords(inbox, props, [&](ObjectId id, const PropArray& read) {
        std::optional<InboxRecord> record = AsInboxRecord(read);
        if (!record)
            scan.misshapen.push_back(id);
        else if (record->IsPart != 0)
            scan.parts.push_back({id, std::move(*record)});
    });
    return scan;
}

void AppendCapped(std::u16string& text, std::u16string_view more) {
    if (text.size() < kMaxJoinedTextChars)
        text.append(more.substr(0, kMaxJoinedTextChars - text.size()));
}

// Works out every joined message, in the order the passes make them. Parts
// are only ever taken away, so the lowest remaining starting part is found by
// walking one sorted list once, and the next part of a message by a lookup in
// that message's own ordered set.
std::vector<JoinedMessage> PlanJoins(const std::vector<Part>& parts) {
    using MessageKey = std::tuple<std::u16string, std::int32_t, std::int32_t>;
    std::map<MessageKey, std::set<PartSlot>> messages;
    std::vector<std::set<PartSlot>*> messageOf(parts.size());
    std::vector<PartSlot> starts;
    for (std::size_t index = 0; index < parts.size(); ++index) {
        const InboxRecord& record = parts[index].record;
        const PartSlot slot{record.PartSeq, index};
        std::set<PartSlot>& message =
            messages[{record.SenderNumber, record.PartRef, record.PartCount}];
        message.insert(slot);
        messageOf[index] = &message;
        if (slot.first < kFirstPartCeiling)
            starts.push_back(slot);
    }
    std::sort(starts.begin(), starts.end());

    std::vector<JoinedMessage> joins;
    std::vector<bool> taken(parts.size(), false);
    for (const PartSlot& start : starts) {
        if (taken[start.second])
            continue;
        const InboxRecord& first = parts[start.second].record;
        std::set<PartSlot>& message = *messageOf[start.second];
        JoinedMessage joined;
        joined.record.SenderNumber = first.SenderNumber;
        joined.record.TimeStamp = first.TimeStamp;
        joined.record.Unread = 1;
        joined.partIds.push_back(parts[start.second].id);
        std::u16string& text = joined.record.Text;
        if (start.first != 1)
            AppendCapped(text, kMissingPartLead);
        AppendCapped(text, first.Text);
        taken[start.second] = true;
        message.erase(start);

        std::int64_t current = start.first;
        while (current != first.PartCount) {
            const auto next = message.lower_bound({current + 1, 0});
            if (next == message.end()) {
                AppendCapped(text, kMissingPartGap);
                break;
            }
            const Part& part = parts[next->second];
            if (next->first != current + 1)
                AppendCapped(text, kMissingPartGap);
            AppendCapped(text, part.record.Text);
            joined.partIds.push_back(part.id);
            taken[next->second] = true;
            current = next->first;
            message.erase(next);
        }
        joins.push_back(std::move(joined));
    }
    return joins;
}

// The parts of messages that have every part from 1 to their count; the
// others are set aside.
std::vector<Part> CompleteSets(std::vector<Part> parts, bool& incompleteLeft) {
    using MessageKey = std::tuple<std::u16string, std::int32_t, std::int32_t>;
    std::map<MessageKey, std::set<std::int32_t>> numbers;
    for (const Part& part : parts) {
        const InboxRecord& record = part.record;
        numbers[{record.SenderNumber, record.PartRef, record.PartCount}].insert(record.PartSeq);
    }
    const auto complete = [&](const Part& part) {
        const InboxRecord& record = part.record;
        const std::set<std::int32_t>& seen =
            numbers[{record.SenderNumber, record.PartRef, record.PartCount}];
        return record.PartCount >= 1 &&
               static_cast<std::int64_t>(seen.size()) == record.PartCount && *seen.begin() == 1 &&
               *seen.rbegin() == record.PartCount;
    };
    const auto firstIncomplete = std::stable_partition(parts.begin(), parts.end(), complete);
    incompleteLeft = firstIncomplete != parts.end();
    parts.erase(firstIncomplete, parts.end());
    return parts;
}

int WriteJoins(Folder& inbox, const InboxScan& scan, const std::vector<JoinedMessage>& joins);

}  // namespace

int JoinParts(Folder& inbox) {
    const InboxScan scan = ScanInbox(inbox);
    return WriteJoins(inbox, scan, PlanJoins(scan.parts));
}

int JoinCompleteParts(Folder& inbox, bool& incompleteLeft) {
    const InboxScan scan = ScanInbox(inbox);
    return WriteJoins(inbox, scan, PlanJoins(CompleteSets(scan.parts, incompleteLeft)));
}

namespace {

int WriteJoins(Folder& inbox, const InboxScan& scan, const std::vector<JoinedMessage>& joins) {
    if (scan.misshapen.empty() && joins.empty())
        return 0;

    int written = 0;
    // One outer step keeps the whole run to one durable commit; each message
    // is a step of its own inside it, so a message whose write fails keeps
    // its parts and the ones joined before it still land.
    const bool committed = inbox.Atomically([&] {
        // A record of the wrong shape that will not go is tried again next time.
        for (const ObjectId id : scan.misshapen)
            (void)inbox.DeleteRecord(id);
        for (const JoinedMessage& joined : joins) {
            const bool landed = inbox.Atomically([&] {
                if (inbox.WriteRecord(0, ToProps(joined.record)) == 0)
                    return false;
                for (const ObjectId id : joined.partIds) {
                    if (!inbox.DeleteRecord(id))
                        return false;
                }
                return true;
            });
            if (!landed)
                break;
            ++written;
        }
        return true;
    });
    return committed ? written : 0;
}

}  // namespace

}  // namespace mivex::store
