// The receive run: which slots it reads, what it shows, what it leaves on the
// phone and what it stores.

#include "transfer/receive_run.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "phone/phone_link.h"
#include "phone_fixtures.h"
#include "sms/hex_text.h"
#include "store/inbox_writer.h"
#include "transfer_fixture.h"

namespace mivex::transfer::test {
namespace {

using phonesim::FaultKind;
using phonesim::test::Fault;
using phonesim::test::Plan;

const std::u16string S(kSearchingText);

std::u16string R(int n) {
    return WithCount(u"Receiving message ", n);
}
std::u16string D(int n) {
    return WithCount(u"Deleting message ", n);
}

// A linked run's texts: the scan, then the count of new messages, or the
// count read when some were left unread or unstored on the phone.
Events Run(const Events& scan, std::u16string last) {
    Events events{std::u16string(kLinked)};
    events.insert(events.end(), scan.begin(), scan.end());
    events.insert(events.end(), {u"Please wait, looking up names..", last});
    return events;
}
Events Completed(const Events& scan, int newMessages) {
    return Run(scan, WithCount(u"You have ", newMessages, u" new messages.."));
}
Events Incomplete(const Events& scan, int received) {
    return Run(scan, Coloured(1, 2, IncompleteText(received)));
}

bool EndsIncomplete(const Events& events) {
    return !events.empty() && events.back().starts_with(Coloured(1, 2, kIncompleteLead));
}

std::vector<int> Slots(const phonesim::MessageStore& store) {
    std::vector<int> slots;
    for (const auto& [slot, message] : store.Messages())
        slots.push_back(slot);
    return slots;
}

// A status report, a SUBMIT the phone keeps and a DELIVER cut short inside its
// originator address: none of them becomes an Inbox record.
const Octets kStatusReport =
    sms::HexToBytes("0006010B914477000910F2423051419500404230514195004000");
const Octets kKeptSubmit = sms::HexToBytes(phonesim::test::kHiSubmit);
const Octets kBrokenDeliver = sms::HexToBytes("0004140000000000000000000000");

struct ReceiveCase {
    const char* name;
    int capacity;
    std::map<int, Octets> phoneMemory;
    std::map<int, Octets> sim;
    bool deleteAfterReceive;
    phonesim::FaultPlan faults;
    bool readOnlyStore;
    Events events;  // after the start-up
    std::vector<int> phoneMemoryKept;
    std::vector<int> simKept;
    std::vector<std::u16string> inboxTexts;  // sorted
};

class ReceiveRun : public TransferOnPty {};

TEST_F(ReceiveRun, ReadsUsedSlotsAndDeletesOnlyWhatIsStored) {
    const Octets one = Delivered(u"one")[0];
    const Octets two = Delivered(u"two")[0];
    const Octets three = Delivered(u"three")[0];
    const std::u16string longText(400, u'x');
    const std::vector<Octets> parts = Delivered(longText, 42);
    ASSERT_EQ(parts.size(), 3u);
    phonesim::FaultPlan emptySlotError;
    emptySlotError.emptySlotError = true;

    const phonesim::FaultPlan none;
    const phonesim::FaultPlan cmsOnSlot2 = Plan({Fault(FaultKind::CmsError, "+CMGR=2 500")});
    const phonesim::FaultPlan cutOnSlot2 = Plan({Fault(FaultKind::Cut, "+CMGR=2 20")});
    const phonesim::FaultPlan refusedDelete = Plan({Fault(FaultKind::Error, "+CMGD")});
    // clang-format off
    const std::vector<ReceiveCase> cases = {
        {"scan ends at the last used slot", 20, {{2, one}, {5, two}, {9, three}}, {}, false, none,
         false, Completed({S, R(1), S, S, R(2), S, S, S, R(3)}, 3), {2, 5, 9}, {},
         {u"one", u"three", u"two"}},
        {"empty slots answering +CMS ERROR", 20, {{2, one}, {5, two}, {9, three}}, {}, false,
         emptySlotError, false, Completed({S, R(1), S, S, R(2), S, S, S, R(3)}, 3), {2, 5, 9}, {},
         {u"one", u"three", u"two"}},
        {"numbering goes on into the SIM", 5, {{1, one}, {2, two}, {3, three}}, {{2, one}}, true,
         none, false, Completed({R(1), D(1), R(2), D(2), R(3), D(3), S, R(4), D(4)}, 3), {}, {},
         {u"one", u"three", u"two"}},
        {"a store with none used is not read", 20, {}, {{3, two}}, false, none, false,
         Completed({S, S, R(1)}, 1), {}, {3}, {u"two"}},
        {"what is not stored stays on the phone", 5,
         {{1, kStatusReport}, {2, kKeptSubmit}, {3, kBrokenDeliver}, {4, one}}, {}, true, none,
         false, Completed({R(1), R(2), R(3), R(4), D(4)}, 1), {1, 2, 3}, {}, {u"one"}},
        {"a failed write deletes nothing", 5, {{1, one}, {2, two}}, {}, true, none, true,
         Incomplete({R(1), R(2)}, 2), {1, 2}, {}, {}},
        {"parts are joined into one message", 5,
         {{1, parts[0]}, {2, parts[1]}, {3, parts[2]}, {4, two}}, {}, false, none, false,
         Completed({R(1), R(2), R(3), R(4)}, 2), {1, 2, 3, 4}, {}, {u"two", longText}},
        {"a slot answering +CMS ERROR is searched past", 4, {{1, one}, {2, two}, {3, three}}, {},
         true, cmsOnSlot2, false, Incomplete({R(1), D(1), S, R(2), D(2), S}, 2), {2}, {},
         {u"one", u"three"}},
        {"a line cut mid-run keeps what was read", 4, {{1, one}, {2, two}, {3, three}}, {}, false,
         cutOnSlot2, false, Incomplete({R(1)}, 1), {1, 2, 3}, {}, {u"one"}},
        {"a refused deletion shows nothing", 5, {{1, one}}, {}, true, refusedDelete, false,
         Completed({R(1)}, 1), {1}, {}, {u"one"}},
    };
    // clang-format on
    for (const ReceiveCase& c : cases) {
        SCOPED_TRACE(c.name);
        log.events.clear();
        FreshStore();
        if (c.readOnlyStore) {
            ASSERT_TRUE(Open(store::kInboxName).valid());
            store->SetReadOnly(true);
        }
        store::FolderHandle inbox = Open(store::kInboxName);
        ASSERT_NO_FATAL_FAILURE(StartPhone(Stores(c.capacity, c.phoneMemory, c.sim), c.faults));
        options.integers[options::Option::DeleteAfterReceive] = c.deleteAfterReceive ? 1 : 0;

        EXPECT_EQ(ReceiveMessages(context, *inbox,
                                  [](std::u16string_view) { return std::u16string(u"Ann"); }),
                  EndsIncomplete(c.events) ? ReceiveResult::Incomplete : ReceiveResult::Complete);

        EXPECT_EQ(RunEvents(), c.events);
        const phonesim::PhoneStores kept = StopPhone();
        EXPECT_EQ(Slots(kept.phone), c.phoneMemoryKept);
        EXPECT_EQ(Slots(kept.sim), c.simKept);
        std::vector<std::u16string> texts;
        for (const store::PropArray& props : ReadAll(*inbox)) {
            const std::optional<store::InboxRecord> record = store::AsInboxRecord(props);
            ASSERT_TRUE(record.has_value());
            EXPECT_EQ(record->SenderName, u"Ann");
            texts.push_back(record->Text);
        }
        std::sort(texts.begin(), texts.end());
        EXPECT_EQ(texts, c.inboxTexts);
    }
}

TEST_F(ReceiveRun, WithoutConnectionLeavesTheInboxAlone) {
    // Parts waiting to be joined and records waiting for names stay as they are.
    store::FolderHandle inbox = Open(store::kInboxName);
    ASSERT_NE(store::StoreDeliverPdu(Delivered(std::u16string(200, u'y'))[0], *inbox).id, 0u);
    ASSERT_NE(store::StoreDeliverPdu(Delivered(u"one")[0], *inbox).id, 0u);
    const std::vector<store::PropArray> before = ReadAll(*inbox);
    options.strings[options::Option::Port] = (directory.path() / "no-such-port").u16string() + u":";
    int lookups = 0;

    EXPECT_EQ(ReceiveMessages(context, *inbox,
                              [&](std::u16string_view) {
                                  ++lookups;
                                  return std::optional<std::u16string>();
                              }),
              ReceiveResult::NoConnection);

    // Nothing follows the start-up's failure text.
    EXPECT_EQ(RunEvents().back(), Coloured(1, 2, phone::kFailedConnectText));
    EXPECT_EQ(ReadAll(*inbox), before);
    EXPECT_EQ(lookups, 0);
}

}  // namespace
}  // namespace mivex::transfer::test
