#include "app/dbus_notifier.h"

#include <QDBusConnection>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>
#include <utility>

namespace mivex::app {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
// The action a click on the notice itself invokes.
const QString kDefaultAction = QStringLiteral("default");

QDBusMessage Call(const QString& method) {
    return QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
}

}  // namespace

DbusNotifier::DbusNotifier(BusOpener openBus, QString appName, QString desktopEntry,
                           QObject* parent)
    : QObject(parent),
      openBus_(std::move(openBus)),
      appName_(std::move(appName)),
      desktopEntry_(std::move(desktopEntry)) {}

bool DbusNotifier::Joined() {
    if (!bus_) {
        bus_.emplace(openBus_());
        if (!bus_->isConnected())
            return false;
        (void)bus_->connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                            SLOT(OnActionInvoked(uint, QString)));
        (void)bus_->connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                            SLOT(OnNotificationClosed(uint, uint)));
        AskCapabilities();
    }
    return bus_->isConnected();
}

void DbusNotifier::AskCapabilities() {
    auto* watcher =
        new QDBusPendingCallWatcher(bus_->asyncCall(Call(QStringLiteral("GetCapabilities"))), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
                const QDBusPendingReply<QStringList> reply = *finished;
                if (reply.isValid())
                    bodyMarkup_ = reply.value().contains(QStringLiteral("body-markup"));
                capabilitiesKnown_ = true;
                for (const Notice& notice : std::exchange(held_, {}))
                    Send(notice);
                finished->deleteLater();
            });
}

void DbusNotifier::Notify(std::u16string_view title, std::u16string_view body, std::uint64_t tag) {
    if (!Joined())
        return;
    Notice notice{QString::fromStdU16String(std::u16string(title)),
                  QString::fromStdU16String(std::u16string(body)), tag};
    if (capabilitiesKnown_)
        Send(notice);
    else
        held_.push_back(std::move(notice));
}

void DbusNotifier::Send(const Notice& notice) {
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), desktopEntry_);
    hints.insert(QStringLiteral("category"), QStringLiteral("im.received"));
    // The program plays the new-message sound itself, once.
    hints.insert(QStringLiteral("suppress-sound"), true);
    QDBusMessage call = Call(QStringLiteral("Notify"));
    call << appName_ << uint{0} << desktopEntry_ << notice.title
         << (bodyMarkup_ ? notice.body.toHtmlEscaped() : notice.body)
         << QStringList{kDefaultAction, QStringLiteral("Open")} << hints << int{-1};
    auto* watcher = new QDBusPendingCallWatcher(bus_->asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, tag = notice.tag](QDBusPendingCallWatcher* finished) {
                const QDBusPendingReply<uint> reply = *finished;
                if (reply.isValid())
                    tags_[reply.value()] = tag;
                finished->deleteLater();
            });
}

void DbusNotifier::OnActionInvoked(uint id, const QString& action) {
    const auto shown = tags_.find(id);
    if (shown == tags_.end() || action != kDefaultAction || !clicked_)
        return;
    clicked_(shown->second);
}

void DbusNotifier::OnNotificationClosed(uint id, uint) {
    tags_.erase(id);
}

}  // namespace mivex::app
