// The window's live connection against the simulated phone on a pseudo-
// terminal: messages the network delivers while the window is open show up
// by themselves, a desktop notification (python3-dbusmock's notification
// daemon on a private bus) leads back to them, and the runs the user starts
// go through the port the connection holds open.

#include "app/live_connection.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QThread>
#include <algorithm>
#include <fstream>
#include <memory>
#include <vector>

#include "app/app_views.h"
#include "app/arrival_notices.h"
#include "app/command_ids.h"
#include "app/dbus_notifier.h"
#include "app/inbox_view.h"
#include "app/outbox_view.h"
#include "app_fixture.h"
#include "phonesim/deliver_builder.h"
#include "phonesim/simulated_phone.h"
#include "sms/hex_text.h"
#include "view_driver.h"

namespace mivex::app {
namespace {

constexpr int kCapacity = 30;
constexpr qint64 kShownWithinMs = 2000;

// A desktop's notification service: a private session bus with
// python3-dbusmock's notification daemon on it, logging every call.
class NotificationBus {
public:
    // A service with dbusmock's capabilities, or those given.
    explicit NotificationBus(const std::string& capabilities = "") {
        bus_ = Spawn({"/usr/bin/dbus-daemon", "--session", "--nofork", "--address=" + address_});
        (void)WaitUntil([&] { return std::filesystem::exists(directory_.path() / "bus"); });
        std::vector<std::string> daemon = {"/usr/bin/python3",
                                           "-m",
                                           "dbusmock",
                                           "--template",
                                           "notification_daemon",
                                           "-l",
                                           (directory_.path() / "calls.log").string()};
        if (!capabilities.empty())
            daemon.insert(daemon.end(), {"-p", "{\"capabilities\": \"" + capabilities + "\"}"});
        daemon_ = Spawn(std::move(daemon));
        started = WaitUntil([&] { return Connection().interface()->isServiceRegistered(kName); });
    }
    ~NotificationBus() {
        QDBusConnection::disconnectFromBus(QString::fromStdString(address_));
        for (const pid_t pid : {daemon_, bus_})
            if (pid > 0 && kill(pid, SIGKILL) == 0)
                waitpid(pid, nullptr, 0);
    }
    [[nodiscard]] QDBusConnection Connection() const {
        const QString address = QString::fromStdString(address_);
        return QDBusConnection::connectToBus(address, address);
    }
    [[nodiscard]] std::string Log() const {
        std::ifstream in(directory_.path() / "calls.log");
        return {std::istreambuf_iterator<char>(in), {}};
    }
    void Click(uint id) const {
        QDBusMessage signal = QDBusMessage::createMethodCall(
            kName, QStringLiteral("/org/freedesktop/Notifications"),
            QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("EmitSignal"));
        signal << kName << QStringLiteral("ActionInvoked") << QStringLiteral("us")
               << QVariantList{id, QStringLiteral("default")};
        (void)Connection().call(signal);
    }

    bool started = false;

private:
    pid_t Spawn(std::vector<std::string> arguments) const {
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        std::string bus = "DBUS_SESSION_BUS_ADDRESS=" + address_;
        char* env[] = {bus.data(), nullptr};
        pid_t pid = -1;
        return posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), env) == 0 ? pid : -1;
    }
    template <typename Ready>
    static bool WaitUntil(Ready ready) {
        for (int tries = 0; tries < 1000 && !ready(); ++tries)
            QThread::msleep(20);
        return ready();
    }

    const QString kName = QStringLiteral("org.freedesktop.Notifications");
    testing::TempDir directory_;
    std::string address_ = "unix:path=" + (directory_.path() / "bus").string();
    pid_t bus_ = -1, daemon_ = -1;
};

struct LiveWindow : testing::AppFixture {
    explicit LiveWindow(const std::string& capabilities = "") : bus(capabilities) {
        context.SetViews(&views);
        context.SetLive(&live);
        qApp->installEventFilter(&follower);
        std::string error;
        EXPECT_EQ(mkfifo(fifo.c_str(), 0600), 0);
        phonesim::PhoneSetup setup;
        setup.stores = {phonesim::MessageStore(kCapacity), phonesim::MessageStore(kCapacity)};
        setup.incomingFifo = fifo.string();
        setup.settings.ownNumber = "+447700900999";
        phone = std::make_unique<phonesim::SimulatedPhone>(std::move(setup));
        EXPECT_TRUE(phone->Start(error)) << error;
        const std::string port = phone->DevicePath() + ":";
        EXPECT_TRUE(context.Options().WriteOption(options::Option::Port,
                                                  std::u16string(port.begin(), port.end())));
        EXPECT_TRUE(context.Options().WriteOption(options::Option::UsePhoneServiceCentre, 1));
        live.FollowOptions();
    }
    ~LiveWindow() {
        live.Stop();
        context.SetLive(nullptr);
    }

    // Each part of `text` arrives from the network, one after the other.
    void Arrive(std::u16string_view text) {
        for (const auto& pdu : phonesim::BuildDeliverPdus(text, "+447700900123", "+447700900000",
                                                          {2026, 3, 5, 8, 0, 0}, 7))
            std::ofstream(fifo) << sms::BytesToHex(pdu) << '\n';
    }
    template <class View>
    View* Top() {
        return dynamic_cast<View*>(window.TopPage());
    }

