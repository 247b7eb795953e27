#pragma once

// The picture at the top right of every view and dialog: its name in dark
// letters after a small icon, drawn from the program's SVG artwork at the
// screen's pixel density.

#include <QLabel>

namespace mivex::app {

// `svg` is a resource path such as ":/artwork/title-inbox.svg"; `name` is
// what the picture says, its accessible name.
QLabel* CreateTitlePicture(QWidget& parent, const QString& svg, const QString& name);

}  // namespace mivex::app
