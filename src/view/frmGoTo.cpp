#include "view/frmGoTo.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "image/rules/FieldRules.h"
#include "toolkit/Fonts.h"
#include "toolkit/MessageBoxes.h"
#include "toolkit/SmallDialog.h"

namespace rastel {

namespace {

const QString kTitle = QStringLiteral("指定位置へ移動");

// "999 (0x3E7)": how the offsets are written to the user, both ways they may be typed.
QString BothWays(std::int64_t value) {
    return QStringLiteral("%1 (0x%2)").arg(value).arg(QString::number(value, 16).toUpper());
}

}  // namespace

frmGoTo::frmGoTo(QWidget* owner, std::int64_t fileSize, CellFinder cellOf)
    : QDialog(owner, toolkit::kFixedDialog), mFileSize(fileSize), mCellOf(std::move(cellOf)) {
    setObjectName(QStringLiteral("frmGoTo"));
    setWindowTitle(kTitle);
    setFont(toolkit::DialogFont());

    lblOFFSET = new QLabel(QStringLiteral("バイト位置(&O):"), this);
    lblOFFSET->setObjectName(QStringLiteral("lblOFFSET"));
    tbxOFFSET = new QLineEdit(this);
    tbxOFFSET->setObjectName(QStringLiteral("tbxOFFSET"));
    lblOFFSET->setBuddy(tbxOFFSET);
    lblRANGE = new QLabel(QStringLiteral("0 から %1 まで。16進数は 0x を付けて入力します")
                              .arg(BothWays(fileSize - 1)),
                          this);
    lblRANGE->setObjectName(QStringLiteral("lblRANGE"));
    const toolkit::OkCancel buttons =
        toolkit::StackWithOkCancel(this, {lblOFFSET, tbxOFFSET, lblRANGE});
    cmdOK = buttons.ok;
    cmdCANCEL = buttons.cancel;
    wireEvents();
    tbxOFFSET->setFocus();
}

void frmGoTo::wireEvents() {
    connect(cmdOK, &QPushButton::clicked, this, &frmGoTo::cmdOK_Click);
    connect(cmdCANCEL, &QPushButton::clicked, this, &frmGoTo::reject);
}

// The number rules are the settings dialog's; a bad text is named in a box and the dialog
// stays open on it.
void frmGoTo::cmdOK_Click() {
    const fieldRules::ByteOffset typed =
        fieldRules::ByteOffsetValue(tbxOFFSET->text().toStdString(), mFileSize);
    if (typed.kind == fieldRules::ByteOffset::kNotNumber) {
        Refuse(QStringLiteral("バイト位置は10進数か、0x を付けた16進数で入力してください"));
        return;
    }
    if (typed.kind == fieldRules::ByteOffset::kOutOfRange) {
        Refuse(QStringLiteral("バイト位置は 0 から %1 までで入力してください")
                   .arg(BothWays(mFileSize - 1)));
        return;
    }
    // Before the offset's start, or past the last row: the byte is in the file but not shown.
    const std::optional<modBITMAPinfo::Cell> cell = mCellOf(typed.value);
    if (!cell) {
        Refuse(QStringLiteral("バイト位置 %1 は今の画像に含まれていません")
                   .arg(BothWays(typed.value)));
        return;
    }
    mTarget = *cell;
    accept();
}

void frmGoTo::Refuse(const QString& text) {
    toolkit::MsgBox(this, text, kTitle, toolkit::MsgIcon::Exclamation);
    tbxOFFSET->setFocus();
    tbxOFFSET->selectAll();
}

}  // namespace rastel
