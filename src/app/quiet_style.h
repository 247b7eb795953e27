#pragma once

// The desktop's own style, the same in every pixel, with two costs taken out:
// - The arrows a toolbar keeps for buttons that do not fit are read only
//   when first drawn. Qt reads them from image files as each toolbar is
//   made, and the first image it reads loads every image-format plugin on
//   the system: several libraries the program otherwise never needs before
//   its first paint.
// - A tall scroll bar of the Fusion style is drawn a band at a time. Qt's
//   raster engine hands a shaded fill of more than about a hundred rows,
//   such as the scroll bar's groove, to a pool of threads it starts on
//   first use, which costs far more than the fill on a small machine. The
//   groove covers the bar with opaque colour, so each band drawn on its own
//   and copied in gives the same pixels.

#include <QProxyStyle>

namespace mivex::app {

class QuietStyle final : public QProxyStyle {
public:
    // Wraps the style the application would use; it becomes this style's.
    explicit QuietStyle(QStyle* desktop);

    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option,
                       const QWidget* widget) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget) const override;

private:
    [[nodiscard]] bool DrawsInBands(const QStyleOptionComplex& option, const QPainter& painter,
                                    const QWidget* widget) const;
    void DrawInBands(const QStyleOptionComplex& option, QPainter& painter,
                     const QWidget* widget) const;
};

// Puts QuietStyle in front of the application's style; call once, before
// any window is made.
void InstallQuietStyle();

}  // namespace mivex::app
