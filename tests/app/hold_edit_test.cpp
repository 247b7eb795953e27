#include "app/hold_edit.h"

#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QSignalSpy>
#include <QTest>

namespace mivex::app {
namespace {

class HoldEditTest : public ::testing::Test {
protected:
    HoldEditTest() : hold_(new HoldEdit(edit_)), held_(hold_, &HoldEdit::held) {
        edit_.resize(400, 200);
        edit_.show();
        edit_.moveCursor(QTextCursor::End);
    }

    QWidget* Viewport() { return edit_.viewport(); }
    void Press(QPoint point) { QTest::mousePress(Viewport(), Qt::LeftButton, {}, point); }
    void Release(QPoint point) { QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, point); }
    int Caret() const { return edit_.textCursor().position(); }

    QPlainTextEdit edit_{QStringLiteral("The quick brown fox jumps over the lazy dog\nline two")};
    HoldEdit* hold_;
    QSignalSpy held_;
    const int caretAtEnd_ = static_cast<int>(edit_.toPlainText().size());
};

const QPoint kTap(30, 8);

// A press is held back until the edit knows it is no hold: a release or a
// move of 5 pixels delivers it (the caret moves), 4 pixels do not.
TEST_F(HoldEditTest, PressReachesTheEditOnReleaseOrAFivePixelMove) {
    // clang-format off
    // moveBy (0,0): no move
    const struct { const char* name; QPoint moveBy; bool release; bool timerAfter; bool delivered; } cases[] = {
        {"press only", {}, false, true, false},     {"quick tap", {}, true, false, true},
        {"4 pixels", {3, 1}, false, true, false},   {"5 pixels", {3, 2}, false, false, true},
        {"5 pixels back", {-5, 0}, false, false, true},
    };
    // clang-format on
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.name);
        edit_.moveCursor(QTextCursor::End);
        Press(kTap);
        EXPECT_TRUE(hold_->PressPending());
        EXPECT_EQ(Caret(), caretAtEnd_);
        if (!entry.moveBy.isNull())
            QTest::mouseMove(Viewport(), kTap + entry.moveBy);
        if (entry.release)
            Release(kTap);
        EXPECT_EQ(hold_->TimerRunning(), entry.timerAfter);
        EXPECT_EQ(Caret() != caretAtEnd_, entry.delivered);
        Release(kTap);
    }
    EXPECT_EQ(held_.count(), 0);
}

TEST_F(HoldEditTest, HoldingStillRaisesTheNotificationAndNeverDeliversThePress) {
    Press(kTap);
    hold_->FireTimer();
    ASSERT_EQ(held_.count(), 1);
    EXPECT_EQ(held_.at(0).at(0).toPoint(), Viewport()->mapToGlobal(kTap));
    Release(kTap);
    EXPECT_EQ(Caret(), caretAtEnd_);
    EXPECT_FALSE(hold_->TimerRunning());
}

// A right click and the menu key arrive as context-menu events, Shift+F10 as
// a key; each raises the notification, at the pointer or the caret.
TEST_F(HoldEditTest, ContextMenuEventsRaiseTheSameNotification) {
    QContextMenuEvent click(QContextMenuEvent::Mouse, kTap, Viewport()->mapToGlobal(kTap));
    QCoreApplication::sendEvent(Viewport(), &click);
    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(1, 1),
                          edit_.mapToGlobal(QPoint(1, 1)));
    QCoreApplication::sendEvent(&edit_, &key);
    edit_.setFocus();
    QTest::keyClick(&edit_, Qt::Key_F10, Qt::ShiftModifier);
    ASSERT_EQ(held_.count(), 3);
    EXPECT_EQ(held_.at(0).at(0).toPoint(), Viewport()->mapToGlobal(kTap));
    const QPoint caret = Viewport()->mapToGlobal(edit_.cursorRect().bottomLeft());
    EXPECT_EQ(held_.at(1).at(0).toPoint(), caret);
    EXPECT_EQ(held_.at(2).at(0).toPoint(), caret);
    EXPECT_TRUE(click.isAccepted() && key.isAccepted());
}

}  // namespace
}  // namespace mivex::app
