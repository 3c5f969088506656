#include "view/PointerReadout.h"

namespace rastel {

namespace {

QString Hex(std::int64_t value, int digits = 0) {
    return QStringLiteral("0x") +
           QString::number(value, 16).toUpper().rightJustified(digits, QLatin1Char('0'));
}

}  // namespace

QString PointerReadout(const modBITMAPinfo::DecodeLayout& layout, modBITMAPinfo::ByteSpan data,
                       std::int64_t x, std::int64_t y) {
    QString text = QStringLiteral("X: %1  Y: %2").arg(x).arg(y);
    if (layout.position(y, x) < 0) {
        return text + QStringLiteral("  ファイルの範囲外 (先頭より前)");
    }
    // The decoder's own inverse: the byte and bits this pixel was decoded from.
    const std::optional<modBITMAPinfo::PixelSource> source = modBITMAPinfo::SourceAt(layout, x, y);
    if (!source) {
        return text;  // an order without pixels
    }
    if (source->byte >= static_cast<std::int64_t>(data.size())) {
        return text + QStringLiteral("  ファイルの範囲外 (末尾より後)");
    }
    text += QStringLiteral("  位置: %1 (%2)").arg(Hex(source->byte)).arg(source->byte);
    const int value =
        (data[static_cast<std::size_t>(source->byte)] >> source->shift) & ((1 << source->bits) - 1);
    switch (source->bits) {
        case 4:
            return text +
                   (source->shift == 4 ? QStringLiteral("  上位4ビット")
                                       : QStringLiteral("  下位4ビット")) +
                   QStringLiteral("  値: %1 (%2)").arg(Hex(value)).arg(value);
        case 1:
            return text + QStringLiteral("  ビット%1  値: %2").arg(source->shift).arg(value);
        default:
            return text + QStringLiteral("  値: %1 (%2)").arg(Hex(value, 2)).arg(value);
    }
}

}  // namespace rastel
