// Storing PDUs read from the phone as Inbox records.

#include "store/inbox_writer.h"

#include "sms/hex_text.h"
#include "store_fixture.h"

namespace mivex::store::tests {
namespace {

// From +44770090012 at 2004-12-15 13:05:08, "Hi"; the part carries a
// concatenation header: reference 42, part 1 of 2.
const std::vector<std::uint8_t> kWhole =
    sms::HexToBytes("00040B914477000910F200004021513150800002C834");
const std::vector<std::uint8_t> kPart =
    sms::HexToBytes("00440B914477000910F2000040215131508000090500032A02019069");

struct InboxWriterTest : StoreTest {
    FolderHandle inbox = Open(kInboxName, kInboxByDate);
};

TEST_F(InboxWriterTest, WholeMessagesCountAsNewAndPartsAreStoredForJoining) {
    EXPECT_EQ(DecodeDeliverPdu(kWhole, *inbox), 1);
    const StoredDeliver stored = StoreDeliverPdu(kPart, *inbox);
    EXPECT_EQ(stored.status, sms::DecodeStatus::Decoded);
    EXPECT_TRUE(stored.id != 0 && !stored.whole);
    EXPECT_EQ(DecodeDeliverPdu(kPart, *inbox), 0);

    const sms::FileTime time = At(2004, 12, 15, 13, 5, 8);
    const InboxRecord whole{u"+44770090012", time, u"Hi", 0, 0, 0, 0, 1, u"", u""};
    const InboxRecord part{u"+44770090012", time, u"Hi", 1, 42, 2, 1, 1, u"", u""};
    EXPECT_EQ(ReadInbox(*inbox), (std::vector<InboxRecord>{whole, part, part}));
}

// Neither a PDU that is not a DELIVER nor a write that fails counts as stored.
TEST_F(InboxWriterTest, NothingStoredIsReportedAsNothing) {
    std::vector<std::uint8_t> submit = kWhole;
    submit[1] = 0x01;
    EXPECT_EQ(StoreDeliverPdu(submit, *inbox).status, sms::DecodeStatus::NotDeliver);
    EXPECT_EQ(StoreDeliverPdu({}, *inbox).status, sms::DecodeStatus::TooShort);
    EXPECT_EQ(DecodeDeliverPdu(submit, *inbox), 0);
    EXPECT_TRUE(ReadInbox(*inbox).empty());

    store.CloseFolder(inbox);
    store.SetReadOnly(true);
    inbox = Open(kInboxName, kInboxByDate);
    const StoredDeliver stored = StoreDeliverPdu(kWhole, *inbox);
    EXPECT_EQ(stored.status, sms::DecodeStatus::Decoded);
    EXPECT_TRUE(stored.id == 0 && !stored.whole);
    EXPECT_EQ(DecodeDeliverPdu(kWhole, *inbox), 0);
}

}  // namespace
}  // namespace mivex::store::tests
