// The road of one file: from a path to the picture on screen, one function per step in the
// order they run, and the ways a path gets here besides the open dialog (a drop, and the
// deferred load that the command line uses too).
#include <fcntl.h>
#include <unistd.h>

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

#include "image/base/FileDescriptor.h"
#include "image/files/FormatFile.h"
#include "image/pixels/PixelDecoder.h"
#include "image/pixels/RecordGuard.h"
#include "image/search/OverviewWork.h"
#include "toolkit/DeferredTimer.h"
#include "toolkit/DoEvents.h"
#include "toolkit/ErrorReport.h"
#include "toolkit/FileNames.h"
#include "toolkit/FolderTest.h"
#include "toolkit/LongWork.h"
#include "toolkit/MessageBoxes.h"
#include "view/FailureMessages.h"
#include "view/OverviewStrip.h"
#include "view/PictureBoxes.h"
#include "view/frmMainView.h"

namespace rastel {

namespace {

using core::InputFile;
using core::Outcome;
using modBITMAPinfo::gDib;
using modBITMAPinfo::gRawData;
using modBITMAPinfo::RawBytes;
using modBITMAPinfo::SharedBytes;
using modBITMAPinfo::ViewChoice;
using modBITMAPinfo::ViewSettings;
using toolkit::MsgIcon;

std::string NativePath(const QString& path) {
    return toolkit::EncodeName(path).toStdString();
}

// The local files of a drag, in order; empty when it carries no file list.
QStringList DraggedFiles(const QMimeData* data) {
    QStringList files;
    if (data == nullptr || !data->hasUrls()) {
        return files;
    }
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) {
            return {};
        }
        // From the URL's own bytes: toLocalFile would turn those that are not UTF-8 into
        // replacement characters, naming a file that does not exist.
        files << (url.host().isEmpty() ? toolkit::DecodeName(QByteArray::fromPercentEncoding(
                                             url.path(QUrl::FullyEncoded).toLatin1()))
                                       : url.toLocalFile());
    }
    return files;
}

}  // namespace

