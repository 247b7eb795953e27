#include "app/quiet_style.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPointer>
#include <QStyleOption>
#include <optional>

namespace mivex::app {

namespace {

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

void InstallQuietStyle() {
    QApplication::setStyle(new QuietStyle(QApplication::style()));
}

}  // namespace mivex::app
