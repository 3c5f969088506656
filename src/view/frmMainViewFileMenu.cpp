// ファイル(F): opening a file, writing the picture as a BMP or PNG file at its own size, in
// palette indices or in the colours of a direct format, clearing it, and leaving.
#include <optional>

#include "image/files/PictureFile.h"
#include "image/files/PngFile.h"
#include "image/pixels/PixelFormat.h"
#include "image/shown/RegionFile.h"
#include "toolkit/Clipboard.h"
#include "toolkit/FileNames.h"
#include "toolkit/LongWork.h"
#include "toolkit/MessageBoxes.h"
#include "view/FailureMessages.h"
#include "view/OverviewStrip.h"
#include "view/PictureBoxes.h"
#include "view/frmMainView.h"

namespace rastel {

namespace {

using namespace modBITMAPinfo;
using namespace core;

// A held picture this large is written as a BMP under the progress dialog, as one shown from
// the file's bytes always is.
constexpr std::int64_t kHeldProgressBytes = std::int64_t{64} << 20;

// Writes picture to path: a PNG when the name ends in ".png", a BMP otherwise. smallHeld: the
// picture is held whole in no more than kHeldProgressBytes.
Outcome Export(const std::string& path, const Picture& picture, bool smallHeld, QWidget* owner) {
    // Compressing is slow enough that any PNG gets the dialog, shown once it lasts; so does a
    // BMP decoded on its way, or held and large.
    std::optional<toolkit::LongWork> work;
    if (FormatOf(path) == FileFormat::kPng || !smallHeld) {
        work.emplace(owner, QStringLiteral("画像を書き出しています..."), picture.height(), false);
    }
    return WritePicture(path, picture, [&work](std::int64_t rowsDone, std::int64_t) {
        return !work || work->Advance(rowsDone);
    });
}

}  // namespace

void frmMainView::fMnuFILEsave_Click() {
    // A held picture is written from gDib; one shown from the file's bytes, indices or colours,
    // is decoded on the way; gray16 over the range the screen already measured.
    const PictureRows& rows = picPICT->Rows();
    const core::Layout shown = Shown();
    const bool held = shown.indexed() && (rows.FromRecord() || rows.Empty());
    SpanSource source(gRawData);
    const Picture picture =
        held ? Picture::Held(gDib)
             : Picture::Streamed(shown, gDib.bmiColors, source, rows.GreyRange());
    const bool bmpFits = held || picture.FitsIn(FileFormat::kBmp);
    const bool pngFits = picture.FitsIn(FileFormat::kPng);
    auto tooLarge = [this](const QString& kind) {
        toolkit::MsgBox(this,
                        QStringLiteral("画像が大きすぎるため%1ファイルに書き出せません").arg(kind),
                        toolkit::kAppTitle, toolkit::MsgIcon::Exclamation);
    };
    if (!bmpFits && !pngFits) {
        tooLarge({});
        return;
    }
    // The shown file's name, however it came: the open dialog keeps its own.
    toolkit::FileRequest request;
    request.save = true;
    request.filter = QStringLiteral("ビットマップファイル(*.bmp)|*.bmp|PNG ファイル(*.png)|*.png");
    request.fileName = toolkit::DecodeName(QByteArray::fromStdString(gDib.settings.gFileName)) +
                       QStringLiteral(".bmp");
    request.defaultExtension = QStringLiteral(".bmp");
    request.overwritePrompt = true;
    const std::optional<QString> chosen = toolkit::CurrentDialogs().File(this, request);
    if (!chosen) {
        return;
    }
    const std::string path = toolkit::EncodeName(*chosen).toStdString();
    if (!(NamesPng(path) ? pngFits : bmpFits)) {
        tooLarge(NamesPng(path) ? QStringLiteral("PNG") : QStringLiteral("BMP"));
        return;
    }
    const bool smallHeld =
        held && static_cast<std::int64_t>(gDib.bits.size()) <= kHeldProgressBytes;
    const Outcome result = Export(path, picture, smallHeld, this);
    ReportFailure(this, FailedStep::kWrite, result);  // a cancel needs no word
}

// Each picture as a PNG of its bytes alone, named as the renderer's --extract names it, under
// the export's progress dialog; the first that cannot be written is said and ends it.
void frmMainView::ExtractPictures(QWidget* owner, const std::vector<core::PictureRegion>& regions) {
    toolkit::FileRequest request;
    request.folder = true;
    const std::optional<QString> folder = toolkit::CurrentDialogs().File(owner, request);
    if (!folder) {
        return;
    }
    SpanSource source(gRawData);
    // One dialog for them all, a share of it each.
    constexpr std::int64_t kShare = 1000;
    toolkit::LongWork work(owner, QStringLiteral("画像を書き出しています..."),
                           std::ssize(regions) * kShare, false);
    const std::string into = toolkit::EncodeName(*folder).toStdString() + "/";
    for (std::int64_t i = 0; i < std::ssize(regions); ++i) {
        const core::PictureRegion& r = regions[static_cast<std::size_t>(i)];
        const Outcome result = core::WriteRegion(
            source, r, into + core::RegionFileName(r),
            [&work, i](std::int64_t rowsDone, std::int64_t rows) {
                return work.Advance(i * kShare +
                                    rowsDone * kShare / std::max<std::int64_t>(1, rows));
            });
        if (!result.ok()) {
            ReportFailure(owner, FailedStep::kWrite, result);
            return;
        }
    }
}

void frmMainView::fMnuFILEexit_Click() {
    close();
}

void frmMainView::fMnuFILEload_Click() {
    toolkit::FileRequest request;
    request.filter = QStringLiteral("すべてのファイル(*.*)|*.*");
    request.fileName = mDialogFileName;
    request.fileMustExist = true;
    const std::optional<QString> chosen = toolkit::CurrentDialogs().File(this, request);
    if (!chosen) {
        return;
    }
    mDialogFileName = *chosen;
    LoadBinary(*chosen);
}

void frmMainView::fMnuFILEclose_Click() {
    if (toolkit::MsgBox(this, QStringLiteral("画像を消去しメモリをクリアします"),
                        QStringLiteral("確認"), toolkit::MsgIcon::Question,
                        toolkit::MsgButtons::OkCancel,
                        toolkit::MsgResult::Cancel) != toolkit::MsgResult::Ok) {
        return;
    }
    modBITMAPinfo::ClearPicture(gDib);
    fMnuFILEclose->setEnabled(false);
    picPICT->ClearPicture();
    picPICT->SetSize(1, 1);
    picPICT->SetVisible(false);
    // The file's bytes go too: nothing can use them once the picture is gone.
    StopBackgroundWork();
    gRawData = {};
    Form_Resize();
    picPICT->update();
    SetPictureMenus(false);
    setWindowTitle(QStringLiteral("Rastel"));
}

}  // namespace rastel
