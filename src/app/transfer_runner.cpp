#include "app/transfer_runner.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEventLoop>
#include <QPointer>
#include <future>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "app/live_connection.h"
#include "app/main_window.h"
#include "transfer/ui/status_strip.h"

namespace mivex::app {

namespace {

int g_running = 0;
int g_lastTurns = 0;

struct IdleWaiter {
    QPointer<QObject> receiver;
    std::function<void()> then;
};
std::vector<IdleWaiter>& IdleWaiters() {
    static std::vector<IdleWaiter> waiters;
    return waiters;
}

bool IsUserInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::InputMethod:
            return true;
        default:
            return false;
    }
}

bool IsStatusStrip(QObject* object) {
    for (QObject* at = object; at != nullptr; at = at->parent()) {
        if (qobject_cast<transfer::StatusStrip*>(at) != nullptr)
            return true;
    }
    return false;
}

}  // namespace

bool TransferRunner::Busy() {
    return g_running > 0;
}

void TransferRunner::WhenIdle(QObject* receiver, std::function<void()> then) {
    if (!Busy()) {
        then();
        return;
    }
    IdleWaiters().push_back({receiver, std::move(then)});
}

int TransferRunner::LastRunTurns() {
    return g_lastTurns;
}

bool TransferRunner::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Close && watched == &window_) {
        closeRequested_ = true;
        event->ignore();
        return true;
    }
    if (!IsUserInput(event->type()))
        return false;
    if (const QWidget* modal = QApplication::activeModalWidget();
        modal != nullptr && modal->property(kTakesInputDuringRun).toBool())
        return false;
    const bool stripClick = (event->type() == QEvent::MouseButtonPress ||
                             event->type() == QEvent::MouseButtonDblClick ||
                             event->type() == QEvent::MouseButtonRelease) &&
                            IsStatusStrip(watched);
    return !stripClick;
}

int TransferRunner::Run(const std::function<int()>& work) {
    ++g_running;
    closeRequested_ = false;
    qApp->installEventFilter(this);
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);

    QEventLoop loop;
    int turns = 0;
    const QMetaObject::Connection counter =
        connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake, &loop,
                [&turns] { ++turns; });
    connect(this, &TransferRunner::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    int result = 0;
    const auto body = [&] {
        result = work();
        emit finished();
    };
    // The live connection's thread outlives the run, so the end of the work
    // is waited for on a state both sides share rather than by a join.
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> handedOver = done->get_future();
    std::thread worker;
    if (live_ == nullptr || !live_->Post([body, done] {
            body();
            done->set_value();
        })) {
        handedOver = {};
        worker = std::thread(body);
    }
    loop.exec();
    if (worker.joinable())
        worker.join();
    if (handedOver.valid())
        handedOver.wait();
    disconnect(counter);
    g_lastTurns = turns;

    QGuiApplication::restoreOverrideCursor();
    qApp->removeEventFilter(this);
    if (--g_running == 0) {
        // What waited for the runs goes on once this handler has returned.
        for (IdleWaiter& waiter : std::exchange(IdleWaiters(), {})) {
            if (waiter.receiver)
                QMetaObject::invokeMethod(waiter.receiver, std::move(waiter.then),
                                          Qt::QueuedConnection);
        }
    }
    if (closeRequested_) {
        // The close the user asked for during the run, now that it is over.
        QMetaObject::invokeMethod(&window_, &QWidget::close, Qt::QueuedConnection);
    }
    return result;
}

}  // namespace mivex::app
