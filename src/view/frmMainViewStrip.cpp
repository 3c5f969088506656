// The overview strip: its frame follows the view, a click or a drag goes to the byte under the
// pointer as go-to does, hovering names the bytes a row stands for, and the pictures found
// inside the file are marked.
#include <QLabel>

#include "view/OverviewStrip.h"
#include "view/PictureBoxes.h"
#include "view/PointerReadout.h"
#include "view/frmMainView.h"

namespace rastel {

// The bytes of the picture rows that the viewport shows, whole rows even where the view shows
// part of them.
void frmMainView::ShowStripFrame() {
    if (!picPICT->HasPicture() || !picPICT->Visible()) {
        picSTRIP->SetFrame(0, 0);
        return;
    }
    const std::int64_t height = modBITMAPinfo::gDib.settings.gPicHeight;
    const std::int64_t magY = std::max(1, picPICT->MagY());
    const std::int64_t top = std::clamp<std::int64_t>(-picPICT->Top() / magY, 0, height);
    const std::int64_t bottom = std::clamp<std::int64_t>(
        (picBASE->height() - picPICT->Top() + magY - 1) / magY, top, height);
    const auto [first, end] = core::BytesOfRows(
        Shown(), top, bottom, static_cast<std::int64_t>(modBITMAPinfo::gRawData.size()));
    picSTRIP->SetFrame(first, end);
}

// The byte at the row's top goes to the viewport's top-left, as far as the bars allow; bytes
// the picture does not show take the view to the end they lie beyond.
void frmMainView::picSTRIP_MouseDown(int Y) {
    if (picSTRIP->Empty() || !picPICT->HasPicture()) {
        return;
    }
    const std::int64_t b = picSTRIP->RowBytes(Y).begin;
    if (const auto cell = CellOfByte(b)) {
        ScrollToCell(*cell);
    } else {
        ScrollToCell(
            {0, core::BeforeStart(Shown(), b) ? 0 : modBITMAPinfo::gDib.settings.gPicHeight - 1});
    }
}

void frmMainView::picSTRIP_MouseMove(int Y, bool held) {
    mStripPointer = Y;
    if (held) {
        picSTRIP_MouseDown(Y);
    }
    ShowStripReadout();
}

// What the strip row under the pointer stands for; nothing while the strip is empty.
void frmMainView::ShowStripReadout() {
    if (picSTRIP->Empty()) {
        lblPOINTER->clear();
        return;
    }
    const auto [first, end] = picSTRIP->RowBytes(*mStripPointer);
    lblPOINTER->setText(StripReadout(picSTRIP->Shown(), first, end));
}

// Called again when the overview is complete; a call for work since replaced finds nothing.
void frmMainView::ShowStripOverview() {
    if (std::optional<core::Overview> overview =
            mOverviewWork ? mOverviewWork->Take() : std::nullopt) {
        picSTRIP->SetOverview(std::move(*overview));
        mOverviewWork.reset();
        if (mStripPointer) {
            ShowStripReadout();
        }
    }
}

// Called when the search for pictures has ended; a call for work since replaced finds nothing.
void frmMainView::ShowStripPictures() {
    std::optional<core::PictureWork::Regions> found =
        mPictureWork ? mPictureWork->Take() : std::nullopt;
    if (!found) {
        return;
    }
    mPictures = std::move(found);
    std::vector<core::ByteRange> marks;
    for (const core::PictureRegion& r : *mPictures) {
        marks.push_back({r.start, r.start + r.length});
    }
    picSTRIP->SetMarks(std::move(marks));
}

void frmMainView::picSTRIP_MouseLeave() {
    mStripPointer.reset();
    lblPOINTER->clear();
}

}  // namespace rastel
