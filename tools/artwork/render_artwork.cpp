// Draws the program's artwork beforehand, at the sizes and scales the views
// ask for (app/artwork_sizes.h), and writes their pixels, compressed, into a
// C++ source file the program is built with. A start then draws no SVG and
// reads no image file.
//
//   mivex-artwork-render RESOURCES_DIR OUTPUT.cpp
//
// RESOURCES_DIR holds artwork/ and icons/ as the program's resources do.

#include <QDirIterator>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QSaveFile>
#include <QSvgRenderer>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/artwork_sizes.h"
#include "app/svg_drawing.h"

namespace {

using mivex::app::FittedArtwork;

struct Picture {
    QString resource;   // ":/artwork/…"
    QSize box;          // device pixels
    QSize size;         // device pixels
    QByteArray pixels;  // qCompress'd premultiplied ARGB32, row after row
};

// The picture for `box` at `scale`, as the running program would draw it.
QImage Draw(QSvgRenderer& renderer, QSize box, int scale) {
    const QSize natural = renderer.defaultSize();
    if (box.width() == 0)  // a title: laid out in logical pixels, drawn at the scale
        return mivex::app::DrawSvg(renderer, FittedArtwork(natural, box), scale);
    return mivex::app::DrawSvg(renderer, FittedArtwork(natural, box * scale), 1.0);
}

bool Render(const QString& file, const QString& resource, std::vector<Picture>& pictures) {
    QSvgRenderer renderer(file);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "mivex-artwork-render: %s is not a picture\n", qPrintable(file));
        return false;
    }
    for (const mivex::app::ArtworkSize& size : mivex::app::kPreRenderedSizes) {
        if (!resource.startsWith(QLatin1String(size.prefix.data(), qsizetype(size.prefix.size()))))
            continue;
        for (const int scale : mivex::app::kPreRenderedScales) {
            const QSize box = size.box * scale;
            if (std::any_of(pictures.begin(), pictures.end(), [&](const Picture& drawn) {
                    return drawn.resource == resource && drawn.box == box;
                }))
                continue;  // one size at two scales is drawn once
            const QImage image = Draw(renderer, size.box, scale);
            if (image.isNull() || image.format() != QImage::Format_ARGB32_Premultiplied) {
                std::fprintf(stderr, "mivex-artwork-render: cannot draw %s\n", qPrintable(file));
                return false;
            }
            QByteArray pixels;
            for (int row = 0; row < image.height(); ++row)
                pixels.append(reinterpret_cast<const char*>(image.constScanLine(row)),
                              qsizetype(image.width()) * 4);
            pictures.push_back({resource, box, image.size(), qCompress(pixels, 9)});
        }
    }
    return true;
}

void WriteBytes(QTextStream& out, const QByteArray& bytes) {
    for (qsizetype index = 0; index < bytes.size(); ++index) {
        out << (index % 16 == 0 ? "\n    " : " ") << "0x"
            << QString::number(static_cast<unsigned char>(bytes[index]), 16) << ',';
    }
}

bool Write(const QString& output, const std::vector<Picture>& pictures) {
    QSaveFile file(output);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    QTextStream out(&file);
    out << "// Made by mivex-artwork-render from the SVG artwork; not edited by hand.\n"
        << "#include \"app/pre_rendered_artwork.h\"\n\nnamespace mivex::app {\nnamespace {\n";
    for (std::size_t index = 0; index < pictures.size(); ++index) {
        out << "\nconst unsigned char kPixels" << index << "[] = {";
        WriteBytes(out, pictures[index].pixels);
        out << "\n};\n";
    }
    out << "\nconst PreRenderedPicture kPictures[] = {\n";
    for (std::size_t index = 0; index < pictures.size(); ++index) {
        const Picture& picture = pictures[index];
        out << "    {\"" << picture.resource << "\", {" << picture.box.width() << ", "
            << picture.box.height() << "}, {" << picture.size.width() << ", "
            << picture.size.height() << "}, kPixels" << index << ", sizeof kPixels" << index
            << "},\n";
    }
    out << "};\n\n}  // namespace\n\nstd::span<const PreRenderedPicture> PreRenderedPictures() {\n"
        << "    return kPictures;\n}\n\n}  // namespace mivex::app\n";
    out.flush();
    return out.status() == QTextStream::Ok && file.commit();
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: mivex-artwork-render RESOURCES_DIR OUTPUT.cpp\n");
        return 2;
    }
    const QString root = arguments[1];
    QStringList files;
    for (const char* folder : {"artwork", "icons"}) {
        QDirIterator found(root + u'/' + QLatin1String(folder), {QStringLiteral("*.svg")},
                           QDir::Files);
        while (found.hasNext())
            files << found.next();
    }
    std::sort(files.begin(), files.end());  // the same output for the same input
    std::vector<Picture> pictures;
    for (const QString& file : files) {
        if (!Render(file, QStringLiteral(":") + file.mid(root.size()), pictures))
            return 1;
    }
    if (!Write(arguments[2], pictures)) {
        std::fprintf(stderr, "mivex-artwork-render: cannot write %s\n", qPrintable(arguments[2]));
        return 1;
    }
    return 0;
}
