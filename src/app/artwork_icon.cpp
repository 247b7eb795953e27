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

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        return Fitted(Renderer().defaultSize(), size);
    }

    [[nodiscard]] QIconEngine* clone() const override { return new ArtworkIconEngine(svg_); }
    [[nodiscard]] QString key() const override { return QStringLiteral("mivex-artwork"); }

private:
    // The picture's own shape kept, as large as fits the size asked for.
    static QSize Fitted(QSize natural, QSize size) {
        if (natural.isNull())
            return {};
        return natural.scaled(size, Qt::KeepAspectRatio);
    }

    // Read once: toolbars ask for the icon's size at every layout.
    QSvgRenderer& Renderer() {
        if (renderer_ == nullptr)
            renderer_ = std::make_unique<QSvgRenderer>(svg_);
        return *renderer_;
    }

    [[nodiscard]] QPixmap Draw(QSize size) {
        const QSize fitted = Fitted(Renderer().defaultSize(), size);
        if (fitted.isEmpty())
            return {};
        QPixmap drawn(fitted);
        drawn.fill(Qt::transparent);
        QPainter painter(&drawn);
        Renderer().render(&painter);
        painter.end();
        return drawn;
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
