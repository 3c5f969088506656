#include "view/frmWidthHints.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <cmath>

#include "toolkit/Fonts.h"
#include "toolkit/SmallDialog.h"

namespace rastel {

frmWidthHints::frmWidthHints(QWidget* owner, const std::vector<core::WidthCandidate>& candidates,
                             std::int64_t currentWidth, const core::PixelFormat* currentFormat)
    : QDialog(owner, toolkit::kFixedDialog), mCandidates(candidates) {
    setObjectName(QStringLiteral("frmWidthHints"));
    setWindowTitle(QStringLiteral("幅の候補"));
    setFont(toolkit::DialogFont());

    lblWIDTH = new QLabel(QStringLiteral("データから見た幅の候補 (一致度の高い順)(&W):"), this);
    lblWIDTH->setObjectName(QStringLiteral("lblWIDTH"));
    lstWIDTH = new QListWidget(this);
    lstWIDTH->setObjectName(QStringLiteral("lstWIDTH"));
    lblWIDTH->setBuddy(lstWIDTH);
    for (const auto& c : mCandidates) {
        QString line = QStringLiteral("%1 ピクセル").arg(c.width, 6);
        // The row in elements, where the data was found to be made of values of several
        // bytes and the row holds a whole number of them.
        if (c.elementBytes > 1 && c.width % c.elementPixels == 0) {
            line += QStringLiteral(" (%1 バイト × %2)")
                        .arg(c.elementBytes)
                        .arg(c.width / c.elementPixels);
        }
        // A line in a direct format names it as the settings dialog's list does.
        if (c.format != nullptr) {
            const std::string_view name = c.format->caption;
            line += QStringLiteral("  ") +
                    QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
        }
        line += QStringLiteral("  一致度 %1%").arg(static_cast<int>(std::lround(c.score * 100)), 3);
        if (c.width == currentWidth && c.format == currentFormat) {
            line += QStringLiteral("  (今の幅)");
        }
        lstWIDTH->addItem(line);
    }
    toolkit::FitLineList(lstWIDTH);

    const toolkit::OkCancel buttons = toolkit::StackWithOkCancel(this, {lblWIDTH, lstWIDTH});
    cmdOK = buttons.ok;
    cmdCANCEL = buttons.cancel;
    wireEvents();
    lstWIDTH->setFocus();
}

void frmWidthHints::wireEvents() {
    connect(cmdOK, &QPushButton::clicked, this, &frmWidthHints::cmdOK_Click);
    connect(cmdCANCEL, &QPushButton::clicked, this, &frmWidthHints::reject);
    connect(lstWIDTH, &QListWidget::itemDoubleClicked, this, &frmWidthHints::lstWIDTH_DblClick);
}

void frmWidthHints::cmdOK_Click() {
    const int row = lstWIDTH->currentRow();
    if (row < 0 || row >= static_cast<int>(mCandidates.size())) {
        return;
    }
    mChosen = mCandidates[static_cast<std::size_t>(row)];
    accept();
}

void frmWidthHints::lstWIDTH_DblClick(QListWidgetItem*) {
    cmdOK_Click();
}

}  // namespace rastel
