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

// Every behaviour is checked on the product's single-scan steps and on the
// rescanning oracle, so the oracle the property test trusts is itself checked.
enum class Steps { SingleScan, Rescanning };

int Join(Steps steps, Folder& inbox) {
    return steps == Steps::SingleScan ? JoinParts(inbox) : RescanningJoinParts(inbox);
}
int Dedupe(Steps steps, Folder& inbox) {
    return steps == Steps::SingleScan ? RemoveDuplicates(inbox) : RescanningRemoveDuplicates(inbox);
}

class InboxMaintenance : public StoreTest, public ::testing::WithParamInterface<Steps> {
protected:
    void Add(const InboxRecord& record) { Write(*inbox, ToProps(record)); }
    std::vector<InboxRecord> Records() { return ReadInbox(*inbox); }

    FolderHandle inbox = Open(kInboxName, kInboxByDate);
};

INSTANTIATE_TEST_SUITE_P(BothWays, InboxMaintenance,
                         ::testing::Values(Steps::SingleScan, Steps::Rescanning),
                         [](const ::testing::TestParamInfo<Steps>& param) {
                             return param.param == Steps::SingleScan ? "SingleScan" : "Rescanning";
                         });

const sms::FileTime kNoon = At(2026, 3, 5, 12, 0);

TEST_P(InboxMaintenance, JoinsThePartsPresentAndMarksEveryGap) {
    struct Case {
        std::vector<int> present;
        int count;
        std::u16string text;
    };
    const std::u16string gap(kMissingPartGap);
    const std::u16string lead(kMissingPartLead);
    const std::vector<Case> cases = {
        {{1, 2, 3}, 3, u"onetwothree"},
        {{1, 3}, 3, u"one" + gap + u"three"},
        {{2, 3}, 3, lead + u"twothree"},
        // The Inbox holds nothing else: the missing tail is marked all the same.
        {{1, 2}, 3, u"onetwo" + gap},
        {{3}, 3, lead + u"three"},
        {{1}, 1, u"one"},
        {{3, 1}, 3, u"one" + gap + u"three"},
    };
    const std::u16string texts[] = {u"", u"one", u"two", u"three"};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.present));
        for (const int seq : c.present)
            Add(Part(u"+4477", 9, c.count, seq, texts[seq], kNoon + seq * 600'000'000ULL));
        int lowest = 4;
        for (const int seq : c.present)
            lowest = std::min(lowest, seq);

        EXPECT_EQ(Join(GetParam(), *inbox), 1);
        EXPECT_EQ(Records(),
                  (std::vector{Whole(u"+4477", c.text, kNoon + lowest * 600'000'000ULL)}));
        while (const ObjectId id = inbox->SeekBeginning())
            ASSERT_TRUE(inbox->DeleteRecord(id));
    }
}

TEST_P(InboxMaintenance, JoinedTextIsCutAtTheBufferLimit) {
    const std::u16string first(6000, u'a');
    const std::u16string second(6000, u'b');
    Add(Part(u"+1", 1, 2, 1, first, kNoon));
    Add(Part(u"+1", 1, 2, 2, second, kNoon));

    EXPECT_EQ(Join(GetParam(), *inbox), 1);
    const std::vector<InboxRecord> records = Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].Text, first + second.substr(0, kMaxJoinedTextChars - 6000));
}

TEST_P(InboxMaintenance, ReadCopyOrElseTheFirstCopyStays) {
    // Whichever copy comes first, the one the user has read stays.
    for (const bool readFirst : {true, false}) {
        SCOPED_TRACE(readFirst);
        InboxRecord read = Whole(u"+1", u"hello", kNoon, 0);
        read.SenderName = u"read";
        InboxRecord unread = Whole(u"+1", u"hello", kNoon, 1);
        Add(readFirst ? read : unread);
        Add(readFirst ? unread : read);
        EXPECT_EQ(Dedupe(GetParam(), *inbox), 1);
        EXPECT_EQ(Records(), std::vector{read});
        ASSERT_TRUE(inbox->DeleteRecord(inbox->SeekBeginning()));
    }
    for (const char16_t* name : {u"first", u"second", u"third"}) {
        InboxRecord copy = Whole(u"+1", u"hello", kNoon);
        copy.SenderName = name;
        Add(copy);
    }
    EXPECT_EQ(Dedupe(GetParam(), *inbox), 2);
    ASSERT_EQ(Records().size(), 1u);
    EXPECT_EQ(Records()[0].SenderName, u"first");
}

// Joining leaves few parts for the random Inboxes' copies: the fields
// compared are checked here one by one.
TEST_P(InboxMaintenance, CopiesDifferingInAnyComparedFieldStay) {
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
    EXPECT_EQ(Dedupe(GetParam(), *inbox), 1);
    EXPECT_EQ(Records().size(), 8u);
}

// Random Inboxes full of what a phone and earlier receives leave behind.
class InboxGenerator {
public:
    explicit InboxGenerator(unsigned seed) : random_(seed) {}

