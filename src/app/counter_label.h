#pragma once

// The characters-left counter beside the message: a label drawn again at
// every keystroke. A plain label lays its text out for each paint (breaks,
// script runs, shaping), most of what a keystroke costs beyond the edit's
// own work. The counter shows digits and "/" only, which need no shaping:
// their glyphs and advances are looked up once per font and placed one
// after another, as the layout would place them. Any other text, or a font
// without those glyphs, is drawn as a plain label draws it.

#include <QLabel>
#include <QRawFont>
#include <array>
#include <optional>

namespace mivex::app {

class CounterLabel final : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct Glyph {
        quint32 index = 0;
        qreal advance = 0;
    };
    // False when the text holds a character with no looked-up glyph.
    bool DrawGlyphs(QPainter& painter);
    std::optional<Glyph> GlyphFor(QChar character);

    QRawFont font_;
    bool looked_ = false;
    // "0" to "9", then "/"; empty when the font has no glyph for it.
    std::array<std::optional<Glyph>, 11> glyphs_;
};

}  // namespace mivex::app
