#pragma once

// Desktop notifications through the freedesktop notification service on the
// session bus. Calls never wait for the service: without a bus or a service
// a notice is dropped, and a slow service holds up nothing.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <cstdint>
#include <map>

#include "platform/notifier.h"

namespace mivex::app {

class DbusNotifier final : public QObject, public platform::Notifier {
    Q_OBJECT

public:
    // On `bus` (the session bus); `appName` and `desktopEntry` tell the
    // desktop whose notices they are.
    DbusNotifier(QDBusConnection bus, QString appName, QString desktopEntry,
                 QObject* parent = nullptr);

    void Notify(std::u16string_view title, std::u16string_view body, std::uint64_t tag) override;
    void SetClicked(Clicked clicked) override { clicked_ = std::move(clicked); }

private slots:
    void OnActionInvoked(uint id, const QString& action);
    void OnNotificationClosed(uint id, uint reason);

private:
    void AskCapabilities();

    QDBusConnection bus_;
    QString appName_;
    QString desktopEntry_;
    Clicked clicked_;
    // The service's id of each notice still shown, to the tag it was shown with.
    std::map<uint, std::uint64_t> tags_;
    // Until the service says otherwise, it is taken to read markup in the body,
    // so the text is escaped: a "<b>" a sender wrote shows as written.
    bool bodyMarkup_ = true;
};

}  // namespace mivex::app
