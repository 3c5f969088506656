#include "view/frmPictures.h"

#include <QPushButton>
#include <algorithm>
#include <cmath>

#include "image/shown/RegionFile.h"

namespace rastel {

namespace {

QStringList Lines(const std::vector<core::PictureRegion>& regions) {
    QStringList lines;
    for (const auto& r : regions) {
        lines << frmPictures::Line(r);
    }
    return lines;
}

}  // namespace

frmPictures::frmPictures(QWidget* owner, const std::vector<core::PictureRegion>& regions,
                         Extract extract)
    : PickList(
          owner,
          {QStringLiteral("frmPictures"), QStringLiteral("画像を探す"),
           QStringLiteral("ファイルの中の画像 (一致度の高い順)(&P):"), QStringLiteral("PICTURE")},
          Lines(regions)),
      mRegions(regions),
      mExtract(std::move(extract)) {
    AllowManyLines();
    cmdEXTRACT = AddButton(QStringLiteral("書き出す(&W)..."), QStringLiteral("cmdEXTRACT"));
    wireEvents();
}

void frmPictures::wireEvents() {
    connect(cmdEXTRACT, &QPushButton::clicked, this, &frmPictures::cmdEXTRACT_Click);
}

void frmPictures::cmdEXTRACT_Click() {
    std::vector<core::PictureRegion> chosen;
    for (const int row : SelectedRows()) {
        chosen.push_back(mRegions[static_cast<std::size_t>(row)]);
    }
    if (!chosen.empty() && mExtract) {
        mExtract(this, chosen);
    }
}

QString frmPictures::Line(const core::PictureRegion& r) {
    const std::int64_t frame = core::FrameRowsOf(r);
    const std::int64_t rows =
        frame > 0 ? frame
                  : std::max<std::int64_t>(1, r.length / std::max<std::int64_t>(1, r.rowBytes));
    // Single bytes are shown as the palette indices they are, at 256 colours.
    const std::string_view name =
        r.format != nullptr ? r.format->caption : std::string_view("パレット番号 256色");
    const QString start = QString::number(r.start, 16).toUpper().rightJustified(8, u'0');
    if (r.table) {  // records: their size and how many
        return QStringLiteral("0x%1  表 %2 バイト × %3 行  一致度 %4%")
            .arg(start)
            .arg(r.rowBytes)
            .arg(rows)
            .arg(static_cast<int>(std::lround(r.score * 100)));
    }
    return QStringLiteral("0x%1  %2 × %3  %4  一致度 %5%")
        .arg(start)
        .arg(r.width)
        .arg(rows)
        .arg(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())))
        .arg(static_cast<int>(std::lround(r.score * 100)));
}

}  // namespace rastel
