#pragma once

// Desktop notifications through the freedesktop notification service on the
// session bus. Calls never wait for the service: without a bus or a service
// a notice is dropped, and a slow service holds up nothing.
//
// The bus is joined at the first notice, not at start: joining starts
// Qt's D-Bus thread and costs a start-up that may never notify anything.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "platform/notifier.h"

namespace mivex::app {

class DbusNotifier final : public QObject, public platform::Notifier {
    Q_OBJECT

public:
    using BusOpener = std::function<QDBusConnection()>;

    // On the bus `openBus` joins (the session bus); `appName` and
    // `desktopEntry` tell the desktop whose notices they are.
    DbusNotifier(BusOpener openBus, QString appName, QString desktopEntry,
                 QObject* parent = nullptr);

    void Notify(std::u16string_view title, std::u16string_view body, std::uint64_t tag) override;
    void SetClicked(Clicked clicked) override { clicked_ = std::move(clicked); }

private slots:
    void OnActionInvoked(uint id, const QString& action);
    void OnNotificationClosed(uint id, uint reason);

private:
    struct Notice {
        QString title;
        QString body;
        std::uint64_t tag;
    };

    // Joins the bus once; whether it is joined.
    bool Joined();
    void AskCapabilities();
    void Send(const Notice& notice);

    BusOpener openBus_;
    std::optional<QDBusConnection> bus_;
    QString appName_;
    QString desktopEntry_;
    Clicked clicked_;
    // The service's id of each notice still shown, to the tag it was shown with.
    std::map<uint, std::uint64_t> tags_;
    // Notices waiting for the service to say whether it reads markup.
    std::vector<Notice> held_;
    bool capabilitiesKnown_ = false;
    // Unless the service says otherwise, it is taken to read markup in the
    // body, so the text is escaped: a "<b>" a sender wrote shows as written.
    bool bodyMarkup_ = true;
};

}  // namespace mivex::app
