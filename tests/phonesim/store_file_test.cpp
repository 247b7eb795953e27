#include "phonesim/store_file.h"

#include <gtest/gtest.h>

#include "phone_fixtures.h"

namespace mivex::phonesim {
namespace {

using test::kHiDeliver;

std::vector<int> Slots(const MessageStore& store) {
    std::vector<int> slots;
    for (const auto& [slot, message] : store.Messages())
        slots.push_back(slot);
    return slots;
}

TEST(StoreFile, LoadsSlotsAndNextFreeSlotsSkippingCommentsAndBlanks) {
    MessageStore store(10);
    const std::string hi(kHiDeliver);
    const std::string text =
        "# sample\n\n  3 " + hi + "  \r\n" + hi + "\n\t# indented comment\n" + hi + "\n5 " + hi;
    const LoadResult result = LoadStoreText(text, "me.txt", store);
    ASSERT_TRUE(result.ok) << result.error;
    // "HEX" lines take the lowest free slot, around the slots named so far.
    EXPECT_EQ(Slots(store), (std::vector<int>{1, 2, 3, 5}));
    EXPECT_EQ(sms::BytesToHex(store.Find(5)->pdu), hi);
    EXPECT_EQ(store.Find(5)->status, MessageStatus::ReceivedUnread);
}

TEST(StoreFile, NamesFileAndLineOfABadLine) {
    const std::string hi(kHiDeliver);
    // file text, error
    const std::pair<std::string, std::string> cases[] = {
        {"\n\nXYZ\n", "f.txt:3: \"XYZ\" is not an even number of hex digits"},
        {hi + "0\n",
         "f.txt:1: \"" + hi.substr(0, 40) + "...\" is not an even number of hex digits"},
        {"x1 " + hi, "f.txt:1: \"x1\" is not a slot number"},
        {"0 " + hi, "f.txt:1: slot 0 is outside 1..2"},
        {"3 " + hi, "f.txt:1: slot 3 is outside 1..2"},
        {"1 " + hi + "\n1 " + hi, "f.txt:2: slot 1 is already taken"},
        {"1 " + hi + " extra", "f.txt:1: unexpected text after the PDU: \"extra\""},
        {hi + "\n" + hi + "\n" + hi, "f.txt:3: no free slot left of 2"},
        {"1 " + std::string(2 * (kMaxPduOctets + 1), 'A'),
         "f.txt:1: the PDU has 177 octets, more than 176"},
    };
    for (const auto& [text, error] : cases) {
        SCOPED_TRACE(text);
        MessageStore store(2);
        const LoadResult result = LoadStoreText(text, "f.txt", store);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.error, error);
    }
}

TEST(StoreFile, UnreadableAndUnwritableFilesAreNamedInTheError) {
    MessageStore store;
    const LoadResult result = LoadStoreFile("/nonexistent/me.txt", store);
    EXPECT_EQ(result.error.rfind("/nonexistent/me.txt: cannot be read", 0), 0U) << result.error;
    std::string error;
    EXPECT_FALSE(ReplaceFile("/nonexistent/dump.txt", "x", error));
    EXPECT_NE(error.find("/nonexistent/dump.txt"), std::string::npos);
}

TEST(StoreFile, DumpListsPhoneThenSimInSlotOrder) {
    const PhoneStores stores = test::StoresWith({{7, "0011"}, {2, "00AB"}}, {{1, "07FF"}});
    EXPECT_EQ(FormatStoreDump(stores), "ME 2 00AB\nME 7 0011\nSM 1 07FF\n");
}

TEST(MessageStore, TpduLengthNeverUnderflows) {
    EXPECT_EQ(TpduLength(sms::HexToBytes(kHiDeliver)), 21U);
    EXPECT_EQ(TpduLength(sms::HexToBytes("0791447700090000")), 0U);
    EXPECT_EQ(TpduLength(sms::HexToBytes("FF00")), 0U);
    EXPECT_EQ(TpduLength({}), 0U);
}

}  // namespace
}  // namespace mivex::phonesim
