// 表示(V): the status bar, the overview strip, going to a byte, and the widths the data
// suggests.
#include <QLayout>
#include <QStatusBar>

#include "image/WidthHints.h"
#include "toolkit/MessageBoxes.h"
#include "view/OverviewStrip.h"
#include "view/frmGoTo.h"
#include "view/frmMainView.h"
#include "view/frmWidthHints.h"

namespace rastel {

using modBITMAPinfo::gRawData;

void frmMainView::fMnuVIEWstatus_Click(bool checked) {
    sbrSTATUS->setVisible(checked);
}

// The window keeps its size: the client area takes the strip's room, or gives it back.
void frmMainView::fMnuVIEWstrip_Click(bool checked) {
    picSTRIP->setVisible(checked);
    centralWidget()->layout()->activate();  // at once, so the layout sees the new client area
}

void frmMainView::fMnuVIEWgoto_Click() {
    frmGoTo dialog(this, static_cast<std::int64_t>(gRawData.size()), &frmMainView::CellOfByte);
    if (dialog.exec() == QDialog::Accepted) {
        ScrollToCell(dialog.Target());
    }
}

// The picked width is applied as the settings dialog's OK would: the height follows, and
// everything else stays. A line in a direct format applies that format too, its rows packed.
void frmMainView::fMnuVIEWwidth_Click() {
    const auto& s = modBITMAPinfo::gDib.settings;
    const core::PixelFormat* format = core::ChosenFormat(s.gFormat);
    core::SpanSource source(gRawData);
    const auto widths =
        format ? core::SuggestWidths(source, *format)
               : core::SuggestWidths(source, s.gColBit, modBITMAPinfo::CurrentOrder(s));
    if (!widths || widths->empty()) {
        toolkit::MsgBox(this, QStringLiteral("データから幅の候補が見つかりませんでした"),
                        toolkit::kAppTitle, toolkit::MsgIcon::Information);
        return;
    }
    frmWidthHints dialog(this, *widths, s.gPicWidth, format);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const core::WidthCandidate& chosen = dialog.Chosen();
    modBITMAPinfo::ViewChoice next = modBITMAPinfo::ChoiceOf(modBITMAPinfo::gDib);
    auto& n = next.settings;
    n.gPicWidth = chosen.width;
    if (chosen.format != nullptr) {
        n.gFormat = core::ChoiceOf(*chosen.format);
        n.gStride = 0;
        n.gPicHeight = core::FormatHeight(*chosen.format, s.gFileSize, n.gPicWidth, 0);
    } else {
        n.gPicHeight = modBITMAPinfo::HeightForWidth(
            modBITMAPinfo::PixelCount(s.gFileSize, s.gColBit), n.gPicWidth);
    }
    if (Redraw(next, gRawData)) {
        Form_Resize();
    }
}

}  // namespace rastel
