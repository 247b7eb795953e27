// Trace mode over a real line: the trace file holds, record by record, exactly
// the bytes that went to the phone and the bytes that came back.

#include <gtest/gtest.h>

#include "link_session.h"
#include "phone/at_exchanges.h"
#include "phone/trace.h"
#include "sms/hex_text.h"
#include "sms/submit_encoder.h"

namespace mivex::phone::integration {
namespace {

class TraceMode : public PhoneOnPty {};

TEST_F(TraceMode, HoldsEveryByteSentAndReceived) {
    const Octets stored = DeliverPdus(u"Traced message")[0];
    ASSERT_NO_FATAL_FAILURE(StartPhone(Stores({{1, stored}})));
    TemporaryDirectory directory;
    Trace trace(clock, directory.path());
    ASSERT_TRUE(trace.TraceWrite(TraceKind::Open));
    link.trace = &trace;

    const sms::EncodedPdu submit =
        sms::BuildMessagePdus(sms::BuildServiceCentreField(true, u""), u"+447700900555",
                              u"Traced reply", sms::MakeSubmitOptions(false, false, 0xA7), {})
            .at(0);
    const std::string submitHex = sms::BytesToHex(submit.octets);
    PortHandle port = OpenQuickly();
    ASSERT_EQ(SelectStorage(port, "ME")->used, 1);
    ASSERT_FALSE(ReadStoredMessage(port, 1).empty());
    ASSERT_TRUE(ReadStoredMessage(port, 2).empty());
    ASSERT_TRUE(SubmitPdu(port, submitHex, submit.cmgsLength));
    ClosePort(port);
    trace.TraceWrite(TraceKind::Close);

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
        {'T', "AT+CMGS=" + std::to_string(submit.cmgsLength) + "\r"},
        {'R', "\r\n> "},
        {'T', submitHex + "\x1a"},
        {'R', "\r\n+CMGS: 0\r\n\r\nOK\r\n"},
    };
    EXPECT_EQ(ReadTraceRecords(trace.FilePath()), expected);
}

}  // namespace
}  // namespace mivex::phone::integration
