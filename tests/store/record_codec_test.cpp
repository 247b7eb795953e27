// The stored form of records: exact round trips, and damaged bytes read as
// a failure, never past their end.

#include "store/record_codec.h"

#include <limits>

#include "store_fixture.h"

namespace mivex::store::tests {
namespace {

PropArray EveryKindOfValue() {
    const std::uint8_t bytes[] = {0, 0xFF, 0, 7};
    return {
        PropVal::I2(0, std::numeric_limits<std::int16_t>::min()),
        PropVal::I4(1, std::numeric_limits<std::int32_t>::min()),
        PropVal::Time(2, std::numeric_limits<std::uint64_t>::max()),
        PropVal::String(3, u""),
        PropVal::String(0xFFFF, std::u16string{0xDC00, 0, u'x', 0xD800}),
        PropVal::Blob(4, bytes),
        PropVal::Blob(5, {}),
        PropVal::I4(1, 12345),  // a repeated number is kept as written
    };
}

TEST(RecordCodec, RoundTripsEveryKnownTypeIntoReusedStorage) {
    const PropArray props = EveryKindOfValue();
    std::vector<std::uint8_t> stored;
    ASSERT_TRUE(EncodeRecord(props, stored));
    // Entries left from an earlier read must not leak into this one.
    PropArray read(10, PropVal::String(9, u"left over"));
    read[0].blob = {1, 2, 3};
    read[0].flags = kPropNotFound;
    ASSERT_TRUE(DecodeRecord(stored, read));
    EXPECT_EQ(read, props);

    ASSERT_TRUE(EncodeRecord({}, stored));
    ASSERT_TRUE(DecodeRecord(stored, read));
    EXPECT_TRUE(read.empty());

    PropVal odd = PropVal::I4(1, 1);
    odd.id = 0x00010005;  // no such type
    EXPECT_FALSE(EncodeRecord({&odd, 1}, stored));
    EXPECT_FALSE(IsStorableType(odd.id));
}

TEST(RecordCodec, DamagedBytesDecodeAsFailure) {
    std::vector<std::uint8_t> stored;
    ASSERT_TRUE(EncodeRecord(EveryKindOfValue(), stored));
    PropArray sink;
    for (std::size_t length = 0; length < stored.size(); ++length) {
        SCOPED_TRACE(length);
        EXPECT_FALSE(DecodeRecord({stored.data(), length}, sink));
    }
    // An unknown format, more properties than bytes, the first id's type unknown.
    for (const auto& [at, value] :
         {std::pair<std::size_t, std::uint8_t>{0, 2}, {2, 0xFF}, {3, 7}}) {
        std::vector<std::uint8_t> copy = stored;
        copy[at] = value;
        EXPECT_FALSE(DecodeRecord(copy, sink)) << at;
    }
    stored.push_back(0);
    EXPECT_FALSE(DecodeRecord(stored, sink));  // bytes after the last property

    // A string claiming four thousand million units.
    std::vector<std::uint8_t> huge;
    const PropVal text = PropVal::String(1, u"ab");
    ASSERT_TRUE(EncodeRecord({&text, 1}, huge));
    for (std::size_t i = 7; i < 11; ++i)
        huge[i] = 0xFF;
    EXPECT_FALSE(DecodeRecord(huge, sink));
}

// A record whose stored bytes were damaged on disk reads as damaged, not as
// the end; the cursor moves past it and its neighbours read as before.
TEST_F(StoreTest, DamagedStoredRecordFailsToReadWithoutHarmingOthers) {
    FolderHandle inbox = Open(kInboxName, kInboxByDate);
    const ObjectId newer = WriteInbox(*inbox, u"a", 3);
    const ObjectId damaged = WriteInbox(*inbox, u"b", 2);
    const ObjectId older = WriteInbox(*inbox, u"c", 1);
    store.CloseFolder(inbox);
    RunSql(store.VolumePath(),
           "UPDATE records SET props = substr(props, 1, 40) WHERE id = " + std::to_string(damaged));
    inbox = Open(kInboxName, kInboxByDate);
    PropArray props;
    inbox->SeekBeginning(0);
    EXPECT_TRUE(inbox->ReadRecord(props).Read(newer));
    const RecordRead read = inbox->ReadRecord(props);
    EXPECT_TRUE(read.Damaged() && read.id == damaged);
    EXPECT_TRUE(inbox->ReadRecord(props).Read(older));
    const PropId wanted[] = {MakePropId(inbox::kText, PropType::String)};
    inbox->SeekToId(damaged);
    EXPECT_EQ(inbox->ReadProps(wanted, props), 0u);
    // Nor is it overwritten by a partial write that could not keep its other values.
    const PropVal unread = PropVal::I4(inbox::kUnread, 0);
    EXPECT_EQ(inbox->WriteRecord(damaged, {&unread, 1}), 0u);
    EXPECT_TRUE(inbox->DeleteRecord(damaged));
}

}  // namespace
}  // namespace mivex::store::tests
