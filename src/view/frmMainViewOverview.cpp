// The overview strip: its frame follows the view, a click or a drag goes to the byte under the
// pointer as go-to does, and hovering names the bytes a row stands for.
#include <QLabel>

#include "view/MapWork.h"
#include "view/OverviewStrip.h"
#include "view/PictureBoxes.h"
#include "view/PointerReadout.h"
#include "view/frmMainView.h"

namespace rastel {

// The bytes of the picture rows that the viewport shows, whole rows even where the view shows
// part of them.
void frmMainView::ShowMapFrame() {
    if (!picPICT->HasPicture() || !picPICT->Visible()) {
        picMAP->SetFrame(0, 0);
        return;
    }
    const modBITMAPinfo::DecodeLayout layout = PictureLayout();
    const std::int64_t perByte = modBITMAPinfo::PixelsPerByte(layout.depth);
    const std::int64_t magY = std::max(1, picPICT->MagY());
    const std::int64_t top = std::clamp<std::int64_t>(-picPICT->Top() / magY, 0, layout.height);
    const std::int64_t bottom = std::clamp<std::int64_t>(
        (picBASE->height() - picPICT->Top() + magY - 1) / magY, top, layout.height);
    auto byteOf = [&](std::int64_t row) {
        const std::int64_t p = layout.position(row, 0);
        const auto size = static_cast<std::int64_t>(modBITMAPinfo::gRawData.size());
        return perByte == 0 ? 0 : std::clamp<std::int64_t>(p / perByte, 0, size);
    };
    picMAP->SetFrame(byteOf(top), byteOf(bottom));
}

// The byte at the row's top goes to the viewport's top-left, as far as the bars allow; bytes
// the picture does not show take the view to the end they lie beyond.
void frmMainView::picMAP_MouseDown(int Y) {
    if (picMAP->Empty() || !picPICT->HasPicture()) {
        return;
    }
    const modBITMAPinfo::DecodeLayout layout = PictureLayout();
    const std::int64_t b = picMAP->RowBytes(Y).begin;
    if (const auto cell = modBITMAPinfo::CellOf(layout, b)) {
        ScrollToCell(*cell);
    } else {
        const auto p = modBITMAPinfo::FirstPositionOf(layout.depth, layout.order, b);
        ScrollToCell({0, p && *p >= layout.offset ? layout.height - 1 : 0});
    }
}

void frmMainView::picMAP_MouseMove(int Y, bool held) {
    mMapPointer = Y;
    if (held) {
        picMAP_MouseDown(Y);
    }
    ShowMapReadout();
}

// What the strip row under the pointer stands for; nothing while the strip is empty.
void frmMainView::ShowMapReadout() {
    if (picMAP->Empty()) {
        lblPOINTER->clear();
        return;
    }
    const auto [first, end] = picMAP->RowBytes(*mMapPointer);
    lblPOINTER->setText(MapReadout(picMAP->Shown(), first, end));
}

// Called again when the figures are complete; a call for work since replaced finds nothing.
void frmMainView::ShowMapFigures() {
    if (mMapWork && mMapWork->Done()) {
        picMAP->SetOverview(mMapWork->Take());
        mMapWork.reset();
        if (mMapPointer) {
            ShowMapReadout();
        }
    }
}

void frmMainView::picMAP_MouseLeave() {
    mMapPointer.reset();
    lblPOINTER->clear();
}

}  // namespace rastel
