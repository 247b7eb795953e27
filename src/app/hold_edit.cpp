#include "app/hold_edit.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

namespace mivex::app {

HoldEdit::HoldEdit(QPlainTextEdit& edit) : QObject(&edit), edit_(edit) {
    timer_.setSingleShot(true);
    timer_.setInterval(kHoldMs);
    connect(&timer_, &QTimer::timeout, this, &HoldEdit::FireTimer);
    edit_.viewport()->installEventFilter(this);
    edit_.installEventFilter(this);
    // The view opens its own menu on `held`; the edit's built-in one never shows.
    edit_.setContextMenuPolicy(Qt::DefaultContextMenu);
}

bool HoldEdit::eventFilter(QObject* watched, QEvent* event) {
    if (delivering_)
        return false;
    if (event->type() == QEvent::ContextMenu) {
        const auto& menuEvent = static_cast<const QContextMenuEvent&>(*event);
        emit held(menuEvent.reason() == QContextMenuEvent::Mouse ? menuEvent.globalPos()
                                                                 : CaretPoint());
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        // The desktop maps only the menu key to a context-menu event;
        // Shift+F10 is the other key people use for it.
        const auto& key = static_cast<const QKeyEvent&>(*event);
        if (key.key() == Qt::Key_F10 && key.modifiers() == Qt::ShiftModifier) {
            emit held(CaretPoint());
            return true;
        }
        return false;
    }
    if (watched != edit_.viewport())
        return false;
    switch (event->type()) {
        case QEvent::MouseButtonPress:
            return OnPress(static_cast<const QMouseEvent&>(*event));
        case QEvent::MouseMove:
            OnMove(static_cast<const QMouseEvent&>(*event));
            return false;
        case QEvent::MouseButtonRelease:
            OnRelease(static_cast<const QMouseEvent&>(*event));
            return false;
        default:
            return false;
    }
}

bool HoldEdit::OnPress(const QMouseEvent& event) {
    if (event.button() != Qt::LeftButton)
        return false;
    timer_.start();
    tapPoint_ = event.position().toPoint();
    tapPending_ = true;
    return true;
}

void HoldEdit::OnMove(const QMouseEvent& event) {
    if ((tapPoint_ - event.position().toPoint()).manhattanLength() < kHoldMovePixels)
        return;
    timer_.stop();
    if (tapPending_)
        DeliverHeldPress(event.modifiers());
}

void HoldEdit::OnRelease(const QMouseEvent& event) {
    timer_.stop();
    if (tapPending_)
        DeliverHeldPress(event.modifiers());
}

void HoldEdit::FireTimer() {
    timer_.stop();
    // The press is never delivered now: the menu takes the release, and a
    // stray press later must not place the caret where the hold was.
    tapPending_ = false;
    emit held(edit_.viewport()->mapToGlobal(tapPoint_));
}

void HoldEdit::DeliverHeldPress(Qt::KeyboardModifiers modifiers) {
    tapPending_ = false;
    QWidget* viewport = edit_.viewport();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(tapPoint_),
                      QPointF(viewport->mapToGlobal(tapPoint_)), Qt::LeftButton, Qt::LeftButton,
                      modifiers);
    delivering_ = true;
    QCoreApplication::sendEvent(viewport, &press);
    delivering_ = false;
}

QPoint HoldEdit::CaretPoint() const {
    return edit_.viewport()->mapToGlobal(edit_.cursorRect().bottomLeft());
}

void PopupRightAligned(QMenu& menu, QPoint globalPoint) {
    menu.exec(QPoint(globalPoint.x() - menu.sizeHint().width(), globalPoint.y()));
}

}  // namespace mivex::app
