// The folder views as a person uses them: the real widgets over a real store
// and the simulated phone on a pseudo-terminal, each flow driven step by step
// while the views run their own loops.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/app_views.h"
#include "app/command_ids.h"
#include "app/compose_view.h"
#include "app/inbox_view.h"
#include "app/outbox_view.h"
#include "app/pin_dialog.h"
#include "app/qt_text.h"
#include "app/sent_view.h"
#include "app/transfer_runner.h"
#include "app_fixture.h"
#include "phonesim/deliver_builder.h"
#include "phonesim/simulated_phone.h"
#include "store/folder_listing.h"
#include "transfer/ui/status_strip.h"
#include "view_driver.h"

namespace mivex::app {
namespace {

using platform::PromptAnswer;
using transfer::StatusStrip;

constexpr int kCapacity = 30;
constexpr std::string_view kOwnContact =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Phone;Demo;;;\r\nFN:Demo Phone\r\n"
    "TEL;TYPE=CELL:+447700900999\r\nEND:VCARD\r\n";

class FolderViewsTest : public ::testing::Test, public testing::AppFixture {
protected:
    FolderViewsTest() : views(window, context) {
        context.SetViews(&views);
        qApp->installEventFilter(&follower);
    }

    // The phone holds `texts` from Ann Lee, one message each.
    void StartPhone(const std::vector<std::u16string>& texts = {}, phonesim::FaultPlan faults = {},
                    int baudRate = 0) {
        phonesim::PhoneSetup setup;
        setup.stores = {phonesim::MessageStore(kCapacity), phonesim::MessageStore(kCapacity)};
        int slot = 1;
        for (const std::u16string& text : texts) {
            for (auto& pdu : phonesim::BuildDeliverPdus(text, "+447700900123", "+447700900000",
                                                        {2026, 3, 5, 8, 0, 0}))
                EXPECT_TRUE(
                    setup.stores.phone.Put(slot++, {pdu, phonesim::MessageStatus::ReceivedUnread}));
        }
        setup.faults = std::move(faults);
        setup.baudRate = baudRate;
        setup.settings.ownNumber = "+447700900999";
        setup.settings.sim = sim;
        phone = std::make_unique<phonesim::SimulatedPhone>(std::move(setup));
        std::string error;
        ASSERT_TRUE(phone->Start(error)) << error;
        SetPort(phone->DevicePath() + ":");
        ASSERT_TRUE(context.Options().WriteOption(options::Option::UsePhoneServiceCentre, 1));
    }
    void SetPort(const std::string& port) {
        ASSERT_TRUE(context.Options().WriteOption(options::Option::Port,
                                                  std::u16string(port.begin(), port.end())));
    }

    // Queued as a person does it, each call a group of its own.
    void Queue(ComposeView& compose, const QString& text, const QStringList& recipients) {
        compose.MessageEdit().setPlainText(text);
        compose.Recipients().addItems(recipients);
        compose.OnCommand(cmd::MoveToOutbox);
        clock.SleepMs(1000);
    }

    template <class View>
    View* Top() {
        return dynamic_cast<View*>(window.TopPage());
    }
    // How many texts shown so far start so.
    [[nodiscard]] auto Shown(const QString& start) const {
        return std::count_if(follower.texts.begin(), follower.texts.end(),
                             [&](const QString& text) { return text.startsWith(start); });
    }

