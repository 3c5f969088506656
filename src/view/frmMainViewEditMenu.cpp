// 編集(E): copying the picture as drawn, and the settings dialog for the shown file.
#include "toolkit/Clipboard.h"
#include "toolkit/MessageBoxes.h"
#include "view/PictureBoxes.h"
#include "view/frmMainView.h"

namespace rastel {

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

void frmMainView::fMnuEDIToption_Click() {
    const auto chosen = mRunOptMenu(this, modBITMAPinfo::ChoiceOf(modBITMAPinfo::gDib));
    if (chosen && Redraw(*chosen, modBITMAPinfo::gRawData).ok()) {
        Form_Resize();
    }
}

}  // namespace rastel
