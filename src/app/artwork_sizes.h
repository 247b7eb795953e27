#pragma once

// The sizes the views draw the program's artwork at. The build draws every
// picture named here beforehand at the usual screen scales
// (tools/artwork), so a start draws no SVG; other scales draw the SVG as
// before. Sizes are in device-independent pixels.

#include <QSize>
#include <string_view>

namespace mivex::app {

// Title pictures are this tall, as wide as their shape makes them.
inline constexpr int kTitleHeight = 22;
inline constexpr QSize kToolbarIconSize{24, 24};
inline constexpr QSize kPictureButtonIconSize{20, 20};

struct ArtworkSize {
    std::string_view prefix;  // resource paths that start with it
    QSize box;                // width 0: a title picture, height `box.height()`
};

inline constexpr ArtworkSize kPreRenderedSizes[] = {
    {":/artwork/title-", {0, kTitleHeight}},
    {":/artwork/toolbar-", kToolbarIconSize},
    {":/artwork/recipient-", kPictureButtonIconSize},
    // The window icon, at the sizes window systems ask for.
    {":/icons/mivex.svg", {16, 16}},
    {":/icons/mivex.svg", {32, 32}},
    {":/icons/mivex.svg", {64, 64}},
};
inline constexpr int kPreRenderedScales[] = {1, 2};

// The picture's own shape kept, as large as fits `box`; a box of width 0
// only sets the height.
[[nodiscard]] inline QSize FittedArtwork(QSize natural, QSize box) {
    if (natural.isEmpty())
        return box.width() == 0 ? QSize(4 * box.height(), box.height()) : QSize();
    if (box.width() == 0)
        return {natural.width() * box.height() / natural.height(), box.height()};
    return natural.scaled(box, Qt::KeepAspectRatio);
}

}  // namespace mivex::app
