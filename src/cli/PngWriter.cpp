// The PNG plug-in: the same picture as the BMP, through Qt's image writer.
#include <QImage>
#include <QImageWriter>
#include <QSaveFile>
#include <cstdint>

#include "cli/PngPlugin.h"

using namespace rastel::modBITMAPinfo;

extern "C" __attribute__((visibility("default"))) bool RastelWritePng(rastel::cli::PngJob& job) {
    const DecodeLayout& layout = job.layout;
    QImage image;
    if (layout.width <= INT32_MAX && layout.height <= INT32_MAX) {
        image = QImage(static_cast<int>(layout.width), static_cast<int>(layout.height),
                       QImage::Format_Indexed8);
    }
    if (image.isNull()) {
        job.error = "the picture is too large for a PNG file";
        return false;
    }
    QList<QRgb> colours;
    for (const RGBQUAD& e : *job.palette) {
        colours.push_back(qRgb(e.rgbRed, e.rgbGreen, e.rgbBlue));
    }
    image.setColorTable(colours);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(job.source->size()));
    if (!job.source->Read(0, bytes.size(), bytes.data())) {
        return false;  // the caller reports the source's error
    }
    for (int y = 0; y < image.height(); ++y) {
        DecodeRows(layout, bytes, y, y + 1, image.scanLine(y), 0);
    }
    QSaveFile file(QString::fromStdString(job.path));
    QImageWriter writer(&file, "png");
    if (!file.open(QIODevice::WriteOnly) || !writer.write(image) || !file.commit()) {
        const QString why = writer.error() != QImageWriter::UnknownError ? writer.errorString()
                                                                         : file.errorString();
        job.error = "cannot write " + job.path + ": " + why.toStdString();
        return false;
    }
    return true;
}
