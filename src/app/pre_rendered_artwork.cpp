#include "app/pre_rendered_artwork.h"

#include <QByteArray>
#include <QImage>
#include <cstring>

namespace mivex::app {

namespace {

QPixmap Unpacked(const PreRenderedPicture& picture) {
    const QByteArray pixels =
        qUncompress(picture.pixels, static_cast<qsizetype>(picture.compressedSize));
    const qsizetype rowBytes = qsizetype(picture.size.width()) * 4;
    QImage image(picture.size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull() || pixels.size() != rowBytes * picture.size.height())
        return {};
    for (int row = 0; row < picture.size.height(); ++row)
        std::memcpy(image.scanLine(row), pixels.constData() + row * rowBytes,
                    std::size_t(rowBytes));
    return QPixmap::fromImage(std::move(image));
}

}  // namespace

QPixmap PreRenderedArtwork(const QString& svg, QSize box) {
    const QByteArray path = svg.toUtf8();
    for (const PreRenderedPicture& picture : PreRenderedPictures()) {
        if (picture.box == box && path == picture.svg)
            return Unpacked(picture);
    }
    return {};
}

}  // namespace mivex::app
