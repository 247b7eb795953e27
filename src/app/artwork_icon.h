#pragma once

// Icons drawn from the program's SVG artwork by the program itself. Qt's own
// SVG icons load an icon-engine plugin at start-up; drawing through the SVG
// renderer the program already links gives the same pixels without it. Each
// size is drawn when first asked for and kept.

#include <QIcon>
#include <QString>

namespace mivex::app {

// `svg` is a resource path such as ":/artwork/toolbar-new.svg".
[[nodiscard]] QIcon ArtworkIcon(const QString& svg);

}  // namespace mivex::app