core::Outcome frmMainView::LoadBinary(const QString& path) {
    const std::string name = NativePath(path);  // the name's own bytes, whatever their encoding
    // Opened once, and judged by what is open: the file checked is the file read. Non-blocking,
    // so that a FIFO cannot hold up the open. A file that cannot be opened is judged by its
    // name: one that is missing is reported as such; one that is there but may not be read is
    // refused by the read, after the settings dialog, as a read that fails.
    // Folders, empty files, files too large to hold and anything that is not a plain file (a
    // FIFO would block the read, a device never ends) are refused before anything changes. A
    // path the system cannot examine (it vanished, say) is a failure nobody planned for.
    const core::FileDescriptor file(::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    const InputFile input =
        file.valid() ? core::CheckInputFile(file.get()) : core::CheckInputFile(name);
    if (!input.result.ok()) {
        ReportFailure(this, FailedStep::kLoad, input.result, path);
        return input.result;
    }
    std::unique_ptr<core::OverviewWork> overview;
    std::unique_ptr<core::PictureWork> search;
    try {
        const std::optional<ViewChoice> chosen = ConfirmSettings(SettingsForFile(name, input.size));
        if (!chosen) {
            return Outcome::Cancelled();
        }
        core::Result<core::FileArrival> read =
            ReadWholeFile(file, input.size, core::LayoutOf(chosen->settings));
        if (!read) {
            ReportFailure(this, FailedStep::kLoad, read.outcome(), path);
            return read.outcome();
        }
        overview = std::move(read->overview);
        // Made before the picture is committed, so that no memory for it changes nothing.
        search = std::make_unique<core::PictureWork>(read->bytes);
        if (const Outcome drawn = Redraw(*chosen, SharedBytes(read->bytes), read->grey);
            !drawn.ok()) {
            return drawn;
        }
    } catch (const std::bad_alloc&) {
        // Anything else that could not get its memory on the way: nothing has changed.
        const Outcome failed = Outcome::OutOfMemory("loading the file");
        ReportFailure(this, FailedStep::kLoad, failed, path);
        return failed;
    }
    // The picture is committed: the load completes, whatever becomes of the work behind it.
    StartBackgroundWork(std::move(overview), std::move(search));
    ShowPicture();
    ShowCaption();
    SetPictureMenus(true);
    return {};
}

// The settings a new file gets, from the shown file's.
ViewSettings frmMainView::SettingsForFile(const std::string& name, std::int64_t size) {
    toolkit::DoEvents();
    ViewSettings s = gDib.settings;
    modBITMAPinfo::SetForNewFile(s, name, size);
    return s;
}

std::optional<ViewChoice> frmMainView::ConfirmSettings(const ViewSettings& settings) {
    ViewChoice start = modBITMAPinfo::ChoiceOf(gDib);
    start.settings = settings;
    return mRunOptMenu(this, start);
}

// All of the file or nothing: the bytes go to a new buffer that only replaces gRawData once
// every byte has arrived, as the file was when its size was taken. A large file is read under
// a progress dialog whose Cancel gives up the read. The caller says a failure.
core::Result<core::FileArrival> frmMainView::ReadWholeFile(const core::FileDescriptor& file,
                                                           std::int64_t size,
                                                           const core::Layout& layout) {
    std::unique_ptr<toolkit::LongWork> progress;
    if (size > kReadProgressBytes) {
        progress = std::make_unique<toolkit::LongWork>(
            this, QStringLiteral("ファイルを読み込んでいます..."), size, true);
    }
    return core::ReadFileWhole(
        file.get(),
        {.size = size,
         .layout = layout,
         .memoryLimit = mMemoryLimit,
         .progress =
             [&progress](std::int64_t done) { return !progress || progress->Advance(done); },
         .overviewDone =
             [this] {
                 QMetaObject::invokeMethod(this, &frmMainView::ShowStripOverview,
                                           Qt::QueuedConnection);
             },
         .overviewStep = mOverviewStep,
         .reader = mReadFile});
}

// Draws the picture choice gives of bytes in place of the shown one: the record holds them
// once it is drawn. When it cannot be drawn (said here) or its decode was cancelled, the
// settings, palette, bytes and picture are as they were.
Outcome frmMainView::Redraw(const ViewChoice& choice, SharedBytes bytes,
                            std::optional<core::Range16> grey) {
    modBITMAPinfo::RecordGuard guard(gDib, gRawData, choice, std::move(bytes));
    Outcome drawn = RenderPicture(grey);
    if (drawn.ok()) {
        guard.Keep();
    } else {
        ReportFailure(this, FailedStep::kDraw, drawn);
    }
    return drawn;
}

// The work behind the window on the file now shown takes over from the last file's: its
// overview, already under way, and the search for its pictures, started here. Work for which
// the system gives no thread is left out: the picture shows all the same, without its marks.
void frmMainView::StartBackgroundWork(std::unique_ptr<core::OverviewWork> overview,
                                      std::unique_ptr<core::PictureWork> search) {
    StopBackgroundWork();
    mOverviewWork = std::move(overview);
    ShowStripOverview();
    const core::Outcome started = search->Start(
        [this] {
            QMetaObject::invokeMethod(this, &frmMainView::ShowStripPictures, Qt::QueuedConnection);
        },
        [this] {
            // Only to wake the wait of 画像を探す, which reads the progress itself.
            QMetaObject::invokeMethod(
                this, [] {}, Qt::QueuedConnection);
        });
    if (started.ok()) {
        mPictureWork = std::move(search);
    }
}

// Stops the work on the shown file and lets go of what it found: for a close, a new file or
// the window's end.
void frmMainView::StopBackgroundWork() {
    mOverviewWork.reset();
    mPictureWork.reset();
    mPictures.reset();
    picSTRIP->Clear();
}

// Decodes gDib from gRawData and puts the picture into the image box at its magnified size.
// A picture whose pixels would not fit the memory budget, or a BMP header, is not decoded
// whole: the image box decodes the rows it shows from gRawData, and gDib gives up its pixels.
// Cancelled, or kBadSize when the settings give no picture; gDib and the image box then keep
// the previous picture.
Outcome frmMainView::RenderPicture(std::optional<core::Range16> grey) {
    const auto& s = gDib.settings;
    const core::Layout shown = Shown();
    if (!shown.indexed()) {
        return RenderFormat(shown, grey);
    }
    const std::int64_t offset = shown.offset;
    const modBITMAPinfo::DecodeLayout layout = shown.Indices();
    if (modBITMAPinfo::PixelsPerByte(s.gColBit) != 0 && (layout.width < 1 || layout.height < 1)) {
        return Outcome::Refused(Outcome::Why::kBadSize, EINVAL, "no pixels");
    }
    const bool describable = modBITMAPinfo::CheckBmpGeometry(layout.width, layout.height).ok();
    // A pixel array the memory cannot give is no failure, nor is a picture beyond the budget or
    // a BMP header: the rows in view are decoded on demand.
    Outcome held = Outcome::TooLarge("beyond the budget");
    if (describable && layout.stride() * layout.height < mPictureBudget) {
        held = layout.stride() * layout.height >= mMemoryLimit
                   ? Outcome::OutOfMemory("the picture's pixels")
                   : DecodeWhole(offset);
    }
    if (held.why == Outcome::Why::kCancelled) {
        return held;
    }
    const int magX = std::max(1, s.gMagX);
    const int magY = std::max(1, s.gMagY);
    PlacePicture(held.ok() ? gDib.bmiHeader.biWidth : layout.width,
                 held.ok() ? gDib.bmiHeader.biHeight : layout.height);
    if (held.ok()) {
        picPICT->DrawPicture(magX, magY);
    } else {
        std::vector<std::uint8_t>().swap(gDib.bits);
        if (describable) {
            modBITMAPinfo::FillHeader(gDib.bmiHeader, layout.width, layout.height);
        }
        picPICT->DrawBytes(shown, gRawData, {}, magX, magY);
    }
    return {};
}

// The whole decode, under a progress dialog that shows when it lasts more than a moment.
Outcome frmMainView::DecodeWhole(std::int64_t offset) {
    const auto& s = gDib.settings;
    std::unique_ptr<toolkit::LongWork> progress;
    if (modBITMAPinfo::RowStride(s.gPicWidth) * s.gPicHeight > kDecodeProgressBytes) {
        progress = std::make_unique<toolkit::LongWork>(
            this, QStringLiteral("画像を作成しています..."), s.gPicHeight, false);
    }
    return modBITMAPinfo::DecodePixels(gDib, gRawData, offset,
                                       [&progress](std::int64_t done, std::int64_t) {
                                           return !progress || progress->Advance(done);
                                       });
}

// A picture in a direct format is never held whole (a 1 GiB file in RGB is 358 million
// pixels): the image box decodes its colours where they are shown, from gRawData. Gray16
// needs the range of its values first, from the read or taken here.
Outcome frmMainView::RenderFormat(const core::Layout& shown, std::optional<core::Range16> grey) {
    const core::FormatLayout layout = shown.Colours();
    if (!core::Drawable(layout, static_cast<std::int64_t>(gRawData.size()))) {
        return Outcome::Refused(Outcome::Why::kBadSize, EINVAL, "no picture of the file");
    }
    if (!grey && layout.format->family == core::FormatFamily::Gray16) {
        grey = MeasureGrey(layout);
        if (!grey) {
            return Outcome::Cancelled();
        }
    }
    std::vector<std::uint8_t>().swap(gDib.bits);
    if (modBITMAPinfo::CheckBmpGeometry(layout.width, layout.height).ok()) {
        modBITMAPinfo::FillHeader(gDib.bmiHeader, layout.width, layout.height);
    }
    PlacePicture(layout.width, layout.height);
    picPICT->DrawBytes(shown, gRawData, grey.value_or(core::Range16{}),
                       std::max(1, gDib.settings.gMagX), std::max(1, gDib.settings.gMagY));
    return {};
}

// The image box at the margin, at the picture's size magnified as the settings say.
void frmMainView::PlacePicture(std::int64_t width, std::int64_t height) {
    picPICT->SetLeft(mMargin);
    picPICT->SetTop(mMargin);
    picPICT->SetSize(width * std::max(1, gDib.settings.gMagX),
                     height * std::max(1, gDib.settings.gMagY));
}

// A gray16 picture's smallest and largest value, a band of rows at a time, under the progress
// of a long decode; nothing when it was cancelled.
std::optional<core::Range16> frmMainView::MeasureGrey(const core::FormatLayout& layout) {
    std::unique_ptr<toolkit::LongWork> progress;
    if (layout.width * layout.format->bytes * layout.height > kDecodeProgressBytes) {
        progress = std::make_unique<toolkit::LongWork>(
            this, QStringLiteral("画像を作成しています..."), layout.height, false);
    }
    core::SpanSource source(gRawData);
    // Bands of a few megabytes: the dialog's steps let events run.
    constexpr std::int64_t kBand = std::int64_t{4} << 20;
    return core::MeasureGrey(
        layout, source,
        [&progress](std::int64_t done, std::int64_t) {
            return !progress || progress->Advance(done);
        },
        kBand);
}

void frmMainView::ShowPicture() {
    picPICT->SetVisible(true);
    Form_Resize();
}

void frmMainView::ShowCaption() {
    setWindowTitle(QStringLiteral("Rastel - ") + QString::fromStdString(gDib.settings.gFileName));
}

void frmMainView::picBASE_OLEDragOver(QDragMoveEvent* event) {
    const QStringList files = DraggedFiles(event->mimeData());
    if (files.isEmpty() || toolkit::FolderExists(files.constFirst())) {
        event->setDropAction(Qt::IgnoreAction);
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void frmMainView::picPICT_OLEDragOver(QDragMoveEvent* event) {
    picBASE_OLEDragOver(event);
}

// Only schedules the load: the dialog it opens must not hold up the program that dragged.
void frmMainView::picBASE_OLEDragDrop(QDropEvent* event) {
    const QStringList files = DraggedFiles(event->mimeData());
    if (files.isEmpty() || toolkit::FolderExists(files.constFirst())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    toolkit::DoEvents();
    gCommandLine = files.constFirst();
    timDragDrop->SetEnabled(true);
}

void frmMainView::picPICT_OLEDragDrop(QDropEvent* event) {
    picBASE_OLEDragDrop(event);
}

void frmMainView::timDragDrop_Timer() {
    LoadBinary(gCommandLine);
    timDragDrop->SetEnabled(false);
}

}  // namespace rastel
