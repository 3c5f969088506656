// ファイル(F): opening a file, writing the picture as a BMP or PNG file at its own size,
// clearing it, and leaving.
#include <cerrno>
#include <optional>

#include "image/BmpFile.h"
#include "image/PngFile.h"
#include "toolkit/Clipboard.h"
#include "toolkit/FileNames.h"
#include "toolkit/LongWork.h"
#include "toolkit/MessageBoxes.h"
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

// The progress dialog of one export, when it has one.
class ExportProgress {
  public:
    ExportProgress(QWidget* owner, std::int64_t total, bool shown) {
        if (shown) {
            mWork.emplace(owner, QStringLiteral("画像を書き出しています..."), total, false);
        }
    }
    bool Advance(std::int64_t done) {
        mCancelled = mCancelled || (mWork && !mWork->Advance(done));
        return !mCancelled;
    }
    bool cancelled() const { return mCancelled; }

  private:
    std::optional<toolkit::LongWork> mWork;
    bool mCancelled = false;
};

// Passes bytes on to a file and reports how far it got; Cancel makes the write fail, which
// abandons the file before it replaces anything. Large writes go in steps, so that a held
// pixel array shows its progress too.
class ProgressSink : public ByteSink {
  public:
    ProgressSink(ByteSink& target, ExportProgress& progress)
        : mTarget(target), mProgress(progress) {}
    bool Write(const void* data, std::size_t n) override {
        const auto* p = static_cast<const std::uint8_t*>(data);
        do {
            const std::size_t step = std::min<std::size_t>(n, kStep);
            if (!mTarget.Write(p, step)) {
                return false;
            }
            p += step;
            n -= step;
            mDone += static_cast<std::int64_t>(step);
            if (mDone - mReported >= kStep) {
                mReported = mDone;
                if (!mProgress.Advance(mDone)) {
                    return false;
                }
            }
        } while (n > 0);
        return true;
    }

  private:
    static constexpr std::int64_t kStep = std::int64_t{16} << 20;
    ByteSink& mTarget;
    ExportProgress& mProgress;
    std::int64_t mDone = 0;
    std::int64_t mReported = 0;
};

// Writes the picture to path: a PNG when the name ends in ".png", a BMP otherwise. A held
// picture is written from gDib, one shown from the file's bytes is decoded on the way.
// Nothing is reported when the user cancelled.
Outcome Export(const std::string& path, const PictureRows& rows, QWidget* owner) {
    const bool held = rows.FromRecord() || rows.Empty();
    const DecodeLayout& layout = rows.Layout();
    SpanSource source(rows.Data());
    AtomicFile file(path);
    bool written = false;
    bool cancelled = false;
    Outcome failure{EIO, "the picture could not be decoded"};
    if (NamesPng(path)) {
        PngJob job{.width = rows.Width(),
                   .height = rows.Height(),
                   .palette = &gDib.bmiColors,
                   .rows = held ? RecordRows(gDib) : DecodedRows(layout, source)};
        // Compressing is slow enough that any PNG gets the dialog, shown once it lasts.
        ExportProgress progress(owner, job.height, true);
        job.progress = [&progress](std::int64_t done, std::int64_t) {
            return progress.Advance(done);
        };
        written = WritePng(file, job);
        cancelled = progress.cancelled();
        failure = job.failure.ok() ? failure : job.failure;
    } else {
        const std::int64_t pixelBytes = held ? static_cast<std::int64_t>(gDib.bits.size())
                                             : layout.stride() * layout.height + 1;
        ExportProgress progress(owner, kBmpPixelOffset + pixelBytes,
                                !held || pixelBytes > kHeldProgressBytes);
        ProgressSink sink(file, progress);
        written =
            held ? WriteBmp(sink, gDib) : WriteBmpStreamed(sink, layout, gDib.bmiColors, source);
        cancelled = progress.cancelled();
    }
    if (written) {
        return file.Commit();
    }
    if (cancelled) {
        return {};
    }
    return file.result().ok() ? failure : file.result();
}

}  // namespace

void frmMainView::fMnuFILEsave_Click() {
    const PictureRows& rows = picPICT->Rows();
    const bool bmpFits = rows.FromRecord() || rows.Empty() ||
                         CheckBmpGeometry(rows.Width(), rows.Height()) == DecodeStatus::Ok;
    const bool pngFits = PngCanHold(rows.Width(), rows.Height());
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
    const Outcome result = Export(path, rows, this);
    if (!result.ok()) {
        toolkit::MsgBox(this, QStringLiteral("ファイルの書き込みに失敗しました"),
                        QStringLiteral("エラー (%1)").arg(result.error),
                        toolkit::MsgIcon::Critical);
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
    mOverviewWork.reset();
    gRawData = {};
    picSTRIP->Clear();
    Form_Resize();
    picPICT->update();
    SetPictureMenus(false);
    setWindowTitle(QStringLiteral("Rastel"));
}

}  // namespace rastel
