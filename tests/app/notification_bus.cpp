#include "notification_bus.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QThread>
#include <QVariantList>
#include <chrono>
#include <fstream>
#include <vector>

extern char** environ;

namespace mivex::testing {

namespace {

const QString kConnectionName = QStringLiteral("mivex-test-notifications");

pid_t Spawn(std::vector<std::string> arguments, const std::string& busAddress) {
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<std::string> settings{"DBUS_SESSION_BUS_ADDRESS=" + busAddress};
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (std::string_view(*entry).substr(0, 25) != "DBUS_SESSION_BUS_ADDRESS=")
            settings.emplace_back(*entry);
    }
    std::vector<char*> env;
    for (std::string& setting : settings)
        env.push_back(setting.data());
    env.push_back(nullptr);
    pid_t pid = -1;
    return posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), env.data()) == 0 ? pid : -1;
}

void End(pid_t pid) {
    if (pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

template <typename Ready>
bool WaitUntil(Ready ready) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!ready()) {
        if (std::chrono::steady_clock::now() > limit)
            return false;
        QThread::msleep(20);
    }
    return true;
}

}  // namespace

NotificationBus::NotificationBus() {
    const std::filesystem::path socket = directory_.path() / "bus";
    address_ = QString::fromStdString("unix:path=" + socket.string());
    bus_ = Spawn({"/usr/bin/dbus-daemon", "--session", "--nofork", "--nosyslog",
                  "--address=" + address_.toStdString()},
                 "");
    if (bus_ < 0 || !WaitUntil([&] { return std::filesystem::exists(socket); }))
        return;
    daemon_ = Spawn({"/usr/bin/python3", "-m", "dbusmock", "--template", "notification_daemon",
                     "-l", (directory_.path() / "calls.log").string()},
                    address_.toStdString());
    started_ = daemon_ > 0 && WaitUntil([&] {
                   QDBusConnection bus = Connection();
                   return bus.isConnected() && bus.interface()->isServiceRegistered(
                                                   QStringLiteral("org.freedesktop.Notifications"));
               });
}

NotificationBus::~NotificationBus() {
    QDBusConnection::disconnectFromBus(kConnectionName);
    End(daemon_);
    End(bus_);
}

QDBusConnection NotificationBus::Connection() const {
    return QDBusConnection::connectToBus(address_, kConnectionName);
}

std::string NotificationBus::Log() const {
    std::ifstream in(directory_.path() / "calls.log");
    return {std::istreambuf_iterator<char>(in), {}};
}

void NotificationBus::Click(uint id) const {
    QDBusMessage signal = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("EmitSignal"));
    signal << QStringLiteral("org.freedesktop.Notifications") << QStringLiteral("ActionInvoked")
           << QStringLiteral("us") << QVariantList{id, QStringLiteral("default")};
    (void)Connection().call(signal);
}

}  // namespace mivex::testing