    AppViews views;
    phonesim::SimSettings sim;  // of the next phone started
    std::unique_ptr<phonesim::SimulatedPhone> phone;
    Driver driver;
    StripFollower follower;
};

// Compose to two recipients, one of them the phone itself: only those two
// go, into Sent; then "Send and Receive" from the Outbox view sends the rest
// and brings the looped-back message into the Inbox, named from the address
// book. "New" unwinds to the compose view, whose "Send and Receive", with
// nothing left to send, still receives; "Quit" from the Inbox ends it all.
TEST_F(FolderViewsTest, ComposeSendsOnlyItsMessagesAndTheChainReceivesTheLoopBack) {
    WriteContacts("me.vcf", kOwnContact);
    StartPhone();
    ComposeView compose(window, context);
    Queue(compose, "Queued earlier", {"+447700900555"});
    driver.Then([&] { return window.TopPage() == &compose; },
                [&] {
                    compose.MessageEdit().setPlainText(QStringLiteral("Round trip"));
                    compose.Recipients().addItems({"Demo Phone,+447700900999", "+447700900556"});
                    compose.PostCommand(cmd::MoveToOutboxAndSend);
                });
    driver.Then([&] { return Top<OutboxView>() && Shown(QStringLiteral("2 Messages sent OK!")); },
                [&] {
                    EXPECT_EQ(Top<OutboxView>()->List().count(), 1);
                    EXPECT_EQ(Count(store::kSentName), 2u);
                    Answer({PromptAnswer::Yes});
                    Top<OutboxView>()->PostCommand(cmd::SendAndReceive);
                });
    driver.Then(
        [&] { return Top<InboxView>() && Shown(QStringLiteral("You have")) == 1; },
        [&] {
            InboxView& inbox = *Top<InboxView>();
            // The Outbox view went before the Inbox view came.
            EXPECT_EQ(window.findChildren<FolderView*>().size(), 1);
            ASSERT_EQ(inbox.List().count(), 1);
            EXPECT_TRUE(inbox.List().item(0)->text().endsWith(QStringLiteral("Demo Phone")));
            EXPECT_EQ(inbox.MessageEdit().toPlainText(), QStringLiteral("Round trip"));
            inbox.PostCommand(cmd::New);
        });
    driver.Then([&] { return window.TopPage() == &compose; },
                [&] {
                    Answer({PromptAnswer::Yes});
                    compose.PostCommand(cmd::SendAndReceive);
                });
    driver.Then([&] { return Top<InboxView>() && Shown(QStringLiteral("You have")) == 2; },
                [&] { Top<InboxView>()->PostCommand(cmd::Quit); });
    EXPECT_TRUE(driver.Run(compose, window));
    EXPECT_EQ(Shown(ToQString(kNothingToSendText)), 1);
    EXPECT_FALSE(context.Shell().sendAndReceive.Running());
    EXPECT_EQ(phone->Submitted().size(), 3u);
    EXPECT_EQ(Count(store::kOutboxName), 0u);
    EXPECT_EQ(Count(store::kSentName), 3u);
}

// However many switches, one folder view lives and the loops do not nest
// deeper: the steps run at one stack depth. A command posted twice opens one
// view, and one posted to a view that another covers is dropped.
TEST_F(FolderViewsTest, SwitchesKeepOneFolderViewAndNoDeeperStack) {
    constexpr int kSwitches = 300;
    const int targets[] = {cmd::Inbox, cmd::Outbox, cmd::Sent};
    ComposeView compose(window, context);
    std::vector<std::uintptr_t> depths;
    std::size_t mostViews = 0;
    const auto showing = [&](int command) {
        return [&, command] {
            ViewPage* top = window.TopPage();
            return command == cmd::Inbox    ? dynamic_cast<InboxView*>(top) != nullptr
                   : command == cmd::Outbox ? dynamic_cast<OutboxView*>(top) != nullptr
                                            : dynamic_cast<SentView*>(top) != nullptr;
        };
    };
    driver.Then([&] { return window.TopPage() == &compose; },
                [&] {
                    compose.PostCommand(cmd::Inbox);
                    compose.PostCommand(cmd::Inbox);
                });
    for (int step = 1; step <= kSwitches; ++step) {
        driver.Then(showing(targets[(step - 1) % 3]), [&, step] {
            depths.push_back(reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)));
            mostViews = std::max<std::size_t>(mostViews, window.findChildren<ViewPage*>().size());
            compose.PostCommand(cmd::Sent);  // covered: dropped
            window.TopPage()->PostCommand(targets[step % 3]);
        });
    }
    driver.Then(showing(targets[kSwitches % 3]), [&] {
        compose.PostCommand(cmd::Sent);
        window.TopPage()->PostCommand(cmd::New);
    });
    driver.Then([&] { return window.TopPage() == &compose; },
                [&] { compose.PostCommand(cmd::Quit); });
    EXPECT_TRUE(driver.Run(compose, window));
    EXPECT_EQ(mostViews, 2u);
    ASSERT_FALSE(depths.empty());
    EXPECT_EQ(*std::min_element(depths.begin(), depths.end()),
              *std::max_element(depths.begin(), depths.end()));
}

