#pragma once

// The 26-pixel strip along the bottom of each message view, in which the
// transfers and the views' long operations report progress and results in
// colour, with a beep. It paints the moment a text arrives, so that a text
// given by a long operation on the interface thread (the views' own list
// operations) shows before the operation goes on. Texts longer than 30 characters scroll like a
// marquee while the view is idle; a click pauses or resumes the scrolling.
//
// The text, its colour and the scroll delay belong to the process, not to a
// strip: every strip shows the same text (only the topmost view's is seen),
// and creating a strip empties it for all of them.

#include <QBasicTimer>
#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>

#include "platform/sounds.h"
#include "platform/status_sink.h"

namespace mivex::transfer {

class StatusStrip final : public QWidget, public platform::StatusSink {
    Q_OBJECT

public:
    static constexpr int kHeight = 26;
    static constexpr qsizetype kMaxTextLength = 499;
    // Texts of this many characters or fewer never scroll.
    static constexpr qsizetype kMarqueeThreshold = 30;
    static constexpr int kTickMilliseconds = 150;
    // A new text stands still for this many ticks before it scrolls.
    static constexpr int kStillTicks = 10;
    // A click stops the scrolling for this many ticks, about four hours.
    static constexpr int kPausedTicks = 100000;

    // Child of the view; the view places it along its bottom edge.
    StatusStrip(QWidget* view, platform::Sounds& sounds);

    void ShowStatus(std::u16string_view text, platform::StatusBeep beep,
                    platform::StatusColour colour) override;
    void RepaintOwner() override;

    // One step of the marquee: what the timer does on every tick.
    void Tick();

    static QString SharedText();
    static QColor SharedColour();
    static int ScrollDelay();

signals:
    // After a text was shown and its beep sounded, with the colour code it
    // came with: for whoever follows the progress (tests, a log).
    void shown(const QString& text, int colour);

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void ToggleScrolling();

    platform::Sounds& sounds_;
    QFont font_;
    QBasicTimer marquee_;
};

}  // namespace mivex::transfer
