#pragma once

// A desktop's notification service for a test: a private session bus with
// python3-dbusmock's notification daemon on it, logging every call.

#include <sys/types.h>

#include <QDBusConnection>
#include <string>

#include "temp_dir.h"

namespace mivex::testing {

class NotificationBus {
public:
    NotificationBus();
    ~NotificationBus();

    [[nodiscard]] bool Started() const { return started_; }
    [[nodiscard]] QDBusConnection Connection() const;
    [[nodiscard]] std::string Log() const;  // one line per call
    void Click(uint id) const;              // the user clicks notice `id`

private:
    TempDir directory_;
    std::string address_;
    pid_t bus_ = -1, daemon_ = -1;
    bool started_ = false;
};

}  // namespace mivex::testing
