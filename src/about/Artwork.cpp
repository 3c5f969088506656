#include "about/Artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <array>

namespace rastel::about {
namespace {

const QColor kNavy(0x1b, 0x2a, 0x4a);
const QColor kTeal(0x1f, 0x6f, 0x8b);

// The letter R on a 10 x 10 grid of cells.
constexpr std::array<const char*, 10> kLetter = {
    "..........",  //
    "..#####...",  //
    "..##..##..",  //
    "..##..##..",  //
    "..#####...",  //
    "..####....",  //
    "..##.##...",  //
    "..##..##..",  //
    "..##...##.",  //
    "..........",  //
};

QColor CellColour(int column, int row) {
    if (kLetter[row][column] == '#') {
        // Warm, lighter towards the top, like a run of bright bytes.
        return QColor::fromHsv(40 - row * 3, 200, 255);
    }
    // Cool cells of varying depth, so the grid reads as data rather than a flat field.
    const int noise = ((column ^ row) * 37 + column * row * 11) % 64;
    return QColor::fromHsv(205 + noise / 4, 170, 110 + noise * 2);
}

QPixmap Transparent(int width, int height) {
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

}  // namespace

void PaintLogo(QPainter& painter) {
    constexpr int kCells = 10, kPitch = 10, kGrid = kCells * kPitch;
    constexpr int kOrigin = (kLogoSide - kGrid) / 2;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kNavy);
    painter.drawRoundedRect(QRectF(3, 3, kLogoSide - 6, kLogoSide - 6), 18, 18);
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (int row = 0; row < kCells; ++row) {
        for (int column = 0; column < kCells; ++column) {
            painter.fillRect(kOrigin + column * kPitch, kOrigin + row * kPitch, kPitch - 1,
                             kPitch - 1, CellColour(column, row));
        }
    }
    painter.setPen(QPen(QColor(255, 255, 255, 200), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(kOrigin - 3, kOrigin - 3, kGrid + 4, kGrid + 4);
    painter.restore();
}

QPixmap Logo() {
    QPixmap pixmap = Transparent(kLogoSide, kLogoSide);
    QPainter painter(&pixmap);
    PaintLogo(painter);
    return pixmap;
}

QPixmap Banner() {
    constexpr int kWidth = 350, kHeight = 60;
    QPixmap pixmap = Transparent(kWidth, kHeight);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient band(0, 0, kWidth, 0);
    band.setColorAt(0, kNavy);
    band.setColorAt(1, kTeal);
    painter.setPen(Qt::NoPen);
    painter.setBrush(band);
    painter.drawRoundedRect(QRectF(0, 0, kWidth, kHeight), 8, 8);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(QRect(6, 6, 48, 48), Logo());
    // Cells fading in towards the right end, the picture the program makes out of a file.
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (int column = 0; column < 6; ++column) {
        for (int row = 0; row < 6; ++row) {
            QColor cell = CellColour(column + 2, row + 2);
            cell.setAlpha(40 + column * 36);
            painter.fillRect(kWidth - 66 + column * 9, 3 + row * 9, 8, 8, cell);
        }
    }
    return pixmap;
}

QCursor HandCursor() {
    QPainterPath hand;
    hand.setFillRule(Qt::WindingFill);
    hand.addRoundedRect(QRectF(10, 1, 5, 17), 2.5, 2.5);                   // pointing finger
    hand.addRoundedRect(QRectF(15, 9, 4.5, 11), 2.2, 2.2);                 // folded fingers
    hand.addRoundedRect(QRectF(19.5, 10, 4.5, 10), 2.2, 2.2);              //
    hand.addRoundedRect(QRectF(24, 11.5, 4, 9), 2, 2);                     //
    hand.addRoundedRect(QRectF(10, 14, 18, 13), 3, 3);                     // palm
    hand.addPolygon(QPolygonF({{10, 17}, {6, 13}, {3.5, 15}, {10, 24}}));  // thumb
    hand.addRect(QRectF(12, 26, 14, 5));                                   // wrist
    hand = hand.simplified();

    QPixmap pixmap = Transparent(32, 32);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1.2));
    painter.setBrush(Qt::white);
    painter.drawPath(hand);
    painter.end();
    return QCursor(pixmap, 12, 1);
}

QIcon WindowIcon() {
    return QIcon(Logo());
}

}  // namespace rastel::about
