#include "view/frmPictures.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <algorithm>
#include <cmath>

#include "toolkit/Fonts.h"
#include "toolkit/SmallDialog.h"

namespace rastel {

frmPictures::frmPictures(QWidget* owner, const std::vector<core::PictureRegion>& regions)
    : QDialog(owner, toolkit::kFixedDialog), mRegions(regions) {
    setObjectName(QStringLiteral("frmPictures"));
    setWindowTitle(QStringLiteral("画像を探す"));
    setFont(toolkit::DialogFont());

    lblPICTURE = new QLabel(QStringLiteral("ファイルの中の画像 (一致度の高い順)(&P):"), this);
    lblPICTURE->setObjectName(QStringLiteral("lblPICTURE"));
    lstPICTURE = new QListWidget(this);
    lstPICTURE->setObjectName(QStringLiteral("lstPICTURE"));
    lblPICTURE->setBuddy(lstPICTURE);
    for (const auto& r : mRegions) {
        lstPICTURE->addItem(Line(r));
    }
    toolkit::FitLineList(lstPICTURE);

    const toolkit::OkCancel buttons = toolkit::StackWithOkCancel(this, {lblPICTURE, lstPICTURE});
    cmdOK = buttons.ok;
    cmdCANCEL = buttons.cancel;
    wireEvents();
    lstPICTURE->setFocus();
}

QString frmPictures::Line(const core::PictureRegion& r) {
    const std::int64_t rows =
        std::max<std::int64_t>(1, r.length / std::max<std::int64_t>(1, r.rowBytes));
    // Single bytes are shown as the palette indices they are, at 256 colours.
    const std::string_view name =
        r.format != nullptr ? r.format->caption : std::string_view("パレット番号 256色");
    const QString start = QString::number(r.start, 16).toUpper().rightJustified(8, u'0');
    return QStringLiteral("0x%1  %2 × %3  %4  一致度 %5%")
        .arg(start)
        .arg(r.width)
        .arg(rows)
        .arg(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())))
        .arg(static_cast<int>(std::lround(r.score * 100)));
}

void frmPictures::wireEvents() {
    connect(cmdOK, &QPushButton::clicked, this, &frmPictures::cmdOK_Click);
    connect(cmdCANCEL, &QPushButton::clicked, this, &frmPictures::reject);
    connect(lstPICTURE, &QListWidget::itemDoubleClicked, this, &frmPictures::lstPICTURE_DblClick);
}

void frmPictures::cmdOK_Click() {
    const int row = lstPICTURE->currentRow();
    if (row < 0 || row >= static_cast<int>(mRegions.size())) {
        return;
    }
    mChosen = mRegions[static_cast<std::size_t>(row)];
    accept();
}

void frmPictures::lstPICTURE_DblClick(QListWidgetItem*) {
    cmdOK_Click();
}

}  // namespace rastel
