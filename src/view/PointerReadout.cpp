#include "view/PointerReadout.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <vector>

namespace rastel {

namespace {

QString Hex(std::int64_t value, int digits = 0) {
    return QStringLiteral("0x") +
           QString::number(value, 16).toUpper().rightJustified(digits, QLatin1Char('0'));
}

const char* const kClassNames[core::kClassCount] = {"ゼロ", "一様", "テキスト", "ランダム",
                                                    "データ"};

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

QString PointerReadout(const core::Layout& layout, core::ByteSpan data, std::int64_t x,
                       std::int64_t y) {
    return layout.indexed() ? PointerReadout(layout.Indices(), data, x, y)
                            : PointerReadout(layout.Colours(), data, x, y);
}

QString PointerReadout(const core::FormatLayout& layout, core::ByteSpan data, std::int64_t x,
                       std::int64_t y) {
    const QString text = QStringLiteral("X: %1  Y: %2").arg(x).arg(y);
    const core::FormatPixel pixel = core::FormatPixelAt(layout, data, x, y);
    if (pixel.byte < 0) {
        return text + QStringLiteral("  ファイルの範囲外 (先頭より前)");
    }
    if (pixel.byte >= static_cast<std::int64_t>(data.size())) {
        return text + QStringLiteral("  ファイルの範囲外 (末尾より後)");
    }
    const auto& c = pixel.channels;
    QString channels;
    switch (layout.format->family) {
        case core::FormatFamily::Gray16:
            channels = QStringLiteral("値 %1").arg(c[0]);
            break;
        case core::FormatFamily::Yuv422:
            channels = QStringLiteral("Y %1 U %2 V %3").arg(c[0]).arg(c[1]).arg(c[2]);
            break;
        case core::FormatFamily::Planar: {
            const std::int64_t rows = std::max<std::int64_t>(1, layout.frameRows());
            channels = QStringLiteral("フレーム %1 / %2  Y %3 U %4 V %5")
                           .arg(y / rows + 1)
                           .arg(layout.height / rows)
                           .arg(c[0])
                           .arg(c[1])
                           .arg(c[2]);
            break;
        }
        case core::FormatFamily::Bayer: {
            static const char* const kSite[] = {"赤", "緑", "青"};
            channels =
                QStringLiteral("値 %1 (%2)").arg(c[0]).arg(QString::fromUtf8(kSite[c[1] % 3]));
            break;
        }
        case core::FormatFamily::Alpha:
            channels =
                QStringLiteral("R %1 G %2 B %3 A %4").arg(c[0]).arg(c[1]).arg(c[2]).arg(c[3]);
            break;
        case core::FormatFamily::Opaque:
            channels = QStringLiteral("R %1 G %2 B %3").arg(c[0]).arg(c[1]).arg(c[2]);
            break;
        case core::FormatFamily::Indices:  // read by the readout of palette indices
            break;
    }
    return text + QStringLiteral("  位置: %1 (%2)  ").arg(Hex(pixel.byte)).arg(pixel.byte) +
           channels;
}

QString StripReadout(const core::Overview& overview, std::int64_t first, std::int64_t end) {
    const core::ClassMix mix = overview.Mix(first, end);
    std::vector<std::pair<double, int>> present;  // the largest share first
    for (int c = 0; c < core::kClassCount; ++c) {
        if (const double share = mix.share[static_cast<std::size_t>(c)]; share > 0) {
            present.emplace_back(-share, c);
        }
    }
    std::sort(present.begin(), present.end());
    QStringList kinds;
    for (const auto& [minus, c] : present) {
        kinds << QString::fromUtf8(kClassNames[c]) +
                     (present.size() > 1
                          ? QStringLiteral(" %1%").arg(std::max(1L, std::lround(-minus * 100)))
                          : QString());
    }
    // What the bytes are comes first: the range is the longest part.
    return QStringLiteral("種類: %1  エントロピー: %2  位置: %3-%4 (%5-%6)")
        .arg(kinds.join(QStringLiteral("・")))
        .arg(mix.entropy, 0, 'f', 2)
        .arg(Hex(first), Hex(end - 1))
        .arg(first)
        .arg(end - 1);
}

}  // namespace rastel
