// The cursor of an open folder: seeks, reads with and without auto-advance,
// writes and deletes under it, and atomic steps.

#include <algorithm>
#include <random>
#include <set>

#include "store_fixture.h"

namespace mivex::store::tests {
namespace {

class CursorTest : public StoreTest {
protected:
    // Outbox records created at times 50, 40, 30, 20, 10 (written oldest
    // first): the folder reads them newest first.
    void SetUp() override {
        for (sms::FileTime time : {10, 20, 30, 40, 50})
            ids.insert(ids.begin(), WriteOutbox(time, std::to_string(time)));
    }

    ObjectId WriteOutbox(sms::FileTime time, const std::string& text) {
        return outbox->WriteRecord(
            0, ToProps(OutboxRecord{u"", u"", time, {text.begin(), text.end()}, 0}));
    }

    Texts ReadTexts() { return ReadAllTexts(*outbox, outbox::kText); }

    FolderHandle outbox = Open(kOutboxName);
    std::vector<ObjectId> ids;  // in read order
};

TEST_F(CursorTest, ReadPropsDoesNotAdvanceAndReportsWhatIsMissing) {
    PropArray props;
    outbox->SeekBeginning(1);
    const PropId wanted[] = {MakePropId(outbox::kText, PropType::String),
                             MakePropId(outbox::kText, PropType::I4),
                             MakePropId(77, PropType::String)};
    ASSERT_EQ(outbox->ReadProps(wanted, props), ids[1]);
    // Asked with another type, or a number the record lacks: not found.
    PropVal missing = PropVal::I4(outbox::kText, 0);
    missing.flags = kPropNotFound;
    ASSERT_EQ(props.size(), 3u);
    EXPECT_TRUE(props[0] == PropVal::String(outbox::kText, u"40") && props[1] == missing);
    EXPECT_EQ(props[2].flags, kPropNotFound);
    EXPECT_TRUE(outbox->ReadRecord(props).Read(ids[1]));
    EXPECT_EQ(props.size(), outbox::kPropCount);

    // An unknown id fails and leaves the cursor where it was.
    EXPECT_EQ(outbox->SeekToId(9999), 0u);
    EXPECT_TRUE(outbox->ReadRecord(props).Read(ids[2]));

    // Reads in the options folder stay on their record.
    FolderHandle options = Open(kOptionsName);
    const PropVal value = PropVal::I4(1, 1);
    const ObjectId first = options->WriteRecord(0, {&value, 1});
    options->SeekBeginning(0);
    EXPECT_TRUE(options->ReadRecord(props).Read(first));
    EXPECT_TRUE(options->ReadRecord(props).Read(first));
}

TEST_F(CursorTest, PartialWriteReplacesByNumberAndKeepsTheRest) {
    const PropVal changes[] = {PropVal::String(outbox::kText, u"changed"), PropVal::I2(9, -2)};
    ASSERT_EQ(outbox->WriteRecord(ids[1], changes), ids[1]);
    std::vector<PropArray> records = ReadAll(*outbox);
    ASSERT_EQ(records[1].size(), 6u);
    EXPECT_EQ(records[1][3].text, u"changed");  // kept its place
    EXPECT_EQ(records[1][5], PropVal::I2(9, -2));
    EXPECT_EQ(FindPropFileTime(records[1], outbox::kCreated), 40u);

    // A property of another type under the same number replaces the old one.
    const PropVal retyped = PropVal::I4(outbox::kText, 7);
    ASSERT_EQ(outbox->WriteRecord(ids[1], {&retyped, 1}), ids[1]);
    records = ReadAll(*outbox);
    EXPECT_EQ(records[1].size(), 6u);
    EXPECT_EQ(records[1][3], retyped);
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
    EXPECT_EQ(ReadTexts()[0], u"50");
}

TEST_F(CursorTest, ObjectIdsRiseAndAreNeverReused) {
    ASSERT_TRUE(outbox->DeleteRecord(ids[0]));
    EXPECT_FALSE(outbox->DeleteRecord(ids[0]));
    store.CloseFolder(outbox);
    outbox = Open(kOutboxName);
    EXPECT_GT(WriteOutbox(1, "1"), ids[0]);
}

TEST_F(CursorTest, AtomicStepsLandWholeOrNotAtAll) {
    EXPECT_TRUE(outbox->Atomically([&] {
        WriteOutbox(1, "a");
        // An inner step that gives up takes back only its own writes.
        EXPECT_FALSE(outbox->Atomically([&] {
            WriteOutbox(2, "inner");
            return outbox->DeleteRecord(ids[0]) && false;
        }));
        return WriteOutbox(3, "b") != 0;
    }));
    EXPECT_EQ(ReadTexts(), (Texts{u"50", u"40", u"30", u"20", u"10", u"b", u"a"}));

    // Taking back a step also takes the cursor back to where it was, even
    // when the step moved it.
    PropArray props;
    outbox->SeekBeginning(2);
    EXPECT_FALSE(outbox->Atomically([&] {
        return outbox->DeleteRecord(ids[0]) && outbox->DeleteRecord(ids[1]) &&
               outbox->SeekBeginning(4) && false;
    }));
    EXPECT_TRUE(outbox->ReadRecord(props).Read(ids[2]));
    EXPECT_EQ(ReadAllIds(*outbox).size(), 7u);
}

TEST_F(CursorTest, FolderLeftOpenPastItsStoreFailsInsteadOfCrashing) {
    FolderHandle other = Store(dir.path(), sounds).OpenFolder(kOutboxName, 0);
    ASSERT_TRUE(other);
    PropArray props;
    EXPECT_EQ(other->SeekBeginning(0), 0u);
    EXPECT_TRUE(other->ReadRecord(props).End());
    EXPECT_EQ(other->WriteRecord(0, ToProps(OutboxRecord{})), 0u);
}

// Random writes, rewrites, deletes, seeks and reads against a plain model:
// the order is (date newest first, then id), and the cursor is the key of
// the record it was put on, or the end; the record under it is the first
// whose key is not below that key. Half the changes come through a second
// handle on the folder, which must keep the first one's cursor as sane.
TEST_F(CursorTest, RandomOperationsFollowTheModel) {
    using Key = std::pair<std::uint64_t, ObjectId>;  // (complemented date, id)
    std::set<Key> keys;
    for (std::size_t i = 0; i < ids.size(); ++i)
        keys.insert({~(50 - 10 * i), ids[i]});
    Key cursor = *keys.begin();
    bool atEnd = false;
    const auto nth = [&](std::size_t n) {
        return n >= keys.size() ? keys.end() : std::next(keys.begin(), static_cast<long>(n));
    };
    const auto place = [&](std::set<Key>::iterator it) {
        atEnd = it == keys.end();
        cursor = atEnd ? Key{} : *it;
    };
    const auto idAt = [&](std::set<Key>::iterator it) { return it == keys.end() ? 0 : it->second; };
    std::mt19937 random(20240611);
    auto pick = [&random](std::size_t count) {
        return std::uniform_int_distribution<std::size_t>(0, count - 1)(random);
    };
    FolderHandle other = Open(kOutboxName);
    PropArray props;
    outbox->SeekBeginning(0);
    for (int step = 0; step < 600; ++step) {
        SCOPED_TRACE(step);
        const auto under = atEnd ? keys.end() : keys.lower_bound(cursor);
        const sms::FileTime time = pick(30);  // few values: many ties
        Folder& writer = pick(2) == 0 ? *outbox : *other;
        const std::size_t operation = pick(7);
        if (operation == 0) {
            keys.insert({~time, Write(writer, ToProps(OutboxRecord{u"", u"", time, u"n", 0}))});
        } else if (operation <= 2 && !keys.empty()) {
            const auto it = nth(pick(keys.size()));
            const ObjectId id = it->second;
            keys.erase(it);
            const PropVal created = PropVal::Time(outbox::kCreated, time);
            if (operation == 2) {
                ASSERT_TRUE(writer.DeleteRecord(id));
                continue;
            }
            ASSERT_EQ(writer.WriteRecord(id, {&created, 1}), id);
            keys.insert({~time, id});
        } else if (operation == 3) {
            const std::size_t offset = pick(keys.size() + 2);
            EXPECT_EQ(outbox->SeekBeginning(static_cast<std::uint32_t>(offset)), idAt(nth(offset)));
            place(nth(offset));
        } else if (operation == 4 && !keys.empty()) {
            const std::size_t index = pick(keys.size());
            std::uint32_t reported = 0;
            ASSERT_EQ(outbox->SeekToId(idAt(nth(index)), &reported), idAt(nth(index)));
            EXPECT_EQ(reported, index);
            place(nth(index));
        } else if (operation == 5) {
            const std::size_t count = pick(3);
            auto target = under;
            for (std::size_t i = 0; i < count && target != keys.end(); ++i)
                ++target;
            EXPECT_EQ(outbox->SeekForward(static_cast<std::uint32_t>(count)), idAt(target));
            place(target);
        } else if (operation == 6) {
            // A read that finds nothing leaves the cursor at the end.
            const RecordRead read = outbox->ReadRecord(props);
            EXPECT_EQ(read.Readable() ? read.id : 0u, idAt(under));
            place(under == keys.end() ? under : std::next(under));
        }
    }
    std::vector<ObjectId> order;
    for (const Key& key : keys)
        order.push_back(key.second);
    EXPECT_EQ(ReadAllIds(*outbox), order);
}

}  // namespace
}  // namespace mivex::store::tests
