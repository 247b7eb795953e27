#include "notification_bus.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QThread>
#include <QVariantList>
#include <fstream>
#include <vector>

namespace mivex::testing {

namespace {

const QString kName = QStringLiteral("org.freedesktop.Notifications");

pid_t Spawn(std::vector<std::string> arguments, std::string busAddress) {
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    busAddress.insert(0, "DBUS_SESSION_BUS_ADDRESS=");
    char* env[] = {busAddress.data(), nullptr};
    pid_t pid = -1;
    return posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), env) == 0 ? pid : -1;
}

template <typename Ready>
bool WaitUntil(Ready ready) {
    for (int tries = 0; tries < 1000 && !ready(); ++tries)
        QThread::msleep(20);
    return ready();
}

}  // namespace

NotificationBus::NotificationBus() : address_("unix:path=" + (directory_.path() / "bus").string()) {
    bus_ = Spawn({"/usr/bin/dbus-daemon", "--session", "--nofork", "--address=" + address_}, "");
    (void)WaitUntil([&] { return std::filesystem::exists(directory_.path() / "bus"); });
    daemon_ = Spawn({"/usr/bin/python3", "-m", "dbusmock", "--template", "notification_daemon",
                     "-l", (directory_.path() / "calls.log").string()},
                    address_);
    started_ = bus_ > 0 && daemon_ > 0 && WaitUntil([&] {
                   return Connection().isConnected() &&
                          Connection().interface()->isServiceRegistered(kName);
               });
}

NotificationBus::~NotificationBus() {
    QDBusConnection::disconnectFromBus(QString::fromStdString(address_));
    for (const pid_t pid : {daemon_, bus_}) {
        if (pid > 0 && kill(pid, SIGKILL) == 0)
            waitpid(pid, nullptr, 0);
    }
}

QDBusConnection NotificationBus::Connection() const {
    const QString address = QString::fromStdString(address_);
    return QDBusConnection::connectToBus(address, address);
}

std::string NotificationBus::Log() const {
    std::ifstream in(directory_.path() / "calls.log");
    return {std::istreambuf_iterator<char>(in), {}};
}

void NotificationBus::Click(uint id) const {
    QDBusMessage signal = QDBusMessage::createMethodCall(
        kName, QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("EmitSignal"));
    signal << kName << QStringLiteral("ActionInvoked") << QStringLiteral("us")
           << QVariantList{id, QStringLiteral("default")};
    (void)Connection().call(signal);
}

}  // namespace mivex::testing
