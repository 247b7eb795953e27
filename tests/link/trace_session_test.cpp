// Trace mode over a real, slow line: the trace file holds, record by record,
// exactly the bytes that went to the phone and the bytes that came back.

#include <gtest/gtest.h>

#include "link_session.h"
#include "phone/at_exchanges.h"
#include "sms/hex_text.h"

namespace mivex::phone::integration {
namespace {

class TraceMode : public PhoneOnPty {};

TEST_F(TraceMode, HoldsEveryByteSentAndReceivedOnASlowLine) {
    const Octets stored = DeliverPdus(std::u16string(160, u'x'))[0];
    ASSERT_NO_FATAL_FAILURE(StartPhone(Stores({{1, stored}}), {}, 9600));
    ASSERT_NO_FATAL_FAILURE(StartTrace());

    PortHandle port = OpenQuickly();
    ASSERT_EQ(SelectStorage(port, "ME")->used, 1);
    ASSERT_FALSE(ReadStoredMessage(port, 1).empty());
    ASSERT_TRUE(ReadStoredMessage(port, 2).empty());
    ASSERT_TRUE(SubmitPdu(port, kHiSubmit, 16));
    ClosePort(port);
    phone->Stop();
    ASSERT_EQ(phone->Submitted().size(), 1u);
    EXPECT_EQ(sms::BytesToHex(phone->Submitted()[0].pdu), kHiSubmit);
    // The answers really went at the line's pace, not all at once.
    EXPECT_GT(phone->Stats().pacedBytes, 0u);
    EXPECT_EQ(phone->Stats().pacedBytes, phone->Stats().bytesWritten);

    const std::string storedTpduLength = std::to_string(stored.size() - 1 - stored[0]);
    const std::vector<TraceRecord> expected = {
        // Echo is still on while the phone reads the command that ends it.
        {'T', "ATE0\r"},
        {'R', "ATE0\r\r\nOK\r\n"},
        {'T', "AT+CPMS=\"ME\"\r"},
        {'R', "\r\n+CPMS: 1,30,1,30,1,30\r\n\r\nOK\r\n"},
        {'T', "AT+CMGR=1\r"},
        {'R',
         "\r\n+CMGR: 0,," + storedTpduLength + "\r\n" + sms::BytesToHex(stored) + "\r\n\r\nOK\r\n"},
        {'T', "AT+CMGR=2\r"},
        {'R', "\r\nOK\r\n"},
        {'T', "AT+CMGS=16\r"},
        {'R', "\r\n> "},
        {'T', std::string(kHiSubmit) + "\x1a"},
        {'R', "\r\n+CMGS: 0\r\n\r\nOK\r\n"},
    };
    EXPECT_EQ(StopTrace(), expected);
}

}  // namespace
}  // namespace mivex::phone::integration