    std::vector<PropArray> Make() {
        std::vector<PropArray> records;
        std::vector<InboxRecord> made;
        const int size = Pick(0, 80);
        for (int index = 0; index < size; ++index) {
            const int roll = Pick(0, 99);
            InboxRecord record;
            if (roll < 15 && !made.empty()) {
                record = made[static_cast<std::size_t>(Pick(0, int(made.size()) - 1))];
                record.Unread = Pick(0, 2) == 0 ? 0 : 1;
            } else if (roll < 70) {
                record = Part(Sender(), Pick(0, 2), Count(), 0, Text(), Time(), Unread());
                record.PartSeq = Seq(record.PartCount);
            } else {
                record = Whole(Sender(), Text(), Time(), Unread());
            }
            if (Pick(0, 9) == 0)
                record.SenderName = u"Ann";
            made.push_back(record);
            PropArray props = ToProps(record);
            if (roll >= 95)
                props.pop_back();
            else if (roll >= 91)
                props.push_back(PropVal::I4(10, 0));
            records.push_back(std::move(props));
        }
        return records;
    }

private:
    int Pick(int low, int high) { return std::uniform_int_distribution(low, high)(random_); }
    std::u16string Sender() {
        return Pick(0, 2) == 0 ? u"+4470001" : Pick(0, 1) ? u"07002" : u"+3";
    }
    int Count() { return Pick(0, 9) == 0 ? Pick(-1, 300) : Pick(1, 4); }
    int Seq(int count) {
        const int roll = Pick(0, 19);
        if (roll == 0)
            return 70000;
        if (roll == 1)
            return Pick(-2, 0);
        return Pick(1, std::max(1, count + 1));
    }
    int Unread() { return Pick(0, 3) == 0 ? 0 : 1; }
    std::u16string Text() {
        const std::u16string texts[] = {u"a", u"b", u"hello", u"line\r\nbreak", u""};
        return texts[Pick(0, 4)];
    }
    sms::FileTime Time() { return kNoon + static_cast<sms::FileTime>(Pick(0, 4)) * 10'000'000; }

    std::mt19937 random_;
};

std::optional<std::u16string> DirectoryName(std::u16string_view number) {
    if (number == u"+4470001")
        return u"Ann Lee";
    if (number == u"07002")
        return u"";
    return std::nullopt;
}

TEST_F(StoreTest, SingleScanInboxMaintenanceLeavesTheSameFolderAsRescanning) {
    TempDir oracleDir;
    Store oracleStore(oracleDir.path(), sounds);
    FolderHandle product = Open(kInboxName, kInboxByDate);
    FolderHandle oracle = oracleStore.OpenFolder(kInboxName, kInboxByDate);
    int totalJoined = 0;
    int totalRemoved = 0;
    for (unsigned seed = 1; seed <= 30; ++seed) {
        SCOPED_TRACE(seed);
        const std::vector<PropArray> records = InboxGenerator(seed).Make();
        for (Folder* folder : {&*product, &*oracle}) {
            ASSERT_TRUE(folder->Atomically([&] {
                while (const ObjectId id = folder->SeekBeginning()) {
                    if (!folder->DeleteRecord(id))
                        return false;
                }
                for (const PropArray& props : records)
                    Write(*folder, props);
                return true;
            }));
        }

        // The oracle's many small writes go in one transaction: its result
        // is what counts here, not its durability, and the test stays quick.
        const auto inOneStep = [&](auto step) {
            int result = 0;
            EXPECT_TRUE(oracle->Atomically([&] {
                result = step(*oracle);
                return true;
            }));
            return result;
        };
        const int joined = JoinParts(*product);
        ASSERT_EQ(joined, inOneStep(RescanningJoinParts));
        ASSERT_EQ(ReadAll(*product), ReadAll(*oracle)) << "after joining";
        const int removed = RemoveDuplicates(*product);
        ASSERT_EQ(removed, inOneStep(RescanningRemoveDuplicates));
        totalJoined += joined;
        totalRemoved += removed;
        ASSERT_EQ(ReadAll(*product), ReadAll(*oracle)) << "after removing duplicates";
        std::vector<std::u16string> productAsked;
        std::vector<std::u16string> oracleAsked;
        FillSenderNames(*product, [&](std::u16string_view number) {
            productAsked.emplace_back(number);
            return DirectoryName(number);
        });
        inOneStep([&](Folder& folder) {
            RescanningFillSenderNames(folder, [&](std::u16string_view number) {
                oracleAsked.emplace_back(number);
                return DirectoryName(number);
            });
            return 0;
        });
        ASSERT_EQ(ReadAll(*product), ReadAll(*oracle)) << "after naming";
        // Every name found is non-empty, so the rescanning way too asks for
        // each number once, in the order of its first new record.
        ASSERT_EQ(productAsked, oracleAsked);
    }
    // The Inboxes made gave both steps plenty to do.
    EXPECT_GT(totalJoined, 300);
    EXPECT_GT(totalRemoved, 60);
}

}  // namespace
}  // namespace mivex::store::tests
