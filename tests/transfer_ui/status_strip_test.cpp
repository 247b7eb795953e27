#include "transfer/ui/status_strip.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QMouseEvent>
#include <QTest>
#include <QVBoxLayout>
#include <tuple>

#include "fake_controls.h"

namespace mivex::transfer {
namespace {

using platform::StatusBeep;
using platform::StatusColour;

const std::u16string kLong = u"abcdefghijklmnopqrstuvwxyz01234";  // one more than 30

QString RotatedLeft(const std::u16string& text, std::size_t steps) {
    const std::size_t shift = steps % text.size();
    return QString::fromStdU16String(text.substr(shift) + text.substr(0, shift));
}

// Whether the text area shows a pixel of this colour (fully inked glyphs do).
bool Shows(StatusStrip& strip, const QColor& colour) {
    const QImage image = strip.grab().toImage();
    for (int y = 1; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour)
                return true;
    return false;
}

class PaintCounter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
    int paints = 0;
};

class StatusStripTest : public ::testing::Test {
protected:
    StatusStripTest() { (new QVBoxLayout(&view))->addWidget(&strip, 0, Qt::AlignBottom); }

    QWidget view;
    testing::CountingSounds sounds;
    StatusStrip strip{&view, sounds};
};

TEST_F(StatusStripTest, MarqueeStandsStillThenScrollsAndClicksToggleIt) {
    // t: one tick; c: a left click; d: the double-click event that replaces
    // the second press of a double click (a whole one is "cd"); r: a right click.
    const QPointF at(5, 5);
    struct Case {
        std::u16string text;
        std::string events;
        std::size_t steps;
        int delayAfter;
    };
    // text, events, steps it has scrolled, delay left after them
    const std::vector<Case> cases = {
        {kLong.substr(0, 30), std::string(200, 't'), 0, 10},
        {kLong, std::string(10, 't'), 0, 0},
        {kLong, std::string(12, 't'), 2, 0},
        {kLong, std::string(43, 't'), 33, 0},
        {kLong, "ct", 1, 0},
        {kLong, std::string(12, 't') + "cttt", 2, 99997},
        {kLong, std::string(12, 't') + "cttct", 3, 0},
        {kLong, "tttdt", 1, 0},
        {kLong, "tttcdt", 0, 99999},
        {kLong, "rt", 0, 9},
        // At most 499 characters are kept.
        {std::u16string(499, u'x'), "", 0, 10},
        {std::u16string(500, u'x'), "", 0, 10},
        {std::u16string(1200, u'x'), "", 0, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.text.size() << " characters, " << c.events);
        strip.ShowStatus(c.text, StatusBeep::None, StatusColour::Blue);
        for (char event : c.events) {
            if (event == 't') {
                strip.Tick();
            } else if (event == 'd') {
                QMouseEvent twice(QEvent::MouseButtonDblClick, at, strip.mapToGlobal(at),
                                  Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
                QCoreApplication::sendEvent(&strip, &twice);
            } else {
                QTest::mouseClick(&strip, event == 'c' ? Qt::LeftButton : Qt::RightButton);
            }
        }
        EXPECT_EQ(StatusStrip::SharedText(), RotatedLeft(c.text.substr(0, 499), c.steps));
        EXPECT_EQ(StatusStrip::ScrollDelay(), c.delayAfter);
    }
}

TEST_F(StatusStripTest, ShowsEachTextInItsColourWithItsBeep) {
    const QColor red(255, 0, 0), green(0, 255, 0), blue(0, 0, 255);
    // An unknown colour code keeps the colour, as Keep does.
    const std::tuple<StatusColour, StatusBeep, QColor> cases[] = {
        {StatusColour::Red, StatusBeep::Stop, red},
        {StatusColour::Keep, StatusBeep::None, red},
        {StatusColour::Green, StatusBeep::Default, green},
        {static_cast<StatusColour>(4), StatusBeep::Exclamation, green},
        {StatusColour::Blue, StatusBeep::Asterisk, blue},
        {static_cast<StatusColour>(-1), StatusBeep::Question, blue},
    };
    for (const auto& [code, beep, colour] : cases) {
        SCOPED_TRACE(static_cast<int>(code));
        strip.ShowStatus(u"\u2588\u2588 HH", beep, code);
        EXPECT_EQ(StatusStrip::SharedColour(), colour);
        EXPECT_TRUE(Shows(strip, colour));
        EXPECT_EQ(sounds.statusBeeps.back(), beep);
    }
}

TEST_F(StatusStripTest, NewStripEmptiesTheTextOfEveryStrip) {
    strip.ShowStatus(u"\u2588\u2588", StatusBeep::None, StatusColour::Red);
    QWidget otherView;
    StatusStrip other(&otherView, sounds);
    EXPECT_EQ(StatusStrip::SharedText(), QString());
    EXPECT_FALSE(Shows(strip, QColor(255, 0, 0)));
}

TEST_F(StatusStripTest, PaintsAtOnceAndKeepsItsOwnName) {
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    PaintCounter stripPaints, viewPaints;
    strip.installEventFilter(&stripPaints);
    view.installEventFilter(&viewPaints);

    strip.ShowStatus(u"Connecting to the phone...", StatusBeep::None, StatusColour::Blue);
    EXPECT_EQ(stripPaints.paints, 1);
    EXPECT_EQ(viewPaints.paints, 0);
    strip.RepaintOwner();
    EXPECT_EQ(viewPaints.paints, 1);

    EXPECT_EQ(strip.height(), 26);
    EXPECT_EQ(strip.windowTitle(), "Status");
    EXPECT_EQ(strip.objectName(), "Status");
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&strip);
    EXPECT_EQ(accessible->text(QAccessible::Name), "Status");
    EXPECT_EQ(accessible->text(QAccessible::Description), "Connecting to the phone...");
}

}  // namespace
}  // namespace mivex::transfer
