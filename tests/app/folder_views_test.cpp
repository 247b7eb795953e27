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
#include "app/qt_text.h"
#include "app/sent_view.h"
#include "app/transfer_runner.h"
#include "app_fixture.h"
#include "phonesim/deliver_builder.h"
#include "phonesim/simulated_phone.h"
#include "platform/memory_controls.h"
#include "store/message_records.h"
#include "store/queueing.h"
#include "transfer/ui/status_strip.h"

namespace mivex::app {
namespace {

using platform::PromptAnswer;

constexpr const char* kOwnNumber = "+447700900999";
constexpr int kCapacity = 30;
constexpr std::string_view kOwnContact =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Phone;Demo;;;\r\nFN:Demo Phone\r\n"
    "TEL;TYPE=CELL:+447700900999\r\nEND:VCARD\r\n";

// Steps taken while the program runs: each waits until its condition holds
// (and no transfer is going on), then acts. A flow that stalls for 30 s
// closes the window, so the test ends and fails rather than hangs.
class Driver final : public QObject {
public:
    void Then(std::function<bool()> ready, std::function<void()> act) {
        steps_.push_back({std::move(ready), std::move(act)});
    }

    // Runs the compose view until the program ends; true when every step ran.
    bool Run(ComposeView& compose, MainWindow& window) {
        QTimer timer;
        QElapsedTimer stalled;
        stalled.start();
        QObject::connect(&timer, &QTimer::timeout, [&] {
            if (steps_.empty() || TransferRunner::Busy())
                return;
            if (stalled.elapsed() > 30'000) {
                steps_.clear();
                timedOut_ = true;
                window.close();
                return;
            }
            if (!steps_.front().ready())
                return;
            const std::function<void()> act = std::move(steps_.front().act);
            steps_.erase(steps_.begin());
            stalled.restart();
            act();
        });
        timer.start(10);
        compose.Run();
        return steps_.empty() && !timedOut_;
    }

private:
    struct Step {
        std::function<bool()> ready;
        std::function<void()> act;
    };
    std::vector<Step> steps_;
    bool timedOut_ = false;
};

class FolderViewsTest : public ::testing::Test, public testing::AppFixture {
protected:
    FolderViewsTest() : views(window, context) { context.SetViews(&views); }
    ~FolderViewsTest() override {
        if (phone)
            phone->Stop();
    }