// A view's own command is left to the view behind it.
TEST_F(FolderViewsTest, TheOwnCommandIsNotHandled) {
    ComposeView compose(window, context);
    SentView sent(window, context);
    EXPECT_FALSE(sent.SendCommand(cmd::Sent));
}

// A port that cannot be opened: the runs end with their texts in the strip
// and the folders as they were. (A phone that answers nothing is the phone
// link's and the runs' to handle; their tests run it in virtual time.)
TEST_F(FolderViewsTest, FailedConnectionsLeaveTheFoldersAlone) {
    // clang-format off
    const struct { const char* name; int command; const char* text; } cases[] = {
        {"no port, receive", cmd::Receive, "Failed connect - Check options"},
        {"no port, send", cmd::SendSelected, "Failed connect - Check options"},
    };
    // clang-format on
    ComposeView compose(window, context);
    Queue(compose, "Stays queued", {"+447700900555"});
    SetPort("/dev/mivex-no-such-port:");
    ASSERT_TRUE(context.Options().WriteOption(options::Option::UsePhoneServiceCentre, 1));
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        const std::unique_ptr<FolderView> view(
            row.command == cmd::Receive ? static_cast<FolderView*>(new InboxView(window, context))
                                        : new OutboxView(window, context));
        view->List().selectAll();
        QSignalSpy texts(&view->Strip(), &StatusStrip::shown);
        view->OnCommand(row.command);
        // Shown in the colour of failures, 1.
        EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [&](const QList<QVariant>& shown) {
            return shown[0].toString().startsWith(QLatin1String(row.text)) && shown[1] == 1;
        }));
        EXPECT_EQ(Count(store::kInboxName), 0u);
        EXPECT_EQ(Count(store::kOutboxName), 1u);
    }
}

// A locked SIM is unlocked with the PIN the dialog gives; a PIN remembered
// is used without asking until a SIM refuses it, and then asked for again.
TEST_F(FolderViewsTest, ALockedSimTakesThePinTheDialogGives) {
    ComposeView compose(window, context);
    InboxView inbox(window, context);
    QtPinPrompter::AnswerNextPins({platform::PinEntry{"2580", true}, platform::PinEntry{"1111"}});
    const std::size_t askedBefore = QtPinPrompter::AskedQuestions().size();
    // Each phone's PIN (the last row goes on with the phone before), whether
    // the user is asked, and how the run ends.
    const struct {
        const char* pin;
        bool asked;
        const char* last;
    } phones[] = {
        {"2580", true, "You have 1 new"},
        {"2580", false, "You have 0 new"},
        {"1111", false, "Wrong PIN"},
        {nullptr, true, "You have 0 new"},
    };
    for (const auto& row : phones) {
        SCOPED_TRACE(row.pin != nullptr ? row.pin : "same phone");
        if (row.pin != nullptr) {
            sim.pin = row.pin;
            StartPhone({u"Locked away"});
        }
        const std::size_t asked = QtPinPrompter::AskedQuestions().size();
        const auto shown = Shown(QLatin1String(row.last));
        inbox.OnCommand(cmd::Receive);
        EXPECT_EQ(QtPinPrompter::AskedQuestions().size() - asked, row.asked ? 1u : 0u);
        EXPECT_EQ(Shown(QLatin1String(row.last)) - shown, 1);
    }
    EXPECT_EQ(QtPinPrompter::AskedQuestions().size() - askedBefore, 2u);
    EXPECT_EQ(QtPinPrompter::AskedQuestions().back().triesLeft, 2);
}

