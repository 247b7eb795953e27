#pragma once

// Touch-and-hold on a message edit. A press is held back from the edit for
// 700 ms: released sooner, the edit gets the press and the release together
// (the caret lands as usual); moved by 5 pixels or more (Manhattan distance),
// the edit gets the press and the move (a normal drag selection); held still,
// the edit never gets it and the view is told `held`, with the point in
// screen coordinates, to open its context menu there. On a desktop the
// right button, the menu key and Shift+F10 raise the same notification at
// the pointer or the caret.

#include <QObject>
#include <QPlainTextEdit>
#include <QPoint>
#include <QTimer>

namespace mivex::app {

inline constexpr int kHoldMs = 700;
inline constexpr int kHoldMovePixels = 5;

class HoldEdit final : public QObject {
    Q_OBJECT

public:
    // Watches `edit`, which owns the watcher.
    explicit HoldEdit(QPlainTextEdit& edit);

    [[nodiscard]] bool TimerRunning() const { return timer_.isActive(); }
    [[nodiscard]] bool PressPending() const { return tapPending_; }
    // What the hold timer does when it runs out; for tests, which do not wait.
    void FireTimer();

signals:
    void held(QPoint globalPoint);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool OnPress(const QMouseEvent& event);
    void OnMove(const QMouseEvent& event);
    void OnRelease(const QMouseEvent& event);
    void DeliverHeldPress(Qt::KeyboardModifiers modifiers);
    [[nodiscard]] QPoint CaretPoint() const;

    QPlainTextEdit& edit_;
    QTimer timer_;
    QPoint tapPoint_;
    bool tapPending_ = false;
    bool delivering_ = false;
};

// Opens `menu` with its right edge at the point's x and its top at its y.
void PopupRightAligned(class QMenu& menu, QPoint globalPoint);

}  // namespace mivex::app
