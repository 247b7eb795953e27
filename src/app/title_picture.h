#pragma once

// Pictures drawn from the program's SVG artwork at the screen's pixel
// density into plain labels: the title at the top right of every view and
// dialog (its name in dark letters after a small icon), and larger artwork.

#include <QLabel>

namespace mivex::app {

// `svg` is a resource path such as ":/artwork/title-inbox.svg"; `name` is
// what the picture says, its accessible name.
QLabel* CreateTitlePicture(QWidget& parent, const QString& svg, const QString& name);

// The title picture's pixels at `scale` device pixels per pixel.
[[nodiscard]] QPixmap TitlePixmap(const QString& svg, qreal scale);

// `svg` drawn to fill `size`, as a label of that fixed size.
QLabel* CreateSvgPicture(QWidget& parent, const QString& svg, QSize size, const QString& name);

}  // namespace mivex::app
