#pragma once

// A desktop's notification service for a test: a private session bus
// (dbus-daemon) with python3-dbusmock's notification daemon on it, which
// logs every call made to it.

#include <sys/types.h>

#include <QDBusConnection>
#include <QString>
#include <string>

#include "temp_dir.h"

namespace mivex::testing {

class NotificationBus {
public:
    // False `Started()` when the bus or the daemon did not come up.
    NotificationBus();
    ~NotificationBus();
    NotificationBus(const NotificationBus&) = delete;
    NotificationBus& operator=(const NotificationBus&) = delete;

    [[nodiscard]] bool Started() const { return started_; }
    [[nodiscard]] QDBusConnection Connection() const;
    // The daemon's log: one line per call.
    [[nodiscard]] std::string Log() const;
    // The user clicks notice `id`.
    void Click(uint id) const;

private:
    TempDir directory_;
    QString address_;
    pid_t bus_ = -1;
    pid_t daemon_ = -1;
    bool started_ = false;
};

}  // namespace mivex::testing
