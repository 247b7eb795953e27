#include "app/title_picture.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace mivex::app {

namespace {

constexpr int kTitleHeight = 22;

}  // namespace

QLabel* CreateTitlePicture(QWidget& parent, const QString& svg, const QString& name) {
    auto* label = new QLabel(&parent);
    QSvgRenderer renderer(svg);
    const QSize base = renderer.defaultSize();
    const int width =
        base.height() > 0 ? base.width() * kTitleHeight / base.height() : 4 * kTitleHeight;
    const qreal scale = parent.devicePixelRatioF();
    QPixmap pixmap(QSize(width, kTitleHeight) * scale);
    pixmap.setDevicePixelRatio(scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(0, 0, width, kTitleHeight));
    painter.end();
    label->setPixmap(pixmap);
    label->setAccessibleName(name);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

}  // namespace mivex::app
