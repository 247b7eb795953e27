#pragma once

// Driving the views while they run their own loops, for the widget tests.

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <utility>
#include <vector>

#include "app/compose_view.h"
#include "app/main_window.h"
#include "app/transfer_runner.h"
#include "transfer/ui/status_strip.h"

namespace mivex::app {

// Steps taken while the program runs: each waits until its condition holds
// (and no transfer is going on), then acts. A flow that stalls for 30 s
// closes the window, so the test ends and fails rather than hangs.
class Driver final {
public:
    void Then(std::function<bool()> ready, std::function<void()> act) {
        steps_.emplace_back(std::move(ready), std::move(act));
    }

    // Runs the compose view until the program ends; true when every step ran.
    bool Run(ComposeView& compose, MainWindow& window) {
        QTimer timer;
        QElapsedTimer stalled;
        stalled.start();
        bool timedOut = false;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            if (steps_.empty() || timedOut || TransferRunner::Busy())
                return;
            if ((timedOut = stalled.elapsed() > 30'000))
                window.close();
            else if (steps_.front().first()) {
                const std::function<void()> act = std::move(steps_.front().second);
                steps_.erase(steps_.begin());
                stalled.restart();
                act();
            }
        });
        timer.start(10);
        compose.Run();
        return steps_.empty();
    }

private:
    std::vector<std::pair<std::function<bool()>, std::function<void()>>> steps_;
};

// Every text any strip shows, in order, each strip followed from its first
// showing on.
class StripFollower final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* strip = qobject_cast<transfer::StatusStrip*>(watched);
        if (strip != nullptr && event->type() == QEvent::Polish)
            connect(strip, &transfer::StatusStrip::shown, this,
                    [this](const QString& text) { texts << text; });
        return false;
    }

    QStringList texts;
};

}  // namespace mivex::app
