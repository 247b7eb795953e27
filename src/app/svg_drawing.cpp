#include "app/svg_drawing.h"

#include <QPainter>
#include <QSvgRenderer>

namespace mivex::app {

QImage DrawSvg(QSvgRenderer& renderer, QSize logical, qreal scale) {
    QImage image(logical * scale, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter, QRectF(QPointF(0, 0), logical));
    painter.end();
    return image;
}

}  // namespace mivex::app
