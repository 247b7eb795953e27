#include "app/counter_label.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainter>
#include <QStyle>

namespace mivex::app {

namespace {

// The slot of a counter character, -1 for any other.
int SlotOf(QChar character) {
    if (character >= u'0' && character <= u'9')
        return character.unicode() - u'0';
    return character == u'/' ? 10 : -1;
}

}  // namespace

void CounterLabel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        looked_ = false;
        glyphs_ = {};
    }
    QLabel::changeEvent(event);
}

std::optional<CounterLabel::Glyph> CounterLabel::GlyphFor(QChar character) {
    const int slot = SlotOf(character);
    if (slot < 0)
        return std::nullopt;
    if (!looked_) {
        looked_ = true;
        font_ = QRawFont::fromFont(font());
        const QString characters = QStringLiteral("0123456789/");
        const QList<quint32> indexes = font_.glyphIndexesForString(characters);
        const QList<QPointF> advances = font_.advancesForGlyphIndexes(indexes);
        for (qsizetype index = 0; index < indexes.size() && index < advances.size(); ++index) {
            if (indexes[index] != 0)
                glyphs_[static_cast<std::size_t>(index)] =
                    Glyph{indexes[index], advances[index].x()};
        }
    }
    return glyphs_[static_cast<std::size_t>(slot)];
}

bool CounterLabel::DrawGlyphs(QPainter& painter) {
    const QString shown = text();
    if (!font_.isValid() && looked_)
        return false;
    QList<quint32> indexes;
    QList<QPointF> positions;
    qreal x = 0;
    for (const QChar character : shown) {
        const std::optional<Glyph> glyph = GlyphFor(character);
        if (!glyph || !font_.isValid())
            return false;
        indexes.push_back(glyph->index);
        positions.push_back({x, 0});
        x += glyph->advance;
    }
    // Placed as a label places its text: aligned in the contents less the
    // margin, to the fraction of a pixel, the line's ascent above the
    // baseline. The characters are direction-neutral, so the text reads
    // left to right in either layout direction.
    const QRectF area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const QFontMetricsF metrics(font());
    const Qt::Alignment align = QStyle::visualAlignment(Qt::LeftToRight, alignment());
    qreal left = area.left();
    if (align & Qt::AlignRight)
        left += area.width() - x;
    else if (align & Qt::AlignHCenter)
        left += (area.width() - x) / 2;
    qreal top = area.top();
    if (align & Qt::AlignBottom)
        top += area.height() - metrics.height();
    else if (align & Qt::AlignVCenter)
        top += (area.height() - metrics.height()) / 2;
    const QPointF origin(left, top + metrics.ascent());
    for (QPointF& position : positions)
        position += origin;
    QGlyphRun run;
    run.setRawFont(font_);
    run.setGlyphIndexes(indexes);
    run.setPositions(positions);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    painter.drawGlyphRun(QPointF(0, 0), run);
    return true;
}

void CounterLabel::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (!DrawGlyphs(painter)) {
        painter.end();
        QLabel::paintEvent(event);
    }
}

}  // namespace mivex::app
