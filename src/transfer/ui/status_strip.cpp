#include "transfer/ui/status_strip.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QTimerEvent>
#include <algorithm>
#include <array>

namespace mivex::transfer {
namespace {

struct SharedStatus {
    // A fixed buffer, so the marquee rotates the characters in place and
    // painting reads them without a copy.
    std::array<QChar, StatusStrip::kMaxTextLength> text{};
    qsizetype length = 0;
    QRgb colour = qRgb(0, 0, 0);
    int scrollDelay = 0;
};

SharedStatus& Shared() {
    static SharedStatus shared;
    return shared;
}

// Light grey under a one-pixel black line sets the strip apart from the view.
constexpr QRgb kLightGrey = qRgb(192, 192, 192);
constexpr int kTextIndent = 5;
const QString kWindowName = QStringLiteral("Status");

}  // namespace

StatusStrip::StatusStrip(QWidget* view, platform::Sounds& sounds) : QWidget(view), sounds_(sounds) {
    setObjectName(kWindowName);
    setWindowTitle(kWindowName);
    setAccessibleName(kWindowName);
    setFixedHeight(kHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // paintEvent covers every pixel, so nothing needs erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);

    font_ = QFont(QStringLiteral("Swiss"));
    font_.setStyleHint(QFont::SansSerif);
    font_.setPixelSize(14);
    font_.setWeight(QFont::Normal);

    Shared().length = 0;
    marquee_.start(kTickMilliseconds, this);
}

void StatusStrip::ShowStatus(std::u16string_view text, platform::StatusBeep beep,
                             platform::StatusColour colour) {
    SharedStatus& shared = Shared();
    const auto length = std::min(static_cast<qsizetype>(text.size()), kMaxTextLength);
    std::copy_n(text.begin(), length, shared.text.begin());
    shared.length = length;
    switch (colour) {
        case platform::StatusColour::Red:
            shared.colour = qRgb(255, 0, 0);
            break;
        case platform::StatusColour::Green:
            shared.colour = qRgb(0, 255, 0);
            break;
        case platform::StatusColour::Blue:
            shared.colour = qRgb(0, 0, 255);
            break;
        default:
            break;
    }
    shared.scrollDelay = kStillTicks;

    // Screen readers get the whole text once, not every marquee step; Qt
    // tells them the description changed.
    setAccessibleDescription(SharedText());

    repaint();
    sounds_.Beep(beep);
    emit shown(SharedText(), static_cast<int>(colour));
}

void StatusStrip::RepaintOwner() {
    window()->repaint();
    QGuiApplication::inputMethod()->hide();
}

void StatusStrip::Tick() {
    SharedStatus& shared = Shared();
    if (shared.length <= kMarqueeThreshold) {
        return;
    }
    if (shared.scrollDelay > 0) {
        --shared.scrollDelay;
        return;
    }
    std::rotate(shared.text.begin(), shared.text.begin() + 1, shared.text.begin() + shared.length);
    update();
}

QString StatusStrip::SharedText() {
    return QString(Shared().text.data(), Shared().length);
}

QColor StatusStrip::SharedColour() {
    return QColor(Shared().colour);
}

int StatusStrip::ScrollDelay() {
    return Shared().scrollDelay;
}

void StatusStrip::paintEvent(QPaintEvent*) {
    const SharedStatus& shared = Shared();
    QPainter painter(this);
    painter.fillRect(0, 0, width(), 1, Qt::black);
    QRect area = rect().adjusted(0, 1, 0, 0);
    painter.fillRect(area, QColor(kLightGrey));
    area.setLeft(kTextIndent);
    painter.setFont(font_);
    painter.setPen(QColor(shared.colour));
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     QString::fromRawData(shared.text.data(), shared.length));
}

void StatusStrip::timerEvent(QTimerEvent* event) {
    if (event->timerId() == marquee_.timerId()) {
        // Strips of views under the one on top share the text but must not
        // move it: only the strip on screen scrolls.
        if (isVisible())
            Tick();
    } else {
        QWidget::timerEvent(event);
    }
}

void StatusStrip::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        ToggleScrolling();
    }
}

// A double click arrives as a press and then this, so it toggles twice.
void StatusStrip::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        ToggleScrolling();
    }
}

void StatusStrip::ToggleScrolling() {
    SharedStatus& shared = Shared();
    shared.scrollDelay = shared.scrollDelay == 0 ? kPausedTicks : 0;
}

}  // namespace mivex::transfer
