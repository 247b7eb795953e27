#pragma once

// The desktop's own style, unchanged, except that the arrows a toolbar keeps
// for buttons that do not fit are read only when first drawn. Qt reads them
// from image files as each toolbar is made, and the first image it reads
// loads every image-format plugin on the system: several libraries the
// program otherwise never needs before its first paint.

#include <QProxyStyle>

namespace mivex::app {

class QuietStyle final : public QProxyStyle {
public:
    // Wraps the style the application would use; it becomes this style's.
    explicit QuietStyle(QStyle* desktop);

    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option,
                       const QWidget* widget) const override;
};

// Puts QuietStyle in front of the application's style; call once, before
// any window is made.
void InstallQuietStyle();

}  // namespace mivex::app
