// 表示(V): the status bar, the overview strip, going to a byte, the widths the data suggests,
// and the pictures found inside the file.
#include <QCoreApplication>
#include <QLayout>
#include <QStatusBar>

#include "image/rules/FieldRules.h"
#include "image/search/WidthHints.h"
#include "image/shown/RegionFile.h"
#include "toolkit/LongWork.h"
#include "toolkit/MessageBoxes.h"
#include "view/OverviewStrip.h"
#include "view/frmGoTo.h"
#include "view/frmMainView.h"
#include "view/frmPictures.h"
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

namespace {

// Rows of width pixels of format, packed, in frames of frameHeight rows where it has planes (0:
// one frame), or of palette indices at the depth chosen when there is none; the height follows
// from the file's size.
void SetRows(modBITMAPinfo::ViewSettings& s, const core::PixelFormat* format, std::int64_t width,
             std::int64_t frameHeight = 0) {
    s.gPicWidth = width;
    s.gFormat = format;
    s.gStride = format != nullptr ? 0 : s.gStride;
    const bool planes = format != nullptr && format->family == core::FormatFamily::Planar;
    s.gFrameHeight = planes ? frameHeight : format != nullptr ? 0 : s.gFrameHeight;
    s.gPicHeight = core::RowsFor(core::LayoutOf(s), s.gFileSize, width);
}

// The pictures that can be gone to: those whose start an offset reaches.
std::vector<core::PictureRegion> Reachable(std::vector<core::PictureRegion> regions) {
    std::erase_if(regions,
                  [](const core::PictureRegion& r) { return r.start >= fieldRules::kOffsetLimit; });
    return regions;
}

}  // namespace

// The picked width is applied as the settings dialog's OK would: the height follows, and
// everything else stays. A line in a direct format applies that format too, its rows packed;
// a frame size of planes, its frame height as well.
void frmMainView::fMnuVIEWwidth_Click() {
    const auto& s = modBITMAPinfo::gDib.settings;
    const core::Layout shown = Shown();
    const core::PixelFormat* format = shown.format;
    core::SpanSource source(gRawData);
    const auto widths = core::SuggestWidths(source, shown);
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
    SetRows(next.settings, chosen.format, chosen.width, chosen.frameHeight);
    if (Redraw(next, gRawData).ok()) {
        Form_Resize();
    }
}

// The search runs behind the window from the moment the file is read; until it has ended, its
// progress shows, and a cancel leaves it running for the next time. The picture picked is
// shown from its first byte, in its format and width, from the top-left.
void frmMainView::fMnuVIEWpictures_Click() {
    if (!mPictures) {
        if (!mPictureWork) {
            return;
        }
        // The search tells of each hundredth done and of its end (ShowStripPictures), and a
        // Cancel wakes the wait as well.
        constexpr std::int64_t kSteps = 1000;
        toolkit::LongWork wait(this, QStringLiteral("画像を探しています..."), kSteps, false);
        while (true) {
            if (!wait.Advance(static_cast<std::int64_t>(mPictureWork->Progress() * kSteps))) {
                return;
            }
            if (mPictures) {
                break;
            }
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
    }
    const std::vector<core::PictureRegion> regions = Reachable(*mPictures);
    if (regions.empty()) {
        toolkit::MsgBox(this, QStringLiteral("ファイルの中に画像は見つかりませんでした"),
                        toolkit::kAppTitle, toolkit::MsgIcon::Information);
        return;
    }
    frmPictures dialog(this, regions,
                       [this](QWidget* owner, const std::vector<core::PictureRegion>& chosen) {
                           ExtractPictures(owner, chosen);
                       });
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const core::PictureRegion& chosen = dialog.Chosen();
    modBITMAPinfo::ViewChoice next = modBITMAPinfo::ChoiceOf(modBITMAPinfo::gDib);
    auto& n = next.settings;
    n.gUseOffset = true;
    n.gOffA = chosen.start;  // bytes in a direct format, and pixels of a byte at 256 colours
    if (chosen.format == nullptr) {
        // Its bytes as the search read them: in the order they are stored.
        n.gColBit = modBITMAPinfo::kDepth256;
        n.gArray256 = 0;
    }
    SetRows(n, chosen.format, chosen.width, core::FrameRowsOf(chosen));
    if (Redraw(next, gRawData).ok()) {
        Form_Resize();
        ScrollToCell({0, 0});
    }
}

}  // namespace rastel
