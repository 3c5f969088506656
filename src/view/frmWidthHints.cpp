#include "view/frmWidthHints.h"

#include <cmath>

namespace rastel {

namespace {

QString Line(const core::WidthCandidate& c, std::int64_t currentWidth,
             const core::PixelFormat* currentFormat) {
    QString line = QStringLiteral("%1 ピクセル").arg(c.width, 6);
    // A frame size of video names its sides and the name it goes by.
    if (c.frameHeight > 0) {
        line = QStringLiteral("%1 × %2 (%3)")
                   .arg(c.width, 4)
                   .arg(c.frameHeight)
                   .arg(QString::fromUtf8(c.sizeName.data(),
                                          static_cast<qsizetype>(c.sizeName.size())));
    } else if (c.elementBytes > 1 && c.width % c.elementPixels == 0) {
        // The row in elements, where the data was found to be made of values of several
        // bytes and the row holds a whole number of them.
        line +=
            QStringLiteral(" (%1 バイト × %2)").arg(c.elementBytes).arg(c.width / c.elementPixels);
    }
    // A line in a direct format names it as the settings dialog's list does.
    if (c.format != nullptr) {
        const std::string_view name = c.format->caption;
        line += QStringLiteral("  ") +
                QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    }
    line += QStringLiteral("  一致度 %1%").arg(static_cast<int>(std::lround(c.score * 100)), 3);
    if (c.width == currentWidth && c.format == currentFormat && c.frameHeight == 0) {
        line += QStringLiteral("  (今の幅)");
    }
    return line;
}

QStringList Lines(const std::vector<core::WidthCandidate>& candidates, std::int64_t currentWidth,
                  const core::PixelFormat* currentFormat) {
    QStringList lines;
    for (const auto& c : candidates) {
        lines << Line(c, currentWidth, currentFormat);
    }
    return lines;
}

}  // namespace

frmWidthHints::frmWidthHints(QWidget* owner, const std::vector<core::WidthCandidate>& candidates,
                             std::int64_t currentWidth, const core::PixelFormat* currentFormat)
    : PickList(
          owner,
          {QStringLiteral("frmWidthHints"), QStringLiteral("幅の候補"),
           QStringLiteral("データから見た幅の候補 (一致度の高い順)(&W):"), QStringLiteral("WIDTH")},
          Lines(candidates, currentWidth, currentFormat)),
      mCandidates(candidates) {}

}  // namespace rastel
