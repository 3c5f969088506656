// The viewport's own events: placing it and the scroll bars, moving the picture with the
// bars, the keys and the wheel, and the pointer readout that follows the pointer over it.
#include <QLabel>
#include <algorithm>
#include <climits>

#include "toolkit/ScrollBar.h"
#include "view/PictureBoxes.h"
#include "view/PointerReadout.h"
#include "view/frmMainView.h"

namespace rastel {

namespace {

int Clamp32(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, INT_MIN, INT_MAX));
}

int Thickness(const QWidget* bar, bool vertical) {
    if (bar->isHidden()) {
        return 0;
    }
    return vertical ? bar->width() : bar->height();
}

// Pixels per scroll-bar step: 1 unless the range would not fit the bar's int, as for a
// picture of billions of rows, which then moves in coarser steps but stays reachable.
std::int64_t BarUnit(std::int64_t range) {
    constexpr std::int64_t kMaxRange = INT_MAX / 2;
    return range <= kMaxRange ? 1 : (range + kMaxRange - 1) / kMaxRange;
}

// One step towards the minimum, stopping on it.
void StepBack(toolkit::ScrollBar& bar, std::int64_t step) {
    const std::int64_t pos = bar.value();
    bar.setValue(pos - step > bar.Min() ? static_cast<int>(pos - step) : bar.Min());
}

void StepForward(toolkit::ScrollBar& bar, std::int64_t step) {
    const std::int64_t pos = bar.value();
    bar.setValue(pos + step < bar.Max() ? static_cast<int>(pos + step) : bar.Max());
}

// Scrolls a visible bar so that the picture's edge lies offset pixels beyond the viewport's,
// or as near as its range allows; a step of several pixels stops short rather than beyond.
void ScrollTo(toolkit::ScrollBar& bar, std::int64_t offset, std::int64_t unit) {
    if (!bar.isHidden()) {
        bar.setValue(static_cast<int>(std::clamp<std::int64_t>(
            offset / unit, std::min(bar.Min(), bar.Max()), std::max(bar.Min(), bar.Max()))));
    }
}

}  // namespace

// One pass; the horizontal bar looks at the vertical bar's visibility from before.
void frmMainView::Form_Resize() {
    if (isMinimized()) {
        return;
    }
    const std::int64_t m = mMargin;
    const int sw = ScaleWidth();
    const int sh = ScaleHeight();
    HscPicBASE->setVisible(Thickness(VscPicBASE, true) + 3 * m + picPICT->Width() >= sw);
    VscPicBASE->setVisible(Thickness(HscPicBASE, false) + 3 * m + picPICT->Height() >= sh);
    if (sw - Thickness(VscPicBASE, true) > 0) {
        picBASE->resize(sw - Thickness(VscPicBASE, true), picBASE->height());
    }
    if (sh - Thickness(HscPicBASE, false) > 0) {
        picBASE->resize(picBASE->width(), sh - Thickness(HscPicBASE, false));
    }
    const QRect vp = picBASE->geometry();

    HscPicBASE->setGeometry(vp.left(), vp.top() + vp.height(), vp.width(), HscPicBASE->height());
    const std::int64_t maxH = 3 * m + picPICT->Width() - vp.width();
    mUnitH = BarUnit(maxH);
    HscPicBASE->SetMin(Clamp32(-m / mUnitH));
    HscPicBASE->SetMax(Clamp32((maxH + mUnitH - 1) / mUnitH));
    HscPicBASE->setEnabled(4 * m + picPICT->Width() > vp.width());

    VscPicBASE->setGeometry(vp.left() + vp.width(), vp.top(), VscPicBASE->width(), vp.height());
    const std::int64_t maxV = 3 * m + picPICT->Height() - vp.height();
    mUnitV = BarUnit(maxV);
    VscPicBASE->SetMin(Clamp32(-m / mUnitV));
    VscPicBASE->SetMax(Clamp32((maxV + mUnitV - 1) / mUnitV));
    VscPicBASE->setEnabled(4 * m + picPICT->Height() > vp.height());

    picPICT->Place();
}

void frmMainView::HscPicBASE_Change(int value) {
    picPICT->SetLeft(-value * mUnitH);
}

void frmMainView::HscPicBASE_Scroll(int value) {
    picPICT->SetLeft(-value * mUnitH);
}

void frmMainView::VscPicBASE_Change(int value) {
    picPICT->SetTop(-value * mUnitV);
}

void frmMainView::VscPicBASE_Scroll(int value) {
    picPICT->SetTop(-value * mUnitV);
}

void frmMainView::picPICT_Click() {
    picBASE->setFocus();
}

void frmMainView::picBASE_KeyDown(int KeyCode, int Shift) {
    std::int64_t step = (Shift & 1) ? 5 : 1;
    if (Shift & 2) {
        // The vertical bar's large change, for both directions.
        step *= VscPicBASE->pageStep();
    }
    if (Shift & 4) {
        step = (step * 3) * (step * 3);
    }
    switch (KeyCode) {
        case Qt::Key_Up:
            if (!VscPicBASE->isHidden()) {
                StepBack(*VscPicBASE, step);
            }
            break;
        case Qt::Key_Down:
            if (!VscPicBASE->isHidden()) {
                StepForward(*VscPicBASE, step);
            }
            break;
        case Qt::Key_Left:
            if (!HscPicBASE->isHidden()) {
                StepBack(*HscPicBASE, step);
            }
            break;
        case Qt::Key_Right:
            if (!HscPicBASE->isHidden()) {
                StepForward(*HscPicBASE, step);
            }
            break;
        case Qt::Key_Home:
            VscPicBASE->setValue(VscPicBASE->Min());
            break;
        case Qt::Key_End:
            VscPicBASE->setValue(VscPicBASE->Max());
            break;
        default:
            break;
    }
}

void frmMainView::ScrollToCell(const modBITMAPinfo::Cell& cell) {
    ScrollTo(*HscPicBASE, cell.x * picPICT->MagX(), mUnitH);
    ScrollTo(*VscPicBASE, cell.y * picPICT->MagY(), mUnitV);
}

void frmMainView::picBASE_MouseMove(int X, int Y) {
    mPointer = QPoint(X, Y);
    picPICT_Change();
}

void frmMainView::picBASE_MouseLeave() {
    mPointer.reset();
    picPICT_Change();
}

// The readout follows the pointer, and the picture when it moves or changes under it; so does
// the strip's frame.
void frmMainView::picPICT_Change() {
    ShowStripFrame();
    if (mStripPointer) {
        ShowStripReadout();  // the pointer is over the strip, which the picture does not change
        return;
    }
    const std::int64_t x = mPointer ? mPointer->x() - picPICT->Left() : -1;
    const std::int64_t y = mPointer ? mPointer->y() - picPICT->Top() : -1;
    if (!picPICT->HasPicture() || !picPICT->Visible() || x < 0 || y < 0 || x >= picPICT->Width() ||
        y >= picPICT->Height()) {
        lblPOINTER->clear();
        return;
    }
    const std::int64_t px = x / picPICT->MagX();
    const std::int64_t py = y / picPICT->MagY();
    lblPOINTER->setText(PointerReadout(Shown(), modBITMAPinfo::gRawData, px, py));
}

}  // namespace rastel
