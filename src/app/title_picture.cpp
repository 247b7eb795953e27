#include "app/title_picture.h"

#include <QPixmap>
#include <QSvgRenderer>
#include <cmath>

#include "app/artwork_sizes.h"
#include "app/pre_rendered_artwork.h"
#include "app/svg_drawing.h"

namespace mivex::app {

namespace {

QPixmap Drawn(QSvgRenderer& renderer, QSize logical, qreal scale) {
    return QPixmap::fromImage(DrawSvg(renderer, logical, scale));
}

// The build's picture when it drew one for this scale.
QPixmap PreRenderedTitle(const QString& svg, qreal scale) {
    if (scale != std::round(scale))
        return {};
    QPixmap pixmap =
        PreRenderedArtwork(svg, QSize(0, static_cast<int>(std::lround(kTitleHeight * scale))));
    pixmap.setDevicePixelRatio(scale);
    return pixmap;
}

QLabel* NewPictureLabel(QWidget& parent, const QPixmap& pixmap, const QString& name) {
    auto* label = new QLabel(&parent);
    label->setPixmap(pixmap);
    label->setAccessibleName(name);
    return label;
}

}  // namespace

QPixmap TitlePixmap(const QString& svg, qreal scale) {
    QPixmap pixmap = PreRenderedTitle(svg, scale);
    if (!pixmap.isNull())
        return pixmap;
    QSvgRenderer renderer(svg);
    return Drawn(renderer, FittedArtwork(renderer.defaultSize(), {0, kTitleHeight}), scale);
}

QLabel* CreateTitlePicture(QWidget& parent, const QString& svg, const QString& name) {
    QLabel* label = NewPictureLabel(parent, TitlePixmap(svg, parent.devicePixelRatioF()), name);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QLabel* CreateSvgPicture(QWidget& parent, const QString& svg, QSize size, const QString& name) {
    QSvgRenderer renderer(svg);
    QLabel* label =
        NewPictureLabel(parent, Drawn(renderer, size, parent.devicePixelRatioF()), name);
    label->setFixedSize(size);
    return label;
}

}  // namespace mivex::app
