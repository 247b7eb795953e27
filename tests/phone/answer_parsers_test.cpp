#include "phone/answer_parsers.h"

#include <gtest/gtest.h>

#include <optional>

#include "phone/submit_reference.h"

namespace mivex::phone {
namespace {

TEST(StorageCounts, ReadsTheFirstPairWithinRange) {
    // answer, used and total read from it
    const std::pair<std::string_view, std::optional<std::pair<int, int>>> cases[] = {
        {"\r\n+CPMS: 3,30,3,30,3,30\r\n\r\nOK\r\n", std::pair{3, 30}},
        {"\r\n+CPMS: 0,0,0,0\r\n\r\nOK\r\n", std::pair{0, 0}},
        // A capacity below the used count is not believed.
        {"\r\n+CPMS: 5,2,5,2\r\n\r\nOK\r\n", std::pair{5, 1000}},
        {"\r\n+CPMS: 1000,1000\r\n", std::pair{1000, 1000}},
        {"\r\n+CPMS: 1001,2000\r\n", std::nullopt},
        {"\r\n+CPMS: 3,1001\r\n", std::nullopt},
        {"\r\n+CPMS: 3,-4\r\n", std::nullopt},
        // The second number is read as atoi would: white space and "+" pass,
        // no digits at all read 0 (and 0 < 3 makes it 1000).
        {"\r\n+CPMS: 3, +30\r\n", std::pair{3, 30}},
        {"\r\n+CPMS: 3,\r\n\r\nOK\r\n", std::pair{3, 1000}},
        // Digits that would overflow an int do not wrap into range.
        {"\r\n+CPMS: 99999999999999999999,5\r\n", std::nullopt},
        {"\r\n+CPMS: 2,4294967326\r\n", std::nullopt},
        // An unsolicited line before the answer has digits and a comma of its own.
        {"\r\n+CMTI: \"SM\",7\r\n\r\n+CPMS: 3,30,3,30,3,30\r\n\r\nOK\r\n", std::pair{3, 30}},
        {"\r\n+CPMS: 7\r\n\r\nOK\r\n", std::nullopt},  // no comma after the number
        {"\r\nOK\r\n", std::nullopt},                  // no digit at all
        {"", std::nullopt},
    };
    for (const auto& [answer, expected] : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::string(answer)));
        const std::optional<StorageCounts> counts = ParseStorageCounts(answer);
        EXPECT_EQ(counts ? std::optional(std::pair(counts->used, counts->total)) : std::nullopt,
                  expected);
    }
}

TEST(ServiceCentre, TakesTheQuotedNumberAndMarksInternationalOnes) {
    const std::pair<std::string_view, std::string_view> vectors[] = {
        {"\r\n+CSCA: \"4412345\",145\r\n\r\nOK\r\n", "+4412345"},
        {"\r\n+CSCA: \"+4412345\",145\r\n\r\nOK\r\n", "+4412345"},
        {"\r\n+CSCA: \"4412345\",129\r\n\r\nOK\r\n", "4412345"},
        {"\r\n+CSCA: \"4412345\", 145\r\n", "+4412345"},
        {"\r\n+CSCA: \"\",145\r\n\r\nOK\r\n", ""},     // empty number
        {"\r\n+CSCA: \"4412345\"\r\n\r\nOK\r\n", ""},  // no type after it
        {"\r\n+CSCA: \"4412345\r\n\r\nOK\r\n", ""},    // unclosed quote
        {"\r\n+CSCA: 4412345,145\r\n\r\nOK\r\n", ""},  // no quotes
        {"\r\n+CSCA: \"0\",99999999999999999999145\r\n", "0"},
        {"\r\n+CMTI: \"SM\",7\r\n\r\n+CSCA: \"4412345\",145\r\n\r\nOK\r\n", "+4412345"},
    };
    for (const auto& [answer, number] : vectors) {
        SCOPED_TRACE(::testing::PrintToString(std::string(answer)));
        EXPECT_EQ(ParseServiceCentre(answer), number);
    }
}

TEST(StoredMessage, TurnsTheLineAfterTheHeaderIntoOctets) {
    const std::string pdu42 = "07914477000900F0040B914477009010F200004021";
    const std::pair<std::string, std::size_t> vectors[] = {
        {"\r\n+CMGR: 0,,20\r\n" + pdu42 + "\r\n\r\nOK\r\n", 21},
        {"\r\n+CMGR: 1,\"Alice\",20\r\n" + pdu42 + "1\r\n\r\nOK\r\n", 21},  // odd digit dropped
        {"\r\nOK\r\n", 0},                                                  // empty slot: no colon
        {"\r\n+CMGR: 0,,20", 0},                   // no line feed after the colon
        {"\r\n+CMGR: 0,,20\r\n" + pdu42, 0},       // the PDU line never ended
        {"\r\n+CMGR: 0,,0\r\n\r\n\r\nOK\r\n", 0},  // an empty PDU line
        {"\r\n+CMTI: \"SM\",7\r\n\r\n+CMGR: 0,,20\r\n" + pdu42 + "\r\n\r\nOK\r\n", 21},
    };
    for (const auto& [answer, octets] : vectors) {
        SCOPED_TRACE(::testing::PrintToString(answer));
        EXPECT_EQ(ParseStoredMessagePdu(answer).size(), octets);
    }
    const std::vector<std::uint8_t> octets =
        ParseStoredMessagePdu("+CMGR: 0,,3\r\n00FFa5\r\nOK\r\n");
    EXPECT_EQ(octets, (std::vector<std::uint8_t>{0x00, 0xFF, 0xA5}));
}

TEST(SubmitReference, ReadsOneOctetFromTheResultLine) {
    const std::pair<std::string_view, std::optional<int>> cases[] = {
        {"\r\n+CMGS: 7\r\n\r\nOK\r\n", 7},
        {"\r\n+CMGS:255\r\n\r\nOK\r\n", 255},
        {"\r\n+CMGS: 12,\"26/12/06,14:03:20+04\"\r\n\r\nOK\r\n", 12},
        {"\r\n+CMGS: 256\r\n\r\nOK\r\n", std::nullopt},
        {"\r\n+CMGS: 0007\r\n", std::nullopt},
        {"\r\n+CMGS: \r\n\r\nOK\r\n", std::nullopt},
        {"\r\n+CMGS: 7x\r\n", std::nullopt},
        {"\r\n+CMGS: 4", 4},
        {"\r\nOK\r\n", std::nullopt},
    };
    for (const auto& [answer, expected] : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::string(answer)));
        const std::optional<std::uint8_t> reference = ParseSubmitReference(answer);
        EXPECT_EQ(reference ? std::optional<int>(*reference) : std::nullopt, expected);
    }
}

}  // namespace
}  // namespace mivex::phone
