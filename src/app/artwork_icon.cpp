#include "app/artwork_icon.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>
#include <map>
#include <memory>
#include <tuple>

#include "app/artwork_sizes.h"
#include "app/pre_rendered_artwork.h"
#include "app/svg_drawing.h"

namespace mivex::app {

namespace {

class ArtworkIconEngine final : public QIconEngine {
public:
    explicit ArtworkIconEngine(QString svg) : svg_(std::move(svg)) {}

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        const auto key = std::make_tuple(size.width(), size.height(), int(mode), int(state));
        if (const auto found = drawn_.find(key); found != drawn_.end())
            return found->second;
        QPixmap drawn =
            mode == QIcon::Normal ? Draw(size) : Restyled(pixmap(size, QIcon::Normal, state), mode);
        drawn_.emplace(key, drawn);
        return drawn;
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        QSize size = rect.size();
        if (painter->device() != nullptr)
            size *= painter->device()->devicePixelRatio();
        painter->drawPixmap(rect, pixmap(size, mode, state));
    }

    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        if (renderer_ == nullptr) {
            const QPixmap drawn = pixmap(size, mode, state);
            if (!drawn.isNull())
                return drawn.size();
        }
        return FittedArtwork(Renderer().defaultSize(), size);
    }

    [[nodiscard]] QIconEngine* clone() const override { return new ArtworkIconEngine(svg_); }
    [[nodiscard]] QString key() const override { return QStringLiteral("mivex-artwork"); }

private:
    // Read once: toolbars ask for the icon's size at every layout.
    QSvgRenderer& Renderer() {
        if (renderer_ == nullptr)
            renderer_ = std::make_unique<QSvgRenderer>(svg_);
        return *renderer_;
    }

    // The build's picture for this size, else the SVG drawn now.
    [[nodiscard]] QPixmap Draw(QSize size) {
        QPixmap drawn = PreRenderedArtwork(svg_, size);
        if (!drawn.isNull() || size.isEmpty())
            return drawn;
        const QSize fitted = FittedArtwork(Renderer().defaultSize(), size);
        if (fitted.isEmpty())
            return {};
        return QPixmap::fromImage(DrawSvg(Renderer(), fitted, 1.0));
    }

    // Greyed when disabled, lit on hover, as the desktop style draws every
    // other icon.
    static QPixmap Restyled(const QPixmap& normal, QIcon::Mode mode) {
        if (normal.isNull() || qobject_cast<QApplication*>(QApplication::instance()) == nullptr)
            return normal;
        QStyleOption option(0);
        option.palette = QApplication::palette();
        return QApplication::style()->generatedIconPixmap(mode, normal, &option);
    }

    QString svg_;
    std::unique_ptr<QSvgRenderer> renderer_;
    std::map<std::tuple<int, int, int, int>, QPixmap> drawn_;
};

}  // namespace

QIcon ArtworkIcon(const QString& svg) {
    return QIcon(new ArtworkIconEngine(svg));
}

}  // namespace mivex::app
