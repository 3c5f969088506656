// The picture leaves the program: as a BMP file at its own size, or as drawn on the clipboard.
#include <cerrno>
#include <memory>

#include "image/BmpFile.h"
#include "toolkit/Clipboard.h"
#include "toolkit/FileNames.h"
#include "toolkit/LongWork.h"
#include "toolkit/MessageBoxes.h"
#include "view/PictureBoxes.h"
#include "view/frmMainView.h"

namespace rastel {

namespace {

using namespace modBITMAPinfo;

// Passes bytes on to a file and reports how far it got; Cancel makes the next write fail,
// which abandons the file before it replaces anything.
class ProgressSink : public ByteSink {
  public:
    ProgressSink(ByteSink& target, QWidget* owner, std::int64_t total)
        : target_(target),
          work_(owner, QStringLiteral("画像を書き出しています..."), total, false) {}
    bool Write(const void* data, std::size_t n) override {
        done_ += static_cast<std::int64_t>(n);
        if (done_ - reported_ >= kStep) {
            reported_ = done_;
            if (!work_.Advance(done_)) {
                cancelled_ = true;
            }
        }
        return !cancelled_ && target_.Write(data, n);
    }
    bool cancelled() const { return cancelled_; }

  private:
    static constexpr std::int64_t kStep = std::int64_t{16} << 20;
    ByteSink& target_;
    toolkit::LongWork work_;
    std::int64_t done_ = 0;
    std::int64_t reported_ = 0;
    bool cancelled_ = false;
};

// The picture that is only decoded where it is shown goes to the file a few rows at a time.
// Nothing is reported when the user cancelled.
WriteResult SaveStreamed(const std::string& path, const PictureRows& rows, QWidget* owner) {
    const DecodeLayout& layout = rows.Layout();
    AtomicFile file(path);
    ProgressSink sink(file, owner, kBmpPixelOffset + layout.stride() * layout.height + 1);
    SpanSource source(rows.Data());
    if (!WriteBmpStreamed(sink, layout, gDib.bmiColors, source)) {
        if (sink.cancelled()) {
            return {};
        }
        if (file.result().ok()) {
            return {EIO, "the picture could not be decoded"};
        }
        return file.result();
    }
    return file.Commit();
}

}  // namespace

void frmMainView::fMnuFILEsave_Click() {
    const PictureRows& rows = picPICT->Rows();
    if (!rows.FromRecord() &&
        CheckBmpGeometry(rows.Layout().width, rows.Layout().height) != DecodeStatus::Ok) {
        toolkit::MsgBox(this, QStringLiteral("画像が大きすぎるためBMPファイルに書き出せません"),
                        toolkit::kAppTitle, toolkit::MsgIcon::Exclamation);
        return;
    }
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
        const std::string path = toolkit::EncodeName(*chosen).toStdString();
        const WriteResult result = rows.FromRecord() || rows.Empty()
                                       ? SaveBmp(path, gDib)
                                       : SaveStreamed(path, rows, this);
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
