#include "app/title_picture.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace mivex::app {

namespace {

constexpr int kTitleHeight = 22;

QPixmap Rendered(QSvgRenderer& renderer, QSize size, qreal scale) {
    QPixmap pixmap(size * scale);
    pixmap.setDevicePixelRatio(scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(QPointF(0, 0), size));
    painter.end();
    return pixmap;
}

}  // namespace

QLabel* CreateTitlePicture(QWidget& parent, const QString& svg, const QString& name) {
    auto* label = new QLabel(&parent);
    QSvgRenderer renderer(svg);
    const QSize base = renderer.defaultSize();
    const int width =
        base.height() > 0 ? base.width() * kTitleHeight / base.height() : 4 * kTitleHeight;
    label->setPixmap(Rendered(renderer, QSize(width, kTitleHeight), parent.devicePixelRatioF()));
    label->setAccessibleName(name);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QLabel* CreateSvgPicture(QWidget& parent, const QString& svg, QSize size, const QString& name) {
    auto* label = new QLabel(&parent);
    QSvgRenderer renderer(svg);
    label->setPixmap(Rendered(renderer, size, parent.devicePixelRatioF()));
    label->setFixedSize(size);
    label->setAccessibleName(name);
    return label;
}

}  // namespace mivex::app
