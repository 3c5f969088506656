// The picture leaves the program: as a BMP file at its own size, or as drawn on the clipboard.
#include <QFile>

#include "image/BmpFile.h"
#include "toolkit/Clipboard.h"
#include "toolkit/MessageBoxes.h"
#include "view/PictureBoxes.h"
#include "view/frmMainView.h"

namespace rastel {

void frmMainView::fMnuFILEsave_Click() {
    // The save dialog borrows the open dialog's file name and hands it back afterwards.
    const QString remembered = mDialogFileName;
    toolkit::FileRequest request;
    request.save = true;
    request.filter = QStringLiteral("ビットマップファイル(*.bmp)|*.bmp");
    request.fileName = remembered + QStringLiteral(".bmp");
    request.defaultExtension = QStringLiteral(".bmp");
    request.overwritePrompt = true;
    mDialogDefaultExt = request.defaultExtension;
    if (const std::optional<QString> chosen = toolkit::CurrentDialogs().File(this, request)) {
        const modBITMAPinfo::WriteResult result =
            modBITMAPinfo::SaveBmp(QFile::encodeName(*chosen).toStdString(), modBITMAPinfo::gDib);
        if (!result.ok()) {
            toolkit::MsgBox(this, QStringLiteral("ファイルの書き込みに失敗しました"),
                            QStringLiteral("エラー (%1)").arg(result.error),
                            toolkit::MsgIcon::Critical);
        }
    }
    mDialogFileName = remembered;
    mDialogDefaultExt.clear();
}

void frmMainView::fMnuEDITcapture_Click() {
    const QImage drawn = picPICT->Drawn();
    if (drawn.isNull()) {
        toolkit::MsgBox(this,
                        QStringLiteral("画像が大きすぎるためクリップボードにコピーできません"),
                        toolkit::kAppTitle, toolkit::MsgIcon::Exclamation);
        return;
    }
    toolkit::PutImageOnClipboard(drawn);
}

}  // namespace rastel
