#pragma once

// One SVG picture drawn into an image, the same way at start-up and when
// the build draws it beforehand.

#include <QImage>
#include <QSize>

class QSvgRenderer;

namespace mivex::app {

// `logical` device-independent pixels at `scale`, transparent around the picture.
[[nodiscard]] QImage DrawSvg(QSvgRenderer& renderer, QSize logical, qreal scale);

}  // namespace mivex::app
