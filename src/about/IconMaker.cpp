// Makes the program's icons from the logo's own drawing, at build time:
//   rastel-icons DIR NAME SIZE...
// writes DIR/SIZExSIZE/apps/NAME.png for each size and DIR/scalable/apps/NAME.svg.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <cstdio>

#include "about/Artwork.h"

namespace {

using rastel::about::kLogoSide;

// Drawn at a whole multiple of the logo's own size, where every cell is sharp, then scaled
// down: small icons come out evenly blurred rather than with cells of uneven widths.
QImage LogoImage(int side) {
    const int scale = side / kLogoSide + 2;
    QImage large(kLogoSide * scale, kLogoSide * scale, QImage::Format_ARGB32_Premultiplied);
    large.fill(Qt::transparent);
    QPainter painter(&large);
    painter.scale(scale, scale);
    rastel::about::PaintLogo(painter);
    painter.end();
    return large.scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

bool WriteSvg(const QString& path) {
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(QSize(kLogoSide, kLogoSide));
    svg.setViewBox(QRect(0, 0, kLogoSide, kLogoSide));
    svg.setTitle(QStringLiteral("Rastel"));
    QPainter painter;
    if (!painter.begin(&svg)) {
        return false;
    }
    rastel::about::PaintLogo(painter);
    return painter.end();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: rastel-icons DIR NAME SIZE...\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
        const int side = QString::fromLocal8Bit(argv[i]).toInt();
        const QString folder = QStringLiteral("%1x%1/apps").arg(side);
        if (side < 1 || !dir.mkpath(folder) ||
            !LogoImage(side).save(dir.filePath(folder + "/" + name + ".png"), "png")) {
            std::fprintf(stderr, "rastel-icons: cannot write the %s icon\n", argv[i]);
            return 1;
        }
    }
    if (!dir.mkpath(QStringLiteral("scalable/apps")) ||
        !WriteSvg(dir.filePath("scalable/apps/" + name + ".svg"))) {
        std::fprintf(stderr, "rastel-icons: cannot write the scalable icon\n");
        return 1;
    }
    return 0;
}
