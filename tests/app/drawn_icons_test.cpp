#include <gtest/gtest.h>

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QStyle>
#include <QStyleOption>

#include "app/artwork_icon.h"
#include "app/quiet_style.h"

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

}  // namespace
}  // namespace mivex::app
