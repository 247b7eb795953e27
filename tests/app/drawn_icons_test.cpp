#include <gtest/gtest.h>

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>

#include "app/artwork_icon.h"
#include "app/counter_label.h"
#include "app/quiet_style.h"
#include "app/title_picture.h"

namespace mivex::app {
namespace {

// The program's own icons must look exactly as Qt's SVG icons did: same
// fitting, same disabled and hover looks.
TEST(DrawnIconsTest, ArtworkIconsMatchQtsSvgIcons) {
    // clang-format off
    const struct { const char* svg; int size; QIcon::Mode mode; } cases[] = {
        {":/artwork/toolbar-new.svg", 24, QIcon::Normal},
        {":/artwork/toolbar-send-receive.svg", 24, QIcon::Disabled},
        {":/artwork/toolbar-inbox.svg", 24, QIcon::Active},
        {":/artwork/recipient-add-all.svg", 20, QIcon::Normal},
        {":/artwork/recipient-remove.svg", 20, QIcon::Disabled},
        {":/artwork/toolbar-outbox.svg", 48, QIcon::Normal},  // on a screen at twice the density
        {":/icons/mivex.svg", 64, QIcon::Normal},
        {":/icons/mivex.svg", 13, QIcon::Normal},  // a size no picture was made for
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.svg) + " at " + std::to_string(c.size));
        const QString svg = QString::fromLatin1(c.svg);
        const QSize size(c.size, c.size);
        const QImage ours = ArtworkIcon(svg).pixmap(size, c.mode).toImage();
        const QImage qts = QIcon(svg).pixmap(size, c.mode).toImage();
        ASSERT_FALSE(qts.isNull());
        EXPECT_EQ(ours.size(), qts.size());
        EXPECT_TRUE(ours.convertToFormat(QImage::Format_ARGB32) ==
                    qts.convertToFormat(QImage::Format_ARGB32));
    }
}

// Title pictures drawn by the build look as the SVG drawn now, and a
// density the build drew none for is drawn from the SVG.
TEST(DrawnIconsTest, TitlePicturesMatchTheirSvg) {
    const struct {
        const char* svg;
        qreal scale;
    } cases[] = {{":/artwork/title-new.svg", 1},
                 {":/artwork/title-inbox.svg", 2},
                 {":/artwork/title-sent.svg", 1.5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.svg) + " at " + std::to_string(c.scale));
        QSvgRenderer renderer(QString::fromLatin1(c.svg));
        const QSize logical(renderer.defaultSize().width() * 22 / renderer.defaultSize().height(),
                            22);
        QImage expected(logical * c.scale, QImage::Format_ARGB32_Premultiplied);
        expected.fill(Qt::transparent);
        expected.setDevicePixelRatio(c.scale);
        QPainter painter(&expected);
        renderer.render(&painter, QRectF(QPointF(0, 0), logical));
        painter.end();
        const QPixmap ours = TitlePixmap(QString::fromLatin1(c.svg), c.scale);
        EXPECT_EQ(ours.devicePixelRatio(), c.scale);
        EXPECT_TRUE(ours.toImage().convertToFormat(QImage::Format_ARGB32) ==
                    expected.convertToFormat(QImage::Format_ARGB32));
    }
}

// The counter draws its digits itself, pixel for pixel as a plain label
// draws them; other text, other fonts and either direction included.
TEST(DrawnIconsTest, CounterLooksLikeAPlainLabel) {
    QFont big = QApplication::font();
    big.setPointSize(big.pointSize() * 2);
    const struct {
        const char* text;
        Qt::Alignment alignment;
        Qt::LayoutDirection direction;
        const QFont* font;
        bool enabled;
    } cases[] = {
        {"160/1", Qt::AlignRight | Qt::AlignVCenter, Qt::LeftToRight, nullptr, true},
        {"84/12", Qt::AlignRight | Qt::AlignVCenter, Qt::RightToLeft, nullptr, true},
        {"7/3", Qt::AlignLeft | Qt::AlignTop, Qt::LeftToRight, &big, true},
        {"59/1", Qt::AlignRight | Qt::AlignVCenter, Qt::LeftToRight, nullptr, false},
        {"n/a", Qt::AlignRight | Qt::AlignVCenter, Qt::LeftToRight, nullptr, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        QLabel plain(QString::fromLatin1(c.text));
        CounterLabel counter(QString::fromLatin1(c.text));
        for (QLabel* label : {&plain, static_cast<QLabel*>(&counter)}) {
            if (c.font != nullptr)
                label->setFont(*c.font);
            label->setAlignment(c.alignment);
            label->setLayoutDirection(c.direction);
            label->setEnabled(c.enabled);
            label->setAutoFillBackground(true);
            label->setFixedSize(90, 40);
        }
        EXPECT_TRUE(counter.grab().toImage() == plain.grab().toImage());
    }
}

// The toolbar's overflow arrows, read late, are the desktop style's own,
// in either direction of writing.
TEST(DrawnIconsTest, QuietStyleGivesTheStylesOwnOverflowArrows) {
    QStyle* desktop = QApplication::style();
    QuietStyle quiet(nullptr);
    // clang-format off
    const struct { QStyle::StandardPixmap icon; Qt::LayoutDirection direction; } cases[] = {
        {QStyle::SP_ToolBarHorizontalExtensionButton, Qt::LeftToRight},
        {QStyle::SP_ToolBarHorizontalExtensionButton, Qt::RightToLeft},
        {QStyle::SP_ToolBarVerticalExtensionButton, Qt::LeftToRight},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.icon) * 10 + static_cast<int>(c.direction));
        QStyleOption option;
        option.direction = c.direction;
        const QImage expected = desktop->standardIcon(c.icon, &option).pixmap(8, 8).toImage();
        const QImage deferred = quiet.standardIcon(c.icon, &option, nullptr).pixmap(8, 8).toImage();
        ASSERT_FALSE(expected.isNull());
        EXPECT_TRUE(deferred == expected);
    }
}

// Scroll bars drawn a band at a time look as the desktop style draws them
// whole, in the program's colours too.
TEST(DrawnIconsTest, QuietStyleDrawsScrollBarsAsTheDesktopStyle) {
    QuietStyle quiet(nullptr);
    QPalette yellow = QApplication::palette();
    yellow.setColor(QPalette::Button, QColor(0xFF, 0xFF, 0x00));
    const struct {
        QSize size;
        int value;
        const QPalette* palette;
    } cases[] = {{{16, 300}, 40, nullptr}, {{16, 150}, 100, &yellow}, {{16, 97}, 0, nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size.height());
        QScrollBar desktop(Qt::Vertical);
        QScrollBar banded(Qt::Vertical);
        banded.setStyle(&quiet);
        for (QScrollBar* bar : {&desktop, &banded}) {
            if (c.palette != nullptr)
                bar->setPalette(*c.palette);
            bar->setRange(0, 100);
            bar->setPageStep(30);
            bar->setValue(c.value);
            bar->resize(c.size);
        }
        EXPECT_TRUE(banded.grab().toImage() == desktop.grab().toImage());
    }
}

}  // namespace
}  // namespace mivex::app
