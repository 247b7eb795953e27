// Inbox maintenance checked against the rescanning oracle on random Inboxes,
// and the cases such Inboxes seldom reach.

#include "store/inbox_maintenance.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "inbox_maintenance_oracle.h"
#include "store_fixture.h"

namespace mivex::store::tests {
namespace {

using mivex::testing::RescanningFillSenderNames;
using mivex::testing::RescanningJoinParts;
using mivex::testing::RescanningRemoveDuplicates;

struct InboxMaintenance : StoreTest {
    void Add(const InboxRecord& record) { Write(*inbox, ToProps(record)); }
    FolderHandle inbox = Open(kInboxName, kInboxByDate);
};

const sms::FileTime kNoon = At(2026, 3, 5, 12, 0);

// The random Inboxes' texts are short.
TEST_F(InboxMaintenance, JoinedTextIsCutAtTheBufferLimit) {
    const std::u16string first(6000, u'a');
    const std::u16string second(6000, u'b');
    Add(Part(u"+1", 1, 2, 1, first, kNoon));
    Add(Part(u"+1", 1, 2, 2, second, kNoon));
    EXPECT_EQ(JoinParts(*inbox), 1);
    EXPECT_EQ(
        ReadInbox(*inbox),
        std::vector{Whole(u"+1", first + second.substr(0, kMaxJoinedTextChars - 6000), kNoon)});
}

// Joining leaves few parts for the random Inboxes' copies, and no record of
// the wrong shape: the fields compared are checked here one by one.
TEST_F(InboxMaintenance, CopiesDifferingInAnyComparedFieldStay) {
    const InboxRecord base = Part(u"+1", 5, 3, 2, u"text", kNoon);
    std::vector<InboxRecord> variants(8, base);
    variants[0].TimeStamp += 1;
    variants[1].SenderNumber = u"+2";
    variants[2].Text = u"Text";
    variants[3].IsPart = 2;
    variants[4].PartRef = 6;
    variants[5].PartCount = 4;
    variants[6].PartSeq = 3;
    variants[7].SenderName = u"Ann";  // not compared: the one copy removed
    Add(base);
    for (const InboxRecord& variant : variants)
        Add(variant);
    Write(*inbox, PropArray(9, PropVal::I4(1, 0)));
    EXPECT_EQ(RemoveDuplicates(*inbox), 1);
    EXPECT_EQ(ReadAll(*inbox).size(), 8u);
}

// Random Inboxes full of what a phone and earlier receives leave behind:
// copies, parts with odd counts and numbers, records of the wrong shape.
std::vector<PropArray> RandomInbox(unsigned seed) {
    std::mt19937 random(seed);
    const auto pick = [&](int low, int high) {
        return std::uniform_int_distribution(low, high)(random);
    };
    const std::u16string texts[] = {u"a", u"b", u"hello", u"line\r\nbreak", u""};
    std::vector<PropArray> records;
    std::vector<InboxRecord> made;
    for (int index = 0, size = pick(0, 80); index < size; ++index) {
        const int roll = pick(0, 99);
        InboxRecord record;
        if (roll < 15 && !made.empty()) {
            record = made[static_cast<std::size_t>(pick(0, int(made.size()) - 1))];
            record.Unread = pick(0, 2) == 0 ? 0 : 1;
        } else {
            record.Unread = pick(0, 3) == 0 ? 0 : 1;
            record.TimeStamp = kNoon + static_cast<sms::FileTime>(pick(0, 4)) * 10'000'000;
            record.Text = texts[pick(0, 4)];
            record.SenderNumber = pick(0, 2) == 0 ? u"+4470001" : pick(0, 1) ? u"07002" : u"+3";
        }
        if (roll >= 15 && roll < 70) {
            record.IsPart = 1;
            record.PartRef = pick(0, 2);
            record.PartCount = pick(0, 9) == 0 ? pick(-1, 300) : pick(1, 4);
            const int seq = pick(0, 19);
            record.PartSeq = seq == 0   ? 70000
                             : seq == 1 ? pick(-2, 0)
                                        : pick(1, std::max(1, record.PartCount + 1));
        }
        if (pick(0, 9) == 0)
            record.SenderName = u"Ann";
        made.push_back(record);
        records.push_back(ToProps(record));
        if (roll >= 95)
            records.back().pop_back();
        else if (roll >= 91)
            records.back().push_back(PropVal::I4(10, 0));
    }
    return records;
}

// A directory that knows one number and holds an empty name for another.
std::optional<std::u16string> DirectoryName(std::u16string_view number) {
    return number == u"+4470001" ? u"Ann Lee"
           : number == u"07002"  ? u""
                                 : std::optional<std::u16string>();
}

TEST(InboxMaintenanceOracle, SingleScanLeavesTheSameFolderAsRescanning) {
    int totalJoined = 0;
    int totalRemoved = 0;
    for (unsigned seed = 1; seed <= 30; ++seed) {
        SCOPED_TRACE(seed);
        TempDir productDir, oracleDir;
        mivex::testing::CountingSounds sounds;
        Store productStore(productDir.path(), sounds), oracleStore(oracleDir.path(), sounds);
        FolderHandle product = productStore.OpenFolder(kInboxName, kInboxByDate);
        FolderHandle oracle = oracleStore.OpenFolder(kInboxName, kInboxByDate);
        const std::vector<PropArray> records = RandomInbox(seed);
        // The oracle's many small writes go in one transaction: its result
        // is what counts here, not its durability, and the test stays quick.
        const auto inOneStep = [](Folder& folder, auto step) {
            int result = 0;
            EXPECT_TRUE(folder.Atomically([&] { return (result = step(folder)), true; }));
            return result;
        };
        for (Folder* folder : {&*product, &*oracle}) {
            inOneStep(*folder, [&](Folder& f) {
                for (const PropArray& props : records)
                    Write(f, props);
                return 0;
            });
        }

        const int joined = JoinParts(*product);
        ASSERT_EQ(joined, inOneStep(*oracle, RescanningJoinParts));
        ASSERT_EQ(ReadAll(*product), ReadAll(*oracle)) << "after joining";
        const int removed = RemoveDuplicates(*product);
        ASSERT_EQ(removed, inOneStep(*oracle, RescanningRemoveDuplicates));
        ASSERT_EQ(ReadAll(*product), ReadAll(*oracle)) << "after removing duplicates";
        totalJoined += joined;
        totalRemoved += removed;
        std::vector<std::u16string> productAsked, oracleAsked;
        const auto askedBy = [](std::vector<std::u16string>& asked) {
            return [&asked](std::u16string_view number) {
                asked.emplace_back(number);
                return DirectoryName(number);
            };
        };
        FillSenderNames(*product, askedBy(productAsked));
        inOneStep(*oracle, [&](Folder& f) {
            RescanningFillSenderNames(f, askedBy(oracleAsked));
            return 0;
        });
        ASSERT_EQ(ReadAll(*product), ReadAll(*oracle)) << "after naming";
        // Every name found is non-empty, so the rescanning way too asks for
        // each number once, in the order of its first new record.
        ASSERT_EQ(productAsked, oracleAsked);
    }
    // The Inboxes made gave both steps plenty to do.
    EXPECT_TRUE(totalJoined > 300 && totalRemoved > 60) << totalJoined << " " << totalRemoved;
}

}  // namespace
}  // namespace mivex::store::tests
