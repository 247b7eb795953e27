// How long each run holds a text on screen or lets the phone catch up. The
// other tests of the runs leave the pauses out; every pause is asserted here,
// once, at the place it belongs.

#include <gtest/gtest.h>

#include <algorithm>

#include "phone/phone_link.h"
#include "phone_fixtures.h"
#include "transfer/receive_run.h"
#include "transfer/send_run.h"
#include "transfer_fixture.h"

namespace mivex::transfer::test {
namespace {

enum class Scenario { SendOne, SendLong, SendRefused, SendUnfiled, Receive, ReceiveCut, NoPort };

class RunPauses : public TransferOnPty {
protected:
    void Play(Scenario scenario) {
        options.strings[options::Option::ServiceCentre] = u"+447700900000";
        const bool sends = scenario < Scenario::Receive;
        ASSERT_NO_FATAL_FAILURE(
            Queue({{u"+111", scenario == Scenario::SendLong ? std::u16string(200, u'x')
                                                            : std::u16string(u"hi")}}));
        phonesim::FaultPlan faults;
        if (scenario == Scenario::SendRefused)
            faults.refusedSubmissions = {1};
        if (scenario == Scenario::ReceiveCut)
            faults = phonesim::test::Plan(
                {phonesim::test::Fault(phonesim::FaultKind::Cut, "+CMGR=2 20")});
        ASSERT_NO_FATAL_FAILURE(StartPhone(
            sends ? Stores(5, {}) : Stores(5, {{1, Delivered(u"a")[0]}, {2, Delivered(u"b")[0]}}),
            faults));
        if (scenario == Scenario::NoPort)
            options.strings[options::Option::Port] = u"/nonexistent/port:";
        store->SetReadOnly(scenario == Scenario::SendUnfiled);
        if (sends) {
            (void)Send();
        } else {
            store::FolderHandle inbox = Open(store::kInboxName);
            (void)ReceiveMessages(context, *inbox, nullptr);
        }
        phone->Stop();
    }
};

TEST_F(RunPauses, EachPauseFollowsItsText) {
    struct Case {
        const char* name;
        Scenario scenario;
        std::u16string after;  // the text the pause follows
        std::uint32_t ms;
    };
    const std::vector<Case> cases = {
        {.name = "service centre shown before the first send",
         .scenario = Scenario::SendOne,
         .after = u"Using SC Number +447700900000",
         .ms = 1000},
        {.name = "between the prompt and the PDU",
         .scenario = Scenario::SendOne,
         .after = u"Sending to +111",
         .ms = 200},
        {.name = "after a message is filed",
         .scenario = Scenario::SendOne,
         .after = u"Message Sent OK",
         .ms = 250},
        {.name = "after the last segment",
         .scenario = Scenario::SendLong,
         .after = u"Message segment 2 sent OK",
         .ms = 250},
        {.name = "after a failed send",
         .scenario = Scenario::SendRefused,
         .after = Coloured(1, 2, kSendFailedText),
         .ms = 2000},
        {.name = "after a message that could not be filed",
         .scenario = Scenario::SendUnfiled,
         .after = Coloured(1, 2, kSentNotFiledText),
         .ms = 2000},
        {.name = "after the port is closed",
         .scenario = Scenario::Receive,
         .after = u"Receiving message 2",
         .ms = 200},
        {.name = "with the count of new messages",
         .scenario = Scenario::Receive,
         .after = u"You have 2 new messages..",
         .ms = 1200},
        {.name = "with the count of an incomplete run",
         .scenario = Scenario::ReceiveCut,
         .after = Coloured(1, 2, IncompleteText(1)),
         .ms = 1200},
        {.name = "after a failed start-up",
         .scenario = Scenario::NoPort,
         .after = Coloured(1, 2, phone::kFailedConnectText),
         .ms = 1000},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        ASSERT_NO_FATAL_FAILURE(Play(row.scenario));
        const auto at = std::find(log.events.begin(), log.events.end(), row.after);
        ASSERT_NE(at, log.events.end());
        ASSERT_NE(at + 1, log.events.end());
        EXPECT_EQ(at[1], Pause(row.ms));
    }
}

}  // namespace
}  // namespace mivex::transfer::test
