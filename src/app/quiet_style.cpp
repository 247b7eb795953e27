#include "app/quiet_style.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPointer>
#include <QStyleOption>
#include <cmath>
#include <optional>

namespace mivex::app {

namespace {

// Fewer rows than the raster engine shares out among threads.
constexpr int kBandRows = 64;

// Asks the wrapped style for the real icon the first time it is needed, and
// from then on answers with it.
class DeferredIconEngine final : public QIconEngine {
public:
    DeferredIconEngine(const QStyle* style, QStyle::StandardPixmap icon, const QStyleOption& option)
        : style_(const_cast<QStyle*>(style)), icon_(icon), option_(option) {
        // The widget the option came from may be gone by the first paint;
        // only its direction and palette matter here.
        option_.styleObject = nullptr;
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        Real().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Real().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        return Real().pixmap(size / scale, scale, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Real().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return Real().availableSizes(mode, state);
    }
    [[nodiscard]] QIconEngine* clone() const override {
        auto* copy = new DeferredIconEngine(style_, icon_, option_);
        copy->real_ = real_;
        return copy;
    }
    [[nodiscard]] QString key() const override { return QStringLiteral("mivex-deferred"); }

private:
    const QIcon& Real() {
        if (!real_.has_value())
            real_ = style_ != nullptr ? style_->standardIcon(icon_, &option_) : QIcon();
        return *real_;
    }

    QPointer<QStyle> style_;
    QStyle::StandardPixmap icon_;
    QStyleOption option_;
    std::optional<QIcon> real_;
};

}  // namespace

QuietStyle::QuietStyle(QStyle* desktop) : QProxyStyle(desktop) {}

QIcon QuietStyle::standardIcon(StandardPixmap icon, const QStyleOption* option,
                               const QWidget* widget) const {
    if (widget == nullptr &&
        (icon == SP_ToolBarHorizontalExtensionButton || icon == SP_ToolBarVerticalExtensionButton))
        return QIcon(new DeferredIconEngine(baseStyle(), icon,
                                            option != nullptr ? *option : QStyleOption()));
    return QProxyStyle::standardIcon(icon, option, widget);
}

void QuietStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                    QPainter* painter, const QWidget* widget) const {
    if (control == CC_ScrollBar && option != nullptr && painter != nullptr &&
        DrawsInBands(*option, *painter, widget)) {
        DrawInBands(*option, *painter, widget);
        return;
    }
    QProxyStyle::drawComplexControl(control, option, painter, widget);
}

// Only where the bands give exactly the pixels of a whole bar: Fusion's
// groove, opaque and drawn, copied in whole device pixels and as they are.
bool QuietStyle::DrawsInBands(const QStyleOptionComplex& option, const QPainter& painter,
                              const QWidget* widget) const {
    const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(&option);
    const QPaintDevice* device = painter.device();
    const qreal scale = device != nullptr ? device->devicePixelRatio() : 0;
    const QTransform& transform = painter.transform();
    const bool wholePixels = scale >= 1 && scale == std::round(scale) &&
                             transform.type() <= QTransform::TxTranslate &&
                             transform.dx() == std::round(transform.dx()) &&
                             transform.dy() == std::round(transform.dy());
    const bool asTheyAre = painter.opacity() == 1.0 &&
                           painter.compositionMode() == QPainter::CompositionMode_SourceOver;
    return bar != nullptr && bar->orientation == Qt::Vertical && option.rect.height() > kBandRows &&
           (option.subControls & SC_ScrollBarGroove) && wholePixels && asTheyAre &&
           baseStyle()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0 &&
           !proxy()->styleHint(SH_ScrollBar_Transient, &option, widget) &&
           option.palette.button().color().alpha() == 255;
}

void QuietStyle::DrawInBands(const QStyleOptionComplex& option, QPainter& painter,
                             const QWidget* widget) const {
    const qreal scale = painter.device()->devicePixelRatio();
    const QRect whole = option.rect;
    for (int top = whole.top(); top <= whole.bottom(); top += kBandRows) {
        const int rows = std::min(kBandRows, whole.bottom() + 1 - top);
        QImage band(QSize(whole.width(), rows) * scale, QImage::Format_ARGB32_Premultiplied);
        band.setDevicePixelRatio(scale);
        band.fill(Qt::transparent);
        QPainter bandPainter(&band);
        bandPainter.setRenderHints(painter.renderHints());
        bandPainter.translate(-whole.left(), -top);
        QProxyStyle::drawComplexControl(CC_ScrollBar, &option, &bandPainter, widget);
        bandPainter.end();
        painter.drawImage(QPoint(whole.left(), top), band);
    }
}

void InstallQuietStyle() {
    QApplication::setStyle(new QuietStyle(QApplication::style()));
}

}  // namespace mivex::app
