// How long each run holds a text on screen or lets the phone catch up. The
// other tests of the runs leave the pauses out; every pause is asserted here,
// once, at the place it belongs.

#include <gtest/gtest.h>

#include <algorithm>

#include "phone/phone_link.h"
#include "transfer/receive_run.h"
#include "transfer_fixture.h"

namespace mivex::transfer::test {
namespace {

using phonesim::test::Fault;
using phonesim::test::Plan;

enum class Scenario { SendOne, SendLong, SendRefused, SendUnfiled, Receive, ReceiveCut, NoPort };

class RunPauses : public TransferOnPty {};

TEST_F(RunPauses, EachFollowsItsText) {
    struct Case {
        const char* name;
        Scenario scenario;
        std::u16string after;  // the text the pause follows
        std::uint32_t ms;
    };
    using enum Scenario;
    // clang-format off
    const std::vector<Case> cases = {
        {"service centre shown before the first send", SendOne, u"Using SC Number +447700900000", 1000},
        {"between the prompt and the PDU", SendOne, u"Sending to +111", 200},
        {"after a message is filed", SendOne, u"Message Sent OK", 250},
        {"after the last segment", SendLong, u"Message segment 2 sent OK", 250},
        {"after a failed send", SendRefused, Coloured(1, 2, kSendFailedText), 2000},
        {"after a message that could not be filed", SendUnfiled, Coloured(1, 2, kSentNotFiledText), 2000},
        {"after the port is closed", Receive, u"Receiving message 2", 200},
        {"with the count of new messages", Receive, u"You have 2 new messages..", 1200},
        {"with the count of an incomplete run", ReceiveCut, Coloured(1, 2, IncompleteText(1)), 1200},
        {"after a failed start-up", NoPort, Coloured(1, 2, phone::kFailedConnectText), 1000},
    };
    // clang-format on
    options.strings[options::Option::ServiceCentre] = u"+447700900000";
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        const bool sends = row.scenario < Receive;
        ASSERT_NO_FATAL_FAILURE(
            Queue({{u"+111", row.scenario == SendLong ? std::u16string(200, u'x') : u"hi"}}));
        phonesim::FaultPlan faults;
        if (row.scenario == SendRefused)
            faults.refusedSubmissions = {1};
        if (row.scenario == ReceiveCut)
            faults = Plan({Fault(phonesim::FaultKind::Cut, "+CMGR=2 20")});
        const std::map<int, Octets> two = {{1, Delivered(u"a")[0]}, {2, Delivered(u"b")[0]}};
        ASSERT_NO_FATAL_FAILURE(
            StartPhone(Stores(5, sends ? std::map<int, Octets>{} : two), faults));
        if (row.scenario == NoPort)
            options.strings[options::Option::Port] = u"/nonexistent/port:";
        store->SetReadOnly(row.scenario == SendUnfiled);
        if (sends)
            (void)Send();
        else
            (void)ReceiveMessages(context, *Open(store::kInboxName), nullptr);
        phone->Stop();

        const auto at = std::find(log.events.begin(), log.events.end(), row.after);
        ASSERT_LT(at + 1, log.events.end());
        EXPECT_EQ(at[1], Pause(row.ms));
    }
}

}  // namespace
}  // namespace mivex::transfer::test