    std::filesystem::path fifo = dir.path() / "incoming";
    std::unique_ptr<phonesim::SimulatedPhone> phone;
    AppViews views{window, context};
    NotificationBus bus;
    DbusNotifier notifier{[this] { return bus.Connection(); }, QStringLiteral("Mivex"),
                          QStringLiteral("org.mivex.Mivex")};
    ArrivalNotices arrivals{window, context, &notifier};
    LiveConnection live{window, context, arrivals};
    Driver driver;
    StripFollower follower;
};

// A message arriving while the Inbox is in front shows in its list; while
// the compose view is, a notification says who wrote what (several at once:
// how many), and clicking it opens the Inbox on the message.
TEST(LiveConnection, NewMessagesShowUpByThemselves) {
    const struct {
        const char* name;
        std::vector<std::u16string> texts;  // arriving together
        bool inboxInFront;
        std::string notice;             // the Notify call's title and body as logged
        std::string capabilities = "";  // the service's, when not dbusmock's
    } rows[] = {
        {"in the open Inbox", {u"Hello there"}, true, ""},
        {"first line, as plain text",
         {u"<b>Tea</b> & cake?\nor not"},
         false,
         "\"+447700900123\" \"&lt;b&gt;Tea&lt;/b&gt; &amp; cake?\""},
        {"three parts arriving one by one show once, joined",
         {std::u16string(400, u'x')},
         false,
         "\"+447700900123\" \"" + std::string(200 - 1, 'x') + "\u2026\""},
        {"two at once", {u"one", u"two"}, false, "\"2 new messages\" \"From +447700900123\""},
        {"as written to a service that reads no markup",
         {u"<b>Tea</b> & cake?"},
         false,
         "\"+447700900123\" \"<b>Tea</b> & cake?\"",
         "body actions"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LiveWindow live(row.capabilities);
        ASSERT_TRUE(live.bus.started);
        ComposeView compose(live.window, live.context);
        live.window.show();
        live.window.activateWindow();
        QElapsedTimer sinceArrival;
        if (row.inboxInFront)
            live.driver.Then([&] { return live.window.TopPage() == &compose; },
                             [&] { compose.PostCommand(cmd::Inbox); });
        live.driver.Then([&] { return row.inboxInFront == (live.Top<InboxView>() != nullptr); },
                         [&] {
                             for (const std::u16string& text : row.texts)
                                 live.Arrive(text);
                             sinceArrival.start();
                         });
        // Listed; after a click on the notice, one of them selected and shown.
        const auto inboxShows = [&](bool shown) {
            InboxView* inbox = live.Top<InboxView>();
            const auto text = inbox ? inbox->MessageEdit().toPlainText().toStdU16String() : u"";
            return inbox != nullptr && inbox->List().count() == std::ssize(row.texts) &&
                   (!shown || std::ranges::find(row.texts, text) != row.texts.end());
        };
        if (row.inboxInFront) {
            live.driver.Then(
                [&] { return inboxShows(false) || sinceArrival.elapsed() > kShownWithinMs; },
                [&] {
                    EXPECT_TRUE(inboxShows(false));
                    EXPECT_LE(sinceArrival.elapsed(), kShownWithinMs);
                    live.Top<InboxView>()->PostCommand(cmd::Quit);
                });
        } else {
            live.driver.Then([&] { return live.bus.Log().find(" Notify ") != std::string::npos; },
                             [&] { live.bus.Click(1); });
            live.driver.Then([&] { return inboxShows(true); },
                             [&] { live.Top<InboxView>()->PostCommand(cmd::Quit); });
        }
        EXPECT_TRUE(live.driver.Run(compose, live.window)) << live.bus.Log();
        EXPECT_EQ(live.Count(store::kInboxName), row.texts.size());
        EXPECT_EQ(live.sounds.newMessageSounds, 1);
        const std::string log = live.bus.Log();
        if (row.notice.empty()) {
            EXPECT_EQ(log.find(" Notify "), std::string::npos) << log;
        } else {
            EXPECT_NE(log.find(row.notice), std::string::npos) << log;
            EXPECT_EQ(log.find(" Notify "), log.rfind(" Notify ")) << log;
        }
    }
}

// "Send and Receive" while the connection holds the port: the port is
// opened exclusively, so the send and the receive can only have used it.
TEST(LiveConnection, SendAndReceiveUsesTheOpenPort) {
    LiveWindow live;
    ComposeView compose(live.window, live.context);
    live.driver.Then([&] { return live.window.TopPage() == &compose; },
                     [&] {
                         compose.MessageEdit().setPlainText(QStringLiteral("Round trip"));
                         compose.Recipients().addItems({"+447700900999"});
                         compose.PostCommand(cmd::MoveToOutbox);
                         live.Answer({platform::PromptAnswer::Yes});
                         compose.PostCommand(cmd::SendAndReceive);
                     });
    live.driver.Then(
        [&] {
            return live.Top<InboxView>() && live.follower.texts.filter("You have").size() == 1 &&
                   live.Count(store::kInboxName) == 1;
        },
        [&] { live.Top<InboxView>()->PostCommand(cmd::Quit); });
    EXPECT_TRUE(live.driver.Run(compose, live.window))
        << live.follower.texts.join('|').toStdString();
    EXPECT_EQ(live.phone->Submitted().size(), 1u);
    EXPECT_EQ(live.Count(store::kSentName), 1u);
}

}  // namespace
}  // namespace mivex::app