    static phonesim::PhoneStores Empty() {
        return {phonesim::MessageStore(kCapacity), phonesim::MessageStore(kCapacity)};
    }
    void StartPhone(phonesim::PhoneStores stores = Empty(), phonesim::FaultPlan faults = {},
                    int baudRate = 0) {
        phonesim::PhoneSetup setup;
        setup.stores = std::move(stores);
        setup.faults = std::move(faults);
        setup.baudRate = baudRate;
        setup.settings.ownNumber = kOwnNumber;
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
    // Messages the phone holds from `sender`, one PDU each.
    static phonesim::PhoneStores Holding(const std::vector<std::u16string>& texts,
                                         std::string_view sender = "+447700900123") {
        phonesim::PhoneStores stores = Empty();
        int slot = 1;
        for (const std::u16string& text : texts) {
            for (auto& pdu :
                 phonesim::BuildDeliverPdus(text, sender, "+447700900000", {2026, 3, 5, 8, 0, 0}))
                EXPECT_TRUE(
                    stores.phone.Put(slot++, {pdu, phonesim::MessageStatus::ReceivedUnread}));
        }
        return stores;
    }

    void Queue(std::u16string_view text, const std::vector<std::u16string>& recipients,
               store::SendNow sendNow = store::SendNow::No) {
        store::FolderHandle outbox =
            context.Store().OpenFolder(store::kOutboxName, store::kOutboxByDate);
        platform::MemoryText message{std::u16string(text)};
        platform::MemoryList list;
        for (const std::u16string& recipient : recipients)
            list.AddRow(recipient);
        EXPECT_GT(store::QueueMessage(message, list, *outbox, sendNow, context.Prompter(), clock),
                  0);
        context.Store().CloseFolder(outbox);
        clock.SleepMs(1000);  // the next queueing is another group
    }
    std::size_t Count(std::u16string_view folder) {
        store::FolderHandle handle = context.Store().OpenFolder(
            folder, folder == store::kInboxName ? store::kInboxByDate : store::kSentByDate);
        std::size_t count = 0;
        for (auto id = handle->SeekBeginning(); id != 0; id = handle->SeekForward())
            ++count;
        context.Store().CloseFolder(handle);
        return count;
    }

    template <class View>
    View* Top() {
        return dynamic_cast<View*>(window.TopPage());
    }
    // Every text the strips show from now on, in order: each strip is
    // followed from the moment it is first shown.
    class StripFollower final : public QObject {
    public:
        explicit StripFollower(QStringList& shown) : shown_(shown) {}
        bool eventFilter(QObject* watched, QEvent* event) override {
            auto* strip = qobject_cast<transfer::StatusStrip*>(watched);
            if (event->type() == QEvent::Polish && strip != nullptr)
                QObject::connect(strip, &transfer::StatusStrip::shown,
                                 [this](const QString& text) { shown_ << text; });
            return false;
        }

    private:
        QStringList& shown_;
    };
    void FollowStrips() { qApp->installEventFilter(&follower); }
    bool Shown(const QString& text) const { return shown.contains(text); }
    bool ShownStarting(const QString& text) const {
        return std::any_of(shown.begin(), shown.end(),
                           [&](const QString& line) { return line.startsWith(text); });
    }
    QStringList Rows(FolderView& view) {
        QStringList rows;
        for (int row = 0; row < view.List().count(); ++row)
            rows << view.List().item(row)->text();
        return rows;
    }

    AppViews views;
    std::unique_ptr<phonesim::SimulatedPhone> phone;
    Driver driver;
    QStringList shown;
    StripFollower follower{shown};
};

// Compose to two recipients, one of them the phone itself: only those two
// go, into Sent; then "Send and Receive" from the Outbox view sends the rest
// and brings the looped-back message into the Inbox, named from the address
// book.
TEST_F(FolderViewsTest, ComposeSendsOnlyItsMessagesAndTheChainReceivesTheLoopBack) {
    WriteContacts("me.vcf", kOwnContact);
    StartPhone();
    Queue(u"Queued earlier", {u"+447700900555"});
    ComposeView compose(window, context);
    FollowStrips();
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
    driver.Then([&] { return Top<InboxView>() && ShownStarting(QStringLiteral("You have")); },
                [&] {
                    InboxView& inbox = *Top<InboxView>();
                    EXPECT_EQ(inbox.List().count(), 1);
                    EXPECT_TRUE(Rows(inbox).front().endsWith(QStringLiteral("Demo Phone")));
                    EXPECT_EQ(inbox.MessageEdit().toPlainText(), QStringLiteral("Round trip"));
                    inbox.PostCommand(cmd::Quit);
                });
    EXPECT_TRUE(driver.Run(compose, window));
    EXPECT_EQ(phone->Submitted().size(), 3u);
    EXPECT_EQ(Count(store::kOutboxName), 0u);
    EXPECT_EQ(Count(store::kSentName), 3u);
}

TEST_F(FolderViewsTest, SendAndReceiveWithAnEmptyOutboxStillReceives) {
    StartPhone(Holding({u"Hello there"}));
    ComposeView compose(window, context);
    FollowStrips();
    driver.Then([&] { return window.TopPage() == &compose; },
                [&] {
                    Answer({PromptAnswer::Yes});
                    compose.PostCommand(cmd::SendAndReceive);
                });
    driver.Then([&] { return Top<InboxView>() && ShownStarting(QStringLiteral("You have")); },
                [&] {
                    EXPECT_EQ(Top<InboxView>()->List().count(), 1);
                    Top<InboxView>()->PostCommand(cmd::New);
                });
    driver.Then([&] { return window.TopPage() == &compose; },
                [&] { compose.PostCommand(cmd::Quit); });
    EXPECT_TRUE(driver.Run(compose, window));
    EXPECT_TRUE(Shown(ToQString(kNothingToSendText)));
    EXPECT_FALSE(context.Shell().autoTransfer);
}

// Every switch nests one view deeper; "New" unwinds them all, and "Quit"
// from the deepest view ends the program.
TEST_F(FolderViewsTest, SwitchesNestAndUnwind) {
    ComposeView compose(window, context);
    const auto top = [&](int command) -> std::function<bool()> {
        return [&, command] {
            ViewPage* page = window.TopPage();
            switch (command) {
                case cmd::Inbox:
                    return dynamic_cast<InboxView*>(page) != nullptr;
                case cmd::Outbox:
                    return dynamic_cast<OutboxView*>(page) != nullptr;
                case cmd::Sent:
                    return dynamic_cast<SentView*>(page) != nullptr;
                default:
                    return page == &compose;
            }
        };
    };
    const auto post = [&](int command) {
        return [&, command] { window.TopPage()->PostCommand(command); };
    };
    for (const int finish : {cmd::New, cmd::Quit}) {
        SCOPED_TRACE(finish);
        driver.Then(top(cmd::New), post(cmd::Inbox));
        driver.Then(top(cmd::Inbox), post(cmd::Outbox));
        driver.Then(top(cmd::Outbox), post(cmd::Sent));
        driver.Then(top(cmd::Sent), [&] {
            // The view's own command does nothing.
            EXPECT_FALSE(window.TopPage()->SendCommand(cmd::Sent));
            window.TopPage()->PostCommand(cmd::Inbox);
        });
        driver.Then(top(cmd::Inbox), [&, finish] {
            EXPECT_EQ(window.findChildren<FolderView*>().size(), 4);
            window.TopPage()->PostCommand(finish);
        });
        if (finish == cmd::New) {
            driver.Then(top(cmd::New),
                        [&] { EXPECT_TRUE(window.findChildren<FolderView*>().isEmpty()); });
        }
    }
    EXPECT_TRUE(driver.Run(compose, window));
    EXPECT_TRUE(window.findChildren<FolderView*>().isEmpty());
}

// A phone that answers nothing, and a port that cannot be opened: the runs
// end with their texts in the strip and the folders as they were.
TEST_F(FolderViewsTest, FailedConnectionsLeaveTheFoldersAlone) {
    phonesim::FaultPlan silent;
    silent.commandFaults.push_back(
        {.kind = phonesim::FaultKind::Silent, .pattern = "*", .text = {}, .count = 0});
    const struct {
        const char* name;
        bool openable;
        const char* text;
    } cases[] = {
        {"silent phone", true, "Failed setup - Check options and phone settings!  "},
        {"no port", false, "Failed connect - Check options and phone settings!  "},
    };
    ComposeView compose(window, context);
    Queue(u"Stays queued", {u"+447700900555"});
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.name);
        if (entry.openable)
            StartPhone(Holding({u"Never read"}), silent);
        else
            SetPort("/dev/mivex-no-such-port:");
        // A silent phone costs every time-out in real time: the receive shows it.
        for (const int command : {cmd::Inbox, cmd::Outbox}) {
            if (entry.openable && command == cmd::Outbox)
                continue;
            std::unique_ptr<FolderView> view;
            if (command == cmd::Inbox)
                view = std::make_unique<InboxView>(window, context);
            else
                view = std::make_unique<OutboxView>(window, context);
            QSignalSpy texts(&view->Strip(), &transfer::StatusStrip::shown);
            if (command == cmd::Outbox)
                view->List().selectAll();
            view->OnCommand(command == cmd::Inbox ? cmd::Receive : cmd::SendSelected);
            bool failed = false;
            for (const QList<QVariant>& text : texts)
                failed |= text.at(0).toString() == QString::fromUtf8(entry.text) &&
                          text.at(1).toInt() == 1;
            EXPECT_TRUE(failed);
        }
        EXPECT_EQ(Count(store::kInboxName), 0u);
        EXPECT_EQ(Count(store::kOutboxName), 1u);
        if (phone) {
            phone->Stop();
            phone.reset();
        }
    }
}

// The window goes on turning its event loop while a run waits on a slow line.
TEST_F(FolderViewsTest, TheWindowStaysAliveDuringARun) {
    StartPhone(Holding({u"One", u"Two", u"Three"}), {}, 9600);
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
    StartPhone(Holding({u"First line\r\nsecond line"}, "+447700900123"));
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
        ASSERT_EQ(compose.Recipients().count(), 1);
        EXPECT_EQ(compose.Recipients().item(0)->text(), QStringLiteral("Ann Lee,+447700900123"));
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

    Queue(u"Group one", {u"+447700900501", u"+447700900502"});
    Queue(u"Group two", {u"+447700900503"});
    {
        OutboxView outbox(window, context);
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
    FollowStrips();
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
