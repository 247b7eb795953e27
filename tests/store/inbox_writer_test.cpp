// Storing PDUs read from the phone as Inbox records.

#include "store/inbox_writer.h"

#include <sstream>

#include "store_fixture.h"

namespace mivex::store::tests {
namespace {

std::vector<std::uint8_t> Octets(const std::string& spacedHex) {
    std::istringstream in(spacedHex);
    std::vector<std::uint8_t> octets;
    for (unsigned octet = 0; in >> std::hex >> octet;)
        octets.push_back(static_cast<std::uint8_t>(octet));
    return octets;
}

constexpr char kWhole[] = "00 04 0B 91 44 77 00 09 10 F2 00 00 40 21 51 31 50 80 00 02 C8 34";
constexpr char kPart[] =
    "00 44 0B 91 44 77 00 09 10 F2 00 00 40 21 51 31 50 80 00 09 05 00 03 2A 02 01 90 69";

class InboxWriterTest : public StoreTest {
protected:
    void SetUp() override {
        inbox = Open(kInboxName, kInboxByDate);
        ASSERT_TRUE(inbox);
    }

    std::vector<InboxRecord> Records() {
        std::vector<InboxRecord> records;
        PropArray props;
        inbox->SeekBeginning(0);
        while (inbox->ReadRecord(props) != 0)
            records.push_back(AsInboxRecord(props).value());
        return records;
    }

    FolderHandle inbox;
};

TEST_F(InboxWriterTest, WholeMessageIsStoredUnreadAndCountsAsNew) {
    EXPECT_EQ(DecodeDeliverPdu(Octets(kWhole), *inbox), 1);
    InboxRecord expected;
    expected.SenderNumber = u"+44770090012";
    expected.TimeStamp = sms::CalendarToFileTime({2004, 12, 15, 13, 5, 8, 0}).value();
    expected.Text = u"Hi";
    EXPECT_EQ(Records(), std::vector<InboxRecord>{expected});
}

TEST_F(InboxWriterTest, PartIsStoredButDoesNotCountAsWhole) {
    const StoredDeliver stored = StoreDeliverPdu(Octets(kPart), *inbox);
    EXPECT_EQ(stored.status, sms::DecodeStatus::Decoded);
    EXPECT_NE(stored.id, 0u);
    EXPECT_FALSE(stored.whole);
    EXPECT_EQ(DecodeDeliverPdu(Octets(kPart), *inbox), 0);
    const std::vector<InboxRecord> records = Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].Text, u"Hi");
    EXPECT_EQ(records[0].IsPart, 1);
    EXPECT_EQ(records[0].PartRef, 42);
    EXPECT_EQ(records[0].PartCount, 2);
    EXPECT_EQ(records[0].PartSeq, 1);
    EXPECT_EQ(records[0].Unread, 1);
}

TEST_F(InboxWriterTest, PdusThatAreNotDeliversWriteNothing) {
    std::vector<std::uint8_t> submit = Octets(kWhole);
    submit[1] = 0x01;
    const struct {
        std::vector<std::uint8_t> pdu;
        sms::DecodeStatus status;
    } cases[] = {
        {submit, sms::DecodeStatus::NotDeliver},
        {Octets("00 04 0B 91 44 77 00 09 10"), sms::DecodeStatus::TooShort},
        {{}, sms::DecodeStatus::TooShort},
    };
    for (const auto& c : cases) {
        const StoredDeliver stored = StoreDeliverPdu(c.pdu, *inbox);
        EXPECT_EQ(stored.status, c.status);
        EXPECT_EQ(stored.id, 0u);
        EXPECT_EQ(DecodeDeliverPdu(c.pdu, *inbox), 0);
    }
    EXPECT_TRUE(Records().empty());
}

TEST_F(InboxWriterTest, FailedWriteReportsNothingStored) {
    store.CloseFolder(inbox);
    store.SetReadOnly(true);
    inbox = Open(kInboxName, kInboxByDate);
    ASSERT_TRUE(inbox);
    const StoredDeliver stored = StoreDeliverPdu(Octets(kWhole), *inbox);
    EXPECT_EQ(stored.status, sms::DecodeStatus::Decoded);
    EXPECT_EQ(stored.id, 0u);
    EXPECT_FALSE(stored.whole);
    EXPECT_EQ(DecodeDeliverPdu(Octets(kWhole), *inbox), 0);
}

}  // namespace
}  // namespace mivex::store::tests
