#pragma once

// The artwork the build drew beforehand (tools/artwork), kept inside the
// program as compressed pixels, looked up by resource path and size in
// device pixels. Reading them needs no image-format plugin, which the first
// image file read would load, every one of them.

#include <QPixmap>
#include <QString>
#include <cstddef>
#include <span>

namespace mivex::app {

struct PreRenderedPicture {
    const char* svg;  // resource path
    QSize box;        // device pixels; width 0 for a title picture
    QSize size;       // device pixels
    // qCompress'd premultiplied ARGB32 pixels, row after row
    const unsigned char* pixels;
    std::size_t compressedSize;
};

// Made by the build.
[[nodiscard]] std::span<const PreRenderedPicture> PreRenderedPictures();

// The picture drawn for `box` (device pixels), null when the build drew none.
[[nodiscard]] QPixmap PreRenderedArtwork(const QString& svg, QSize box);

}  // namespace mivex::app
