// The cursor of an open folder: seeks, reads with and without auto-advance,
// and what happens to it when records are written and deleted under it.

#include <algorithm>
#include <map>
#include <random>

#include "fake_clock.h"
#include "store_fixture.h"

namespace mivex::store::tests {
namespace {

class CursorTest : public StoreTest {
protected:
    // Outbox records created at times 50, 40, 30, 20, 10 (written oldest
    // first): the folder reads them newest first.
    void SetUp() override {
        outbox = Open(kOutboxName);
        ASSERT_TRUE(outbox);
        for (sms::FileTime time : {10, 20, 30, 40, 50}) {
            ids.insert(ids.begin(), WriteOutbox(time, std::to_string(time)));
        }
    }

    ObjectId WriteOutbox(sms::FileTime time, const std::string& text) {
        OutboxRecord record;
        record.Created = time;
        record.Text.assign(text.begin(), text.end());
        return outbox->WriteRecord(0, ToProps(record));
    }

    std::vector<std::u16string> Texts() { return ReadAllTexts(*outbox, outbox::kText); }

    FolderHandle outbox;
    std::vector<ObjectId> ids;  // in read order
};

TEST_F(CursorTest, SeeksReportRecordsAndPositions) {
    EXPECT_EQ(outbox->SeekBeginning(0), ids[0]);
    EXPECT_EQ(outbox->SeekBeginning(3), ids[3]);
    EXPECT_EQ(outbox->SeekForward(1), ids[4]);
    EXPECT_EQ(outbox->SeekForward(1), 0u);
    EXPECT_EQ(outbox->SeekBeginning(5), 0u);

    std::uint32_t index = 99;
    EXPECT_EQ(outbox->SeekToId(ids[2], &index), ids[2]);
    EXPECT_EQ(index, 2u);
    // "Go to R by id, then to position p + 1" lands on the record after R.
    EXPECT_EQ(outbox->SeekBeginning(index + 1), ids[3]);
    EXPECT_EQ(outbox->SeekToId(ids[1]), ids[1]);
    EXPECT_EQ(outbox->SeekForward(2), ids[3]);

    // An unknown id fails and leaves the cursor where it was.
    EXPECT_EQ(outbox->SeekToId(9999, &index), 0u);
    PropArray props;
    EXPECT_EQ(outbox->ReadRecord(props), ids[3]);
}

TEST_F(CursorTest, ReadRecordAdvancesAndReadPropsDoesNot) {
    PropArray props;
    outbox->SeekBeginning(1);
    const PropId wanted[] = {MakePropId(outbox::kText, PropType::String),
                             MakePropId(outbox::kText, PropType::I4),
                             MakePropId(77, PropType::String)};
    ASSERT_EQ(outbox->ReadProps(wanted, props), ids[1]);
    ASSERT_EQ(props.size(), 3u);
    EXPECT_EQ(props[0].text, u"40");
    EXPECT_EQ(props[0].flags, 0);
    // Asked with another type, or a number the record lacks: not found.
    EXPECT_EQ(props[1].flags, kPropNotFound);
    EXPECT_EQ(props[1].id, wanted[1]);
    EXPECT_EQ(props[2].flags, kPropNotFound);

    EXPECT_EQ(outbox->ReadRecord(props), ids[1]);
    EXPECT_EQ(props.size(), outbox::kPropCount);
    EXPECT_EQ(outbox->ReadRecord(props), ids[2]);
    EXPECT_EQ(Texts(), (std::vector<std::u16string>{u"50", u"40", u"30", u"20", u"10"}));
    EXPECT_EQ(outbox->ReadRecord(props), 0u);
}

TEST_F(CursorTest, OptionsFolderDoesNotAdvance) {
    FolderHandle options = Open(kOptionsName, kInboxByDate);
    ASSERT_TRUE(options);
    EXPECT_EQ(options->SortProperty(), 0u);
    const PropVal first = PropVal::I4(1, 1);
    const ObjectId id = options->WriteRecord(0, {&first, 1});
    PropArray props;
    options->SeekBeginning(0);
    EXPECT_EQ(options->ReadRecord(props), id);
    EXPECT_EQ(options->ReadRecord(props), id);
}

TEST_F(CursorTest, DeletingEachRecordReadVisitsEveryRecordOnce) {
    PropArray props;
    std::vector<ObjectId> seen;
    outbox->SeekBeginning(0);
    while (ObjectId id = outbox->ReadRecord(props)) {
        seen.push_back(id);
        EXPECT_TRUE(outbox->DeleteRecord(id));
    }
    EXPECT_EQ(seen, ids);
    EXPECT_EQ(outbox->SeekBeginning(0), 0u);
}

TEST_F(CursorTest, DeletingTheRecordUnderTheCursorMovesOnToTheNext) {
    outbox->SeekToId(ids[2]);
    EXPECT_TRUE(outbox->DeleteRecord(ids[2]));
    PropArray props;
    EXPECT_EQ(outbox->ReadRecord(props), ids[3]);
    // A record before the cursor going away does not move it off its record.
    EXPECT_TRUE(outbox->DeleteRecord(ids[0]));
    EXPECT_EQ(outbox->ReadRecord(props), ids[4]);
    EXPECT_FALSE(outbox->DeleteRecord(ids[0]));
}

TEST_F(CursorTest, RewriteThatMovesTheRecordUnderTheCursorLeavesTheCursorOnItsFollower) {
    outbox->SeekToId(ids[2]);  // "30"
    const PropVal newer = PropVal::Time(outbox::kCreated, 60);
    ASSERT_EQ(outbox->WriteRecord(ids[2], {&newer, 1}), ids[2]);
    PropArray props;
    EXPECT_EQ(outbox->ReadRecord(props), ids[3]);
    EXPECT_EQ(Texts(), (std::vector<std::u16string>{u"30", u"50", u"40", u"20", u"10"}));

    // Moved on past its follower, it is reached again in its new place.
    outbox->SeekToId(ids[3]);  // "20"
    const PropVal older = PropVal::Time(outbox::kCreated, 1);
    ASSERT_EQ(outbox->WriteRecord(ids[3], {&older, 1}), ids[3]);
    EXPECT_EQ(outbox->ReadRecord(props), ids[4]);
    EXPECT_EQ(outbox->ReadRecord(props), ids[3]);
}

TEST_F(CursorTest, RecordsMovedOrAddedAheadOfTheCursorAreReachedAndBehindItAreNot) {
    PropArray props;
    outbox->SeekBeginning(0);
    ASSERT_EQ(outbox->ReadRecord(props), ids[0]);  // "50"; the cursor is on "40"
    const PropVal oldest = PropVal::Time(outbox::kCreated, 5);
    ASSERT_EQ(outbox->WriteRecord(ids[0], {&oldest, 1}), ids[0]);
    const ObjectId newest = WriteOutbox(99, "99");
    const ObjectId middle = WriteOutbox(25, "25");

    std::vector<ObjectId> rest;
    while (ObjectId id = outbox->ReadRecord(props))
        rest.push_back(id);
    EXPECT_EQ(rest, (std::vector<ObjectId>{ids[1], ids[2], middle, ids[3], ids[4], ids[0]}));
    EXPECT_EQ(std::count(rest.begin(), rest.end(), newest), 0);
}

TEST_F(CursorTest, PartialWriteReplacesByNumberAndKeepsTheRest) {
    const PropVal changes[] = {PropVal::String(outbox::kText, u"changed"), PropVal::I2(9, -2)};
    ASSERT_EQ(outbox->WriteRecord(ids[1], changes), ids[1]);
    PropArray props;
    outbox->SeekToId(ids[1]);
    ASSERT_EQ(outbox->ReadRecord(props), ids[1]);
    ASSERT_EQ(props.size(), 6u);
    EXPECT_EQ(props[3].text, u"changed");  // kept its place
    EXPECT_EQ(props[5], PropVal::I2(9, -2));
    EXPECT_EQ(FindPropFileTime(props, outbox::kCreated), 40u);

    // A property of another type under the same number replaces the old one.
    const PropVal retyped = PropVal::I4(outbox::kText, 7);
    ASSERT_EQ(outbox->WriteRecord(ids[1], {&retyped, 1}), ids[1]);
    outbox->SeekToId(ids[1]);
    outbox->ReadRecord(props);
    EXPECT_EQ(props.size(), 6u);
    EXPECT_EQ(props[3], retyped);
}

TEST_F(CursorTest, WritesThatCannotBeStoredChangeNothing) {
    PropVal unknown = PropVal::I4(1, 1);
    unknown.id = (5u << 16) | 99;  // no such type
    EXPECT_EQ(outbox->WriteRecord(0, {&unknown, 1}), 0u);
    EXPECT_EQ(outbox->WriteRecord(ids[0], {&unknown, 1}), 0u);

    // A record of another folder cannot be rewritten or deleted from here.
    FolderHandle sent = Open(kSentName);
    const PropVal text = PropVal::String(3, u"x");
    EXPECT_EQ(sent->WriteRecord(ids[0], {&text, 1}), 0u);
    EXPECT_FALSE(sent->DeleteRecord(ids[0]));
    EXPECT_EQ(sent->WriteRecord(4242, {&text, 1}), 0u);
    EXPECT_EQ(ReadAllIds(*outbox), ids);
    EXPECT_EQ(Texts()[0], u"50");
}

TEST_F(CursorTest, ObjectIdsRiseAndAreNeverReused) {
    ASSERT_TRUE(std::is_sorted(ids.rbegin(), ids.rend()));
    const ObjectId highest = ids[0];
    ASSERT_TRUE(outbox->DeleteRecord(highest));
    store.CloseFolder(outbox);
    outbox = Open(kOutboxName);
    const ObjectId next = WriteOutbox(1, "1");
    EXPECT_GT(next, highest);
}

TEST_F(CursorTest, TwoHandlesOnOneFolderSeeEachOthersChanges) {
    FolderHandle second = Open(kOutboxName);
    PropArray props;
    second->SeekBeginning(0);
    ASSERT_EQ(second->ReadRecord(props), ids[0]);  // on ids[1] now
    ASSERT_TRUE(outbox->DeleteRecord(ids[1]));
    const ObjectId added = WriteOutbox(15, "15");
    EXPECT_EQ(second->ReadRecord(props), ids[2]);
    EXPECT_EQ(second->ReadRecord(props), ids[3]);
    EXPECT_EQ(second->ReadRecord(props), added);
    EXPECT_EQ(second->ReadRecord(props), ids[4]);
    EXPECT_EQ(store.MountCount(), 2u);
}

TEST_F(CursorTest, ReadingOneFolderWhileWritingAnotherReadsEverything) {
    FolderHandle sent = Open(kSentName);
    mivex::testing::FakeClock clock;
    PropArray props;
    std::vector<ObjectId> seen;
    outbox->SeekBeginning(0);
    while (ObjectId id = outbox->ReadRecord(props)) {
        seen.push_back(id);
        ASSERT_NE(WriteSentRecord(*FindPropString(props, outbox::kText), u"1", u"n", *sent, clock),
                  0u);
        // A rolled-back step elsewhere must not upset this folder's reading.
        EXPECT_FALSE(sent->Atomically([&] {
            WriteSentRecord(u"gone", u"2", u"m", *sent, clock);
            return false;
        }));
    }
    EXPECT_EQ(seen, ids);
    EXPECT_EQ(ReadAllIds(*sent).size(), ids.size());
}

TEST_F(CursorTest, AtomicStepsLandWholeOrNotAtAll) {
    const std::size_t before = ReadAllIds(*outbox).size();
    EXPECT_TRUE(outbox->Atomically([&] {
        WriteOutbox(1, "a");
        // An inner step that gives up takes back only its own writes.
        EXPECT_FALSE(outbox->Atomically([&] {
            WriteOutbox(2, "inner");
            return outbox->DeleteRecord(ids[0]) && false;
        }));
        return WriteOutbox(3, "b") != 0;
    }));
    EXPECT_EQ(ReadAllIds(*outbox).size(), before + 2);
    EXPECT_EQ(Texts(),
              (std::vector<std::u16string>{u"50", u"40", u"30", u"20", u"10", u"b", u"a"}));

    // Taking back a step also takes the cursor back to where it was.
    PropArray props;
    outbox->SeekBeginning(2);
    EXPECT_FALSE(outbox->Atomically(
        [&] { return outbox->DeleteRecord(ids[0]) && outbox->DeleteRecord(ids[1]) && false; }));
    EXPECT_EQ(outbox->ReadRecord(props), ids[2]);
    EXPECT_EQ(ReadAllIds(*outbox).size(), before + 2);
}

TEST_F(CursorTest, FolderLeftOpenPastItsStoreFailsInsteadOfCrashing) {
    FolderHandle other;
    {
        Store shortLived(dir.path(), sounds);
        other = shortLived.OpenFolder(kOutboxName, 0);
        ASSERT_TRUE(other);
    }
    PropArray props;
    EXPECT_EQ(other->SeekBeginning(0), 0u);
    EXPECT_EQ(other->ReadRecord(props), 0u);
    EXPECT_EQ(other->WriteRecord(0, ToProps(OutboxRecord{})), 0u);
}

// Random writes, rewrites, deletes, seeks and reads against a plain model:
// the order is (date newest first, then id), and the cursor is the place in
// that order of the record it was put on, or the end.
TEST_F(CursorTest, RandomOperationsFollowTheModel) {
    using Key = std::pair<std::uint64_t, ObjectId>;  // (complemented date, id): ascending
    std::map<ObjectId, sms::FileTime> times;
    for (std::size_t i = 0; i < ids.size(); ++i)
        times[ids[i]] = 50 - 10 * i;
    const auto keyOf = [&times](ObjectId id) { return Key{~times.at(id), id}; };
    const auto order = [&] {
        std::vector<ObjectId> sorted;
        for (const auto& entry : times)
            sorted.push_back(entry.first);
        std::sort(sorted.begin(), sorted.end(),
                  [&](ObjectId a, ObjectId b) { return keyOf(a) < keyOf(b); });
        return sorted;
    };
    bool atEnd = false;
    Key cursor{0, 0};
    const auto placeAt = [&](const std::vector<ObjectId>& sorted, std::size_t index) {
        atEnd = index >= sorted.size();
        cursor = atEnd ? Key{0, 0} : keyOf(sorted[index]);
    };
    const auto current = [&](const std::vector<ObjectId>& sorted) {
        std::size_t index = 0;
        while (!atEnd && index < sorted.size() && keyOf(sorted[index]) < cursor)
            ++index;
        return atEnd ? sorted.size() : index;
    };

    std::mt19937 random(20240611);
    auto pick = [&random](std::size_t count) {
        return std::uniform_int_distribution<std::size_t>(0, count - 1)(random);
    };
    PropArray props;
    placeAt(order(), 0);
    outbox->SeekBeginning(0);
    for (int step = 0; step < 600; ++step) {
        SCOPED_TRACE(step);
        const std::vector<ObjectId> sorted = order();
        const std::size_t at = current(sorted);
        const sms::FileTime time = pick(30);  // few values: many ties
        switch (pick(7)) {
            case 0: {
                const ObjectId id = WriteOutbox(time, "n");
                ASSERT_NE(id, 0u);
                times[id] = time;
                break;
            }
            case 1:
                if (!sorted.empty()) {
                    const ObjectId id = sorted[pick(sorted.size())];
                    const PropVal created = PropVal::Time(outbox::kCreated, time);
                    ASSERT_EQ(outbox->WriteRecord(id, {&created, 1}), id);
                    times[id] = time;
                }
                break;
            case 2:
                if (!sorted.empty()) {
                    const ObjectId id = sorted[pick(sorted.size())];
                    ASSERT_TRUE(outbox->DeleteRecord(id));
                    times.erase(id);
                }
                break;
            case 3: {
                const std::size_t offset = pick(sorted.size() + 2);
                placeAt(sorted, offset);
                EXPECT_EQ(outbox->SeekBeginning(static_cast<std::uint32_t>(offset)),
                          offset < sorted.size() ? sorted[offset] : 0u);
                break;
            }
            case 4:
                if (!sorted.empty()) {
                    const std::size_t index = pick(sorted.size());
                    std::uint32_t reported = 0;
                    ASSERT_EQ(outbox->SeekToId(sorted[index], &reported), sorted[index]);
                    EXPECT_EQ(reported, index);
                    placeAt(sorted, index);
                }
                break;
            case 5: {
                const std::size_t count = pick(3);
                const std::size_t target = std::min(at + count, sorted.size());
                EXPECT_EQ(outbox->SeekForward(static_cast<std::uint32_t>(count)),
                          target < sorted.size() ? sorted[target] : 0u);
                placeAt(sorted, target);
                break;
            }
            default:
                EXPECT_EQ(outbox->ReadRecord(props), at < sorted.size() ? sorted[at] : 0u);
                if (at < sorted.size())
                    placeAt(sorted, at + 1);
                break;
        }
    }
    EXPECT_EQ(ReadAllIds(*outbox), order());
}

}  // namespace
}  // namespace mivex::store::tests