// The window goes on turning its event loop while a run waits on a slow line.
TEST_F(FolderViewsTest, TheWindowStaysAliveDuringARun) {
    StartPhone({u"One", u"Two", u"Three"}, {}, 9600);
    ComposeView compose(window, context);
    InboxView inbox(window, context);
    QTimer ticking;
    ticking.start(5);
    inbox.OnCommand(cmd::Receive);
    EXPECT_EQ(inbox.List().count(), 3);
    EXPECT_GT(TransferRunner::LastRunTurns(), 20);
}

// Reply and forward reach the compose view; "Edit" refuses messages of two
// queueings and leaves the Outbox as it was; "Copy to Outbox and Send" sends
// only the copies; the sort order and place outlive the view.
TEST_F(FolderViewsTest, HandOversAndGroupOperations) {
    StartPhone({u"First line\r\nsecond line"});
    WriteContacts("ann.vcf",
                  "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;Ann;;;\r\nFN:Ann Lee\r\n"
                  "TEL;TYPE=CELL:+447700900123\r\nEND:VCARD\r\n");
    ComposeView compose(window, context);
    {
        InboxView inbox(window, context);
        inbox.OnCommand(cmd::Receive);
        ASSERT_EQ(inbox.List().count(), 1);
        compose.Recipients().addItem(QStringLiteral("someone else"));
        inbox.OnCommand(cmd::Reply);
        EXPECT_TRUE(inbox.Ended());
        EXPECT_EQ(compose.MessageEdit().toPlainText(),
                  QStringLiteral("Re message:-\nFirst line\nsecond line"));
        EXPECT_EQ(Texts(compose.Recipients()), QStringList{"Ann Lee,+447700900123"});
        inbox.OnCommand(cmd::SortByName);
    }
    {
        InboxView inbox(window, context);
        EXPECT_TRUE(inbox.MenuBar().Item(cmd::SortByName)->isChecked());
        EXPECT_FALSE(inbox.MenuBar().Item(cmd::SortByDate)->isChecked());
        inbox.List().item(0)->setSelected(true);
        inbox.OnCommand(cmd::Forward);
        EXPECT_EQ(compose.MessageEdit().toPlainText(), QStringLiteral("First line\nsecond line"));
    }

    Queue(compose, "Group one", {"+447700900501", "+447700900502"});
    Queue(compose, "Group two", {"+447700900503"});
    {
        OutboxView outbox(window, context);
        window.PushPage(&outbox);  // on top, where the commands it posts run
        ASSERT_EQ(outbox.List().count(), 3);
        outbox.List().selectAll();
        compose.Recipients().addItem(QStringLiteral("kept?"));
        outbox.OnCommand(cmd::Edit);
        EXPECT_FALSE(outbox.Ended());
        EXPECT_EQ(Boxes().back().text, store::kEditGroupRefusal);
        EXPECT_EQ(Count(store::kOutboxName), 3u);
        EXPECT_EQ(compose.Recipients().count(), 0);
        outbox.OnCommand(cmd::SendAll);
        EXPECT_TRUE(QTest::qWaitFor([&] { return Count(store::kOutboxName) == 0; }, 20'000));
    }

    const std::size_t submitted = phone->Submitted().size();
    driver.Then([&] { return window.TopPage() == &compose; },
                [&] { compose.PostCommand(cmd::Sent); });
    driver.Then([&] { return Top<SentView>() != nullptr; },
                [&] {
                    SentView& sent = *Top<SentView>();
                    ASSERT_EQ(sent.List().count(), 3);
                    sent.List().item(0)->setSelected(true);
                    sent.List().item(2)->setSelected(true);
                    sent.PostCommand(cmd::CopyToOutboxAndSend);
                });
    driver.Then([&] { return Top<OutboxView>() && Shown(QStringLiteral("2 Messages sent OK!")); },
                [&] { Top<OutboxView>()->PostCommand(cmd::Quit); });
    EXPECT_TRUE(driver.Run(compose, window));
    EXPECT_EQ(phone->Submitted().size(), submitted + 2);
    EXPECT_EQ(Count(store::kSentName), 5u);
}

}  // namespace
}  // namespace mivex::app
