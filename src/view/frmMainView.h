// The main window: loads a file, shows its picture in a scrolled viewport, exports and
// copies it.
#pragma once

#include <QMainWindow>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include "image/base/FileDescriptor.h"
#include "image/pixels/FormatDisplay.h"
#include "image/pixels/Layout.h"
#include "image/pixels/PixelDecoder.h"
#include "image/pixels/modBITMAPinfo.h"
#include "image/rules/InputFile.h"
#include "image/search/OverviewWork.h"
#include "image/search/PictureWork.h"
#include "image/shown/FileArrival.h"

class QAction;
class QDragMoveEvent;
class QDropEvent;
class QLabel;
class QMenu;
class QStatusBar;

namespace rastel {

namespace toolkit {
class DeferredTimer;
class ScrollBar;
}  // namespace toolkit

class ImageBox;
class OverviewStrip;
class ViewportBox;

// The file the deferred load takes: named on the command line, or dropped on the window.
inline QString gCommandLine;

class frmMainView : public QMainWindow {
    Q_OBJECT

  public:
    // Reads of more bytes than this show their progress; so do decodes of more pixel bytes
    // than kDecodeProgressBytes, once they have lasted a moment.
    static constexpr std::int64_t kReadProgressBytes = std::int64_t{64} << 20;
    static constexpr std::int64_t kDecodeProgressBytes = std::int64_t{32} << 20;

    explicit frmMainView(QWidget* parent = nullptr);
    ~frmMainView() override;

    // Reads the file at path and shows it after the settings dialog, with the caption and the
    // picture's commands; shows its own messages. However it ends short of done, the
    // settings, palette, bytes and picture stay as they were.
    core::Outcome LoadBinary(const QString& path);

    // KeyCode is a Qt::Key, Shift the modifier set (1 Shift, 2 Ctrl, 4 Alt). The wheel hook
    // turns each wheel turn into a call of its own.
    void picBASE_KeyDown(int KeyCode, int Shift);

    // The settings dialog: from the settings and palette given, the ones chosen with OK, or
    // nothing. Tests put their own in.
    using OptionsDialog = std::function<std::optional<modBITMAPinfo::ViewChoice>(
        QWidget* owner, const modBITMAPinfo::ViewChoice& start)>;
    void SetOptionsDialog(OptionsDialog dialog);
    // Called on the thread that takes each file's overview after each piece, for tests.
    void SetOverviewStep(core::OverviewWork::Step step) { mOverviewStep = std::move(step); }
    // Pictures whose pixel array would take this many bytes or more are decoded only where
    // they are shown: the row cache's size (or a quarter of a small machine's memory) unless
    // a test sets its own.
    void SetPictureBudget(std::int64_t bytes) { mPictureBudget = bytes; }
    // Seams for faults no test machine produces on demand: how the file's bytes are read
    // (::read by default), and the size from which a buffer for a file's bytes or pixels
    // counts as not to be had.
    void SetFileReader(core::FileReader reader) { mReadFile = std::move(reader); }
    void SetMemoryLimit(std::int64_t bytes) { mMemoryLimit = bytes; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void createControls();
    void createMenus();
    void wireEvents();

    // Life of the window
    void Form_Load();
    void Form_QueryUnload(bool& Cancel, bool userAsked);
    void Form_Resize();

    // Menus
    void fMnuFILEload_Click();
    void fMnuFILEsave_Click();
    void fMnuFILEclose_Click();
    void fMnuFILEexit_Click();
    void fMnuEDITcapture_Click();
    void fMnuEDIToption_Click();
    void fMnuVIEWstatus_Click(bool checked);
    void fMnuVIEWgoto_Click();
    void fMnuVIEWwidth_Click();
    void fMnuVIEWpictures_Click();
    // The pictures found that the user selected, written out alone into a folder.
    void ExtractPictures(QWidget* owner, const std::vector<core::PictureRegion>& regions);
    void fMnuVIEWstrip_Click(bool checked);
    void fMnuHELPabout_Click();

    // Drops and the deferred load
    void picBASE_OLEDragOver(QDragMoveEvent* event);
    void picPICT_OLEDragOver(QDragMoveEvent* event);
    void picBASE_OLEDragDrop(QDropEvent* event);
    void picPICT_OLEDragDrop(QDropEvent* event);
    void timDragDrop_Timer();

    // Scrolling
    void HscPicBASE_Change(int value);
    void HscPicBASE_Scroll(int value);
    void VscPicBASE_Change(int value);
    void VscPicBASE_Scroll(int value);
    void picPICT_Click();

    // The pointer readout
    void picBASE_MouseMove(int X, int Y);
    void picBASE_MouseLeave();
    void picPICT_Change();

    // The overview strip (frmMainViewStrip.cpp)
    void picSTRIP_MouseDown(int Y);
    void picSTRIP_MouseMove(int Y, bool held);
    void picSTRIP_MouseLeave();
    void ShowStripFrame();
    void ShowStripOverview();
    void ShowStripReadout();
    void ShowStripPictures();

    // The road of one file, in order (frmMainViewLoad.cpp)
    modBITMAPinfo::ViewSettings SettingsForFile(const std::string& name, std::int64_t size);
    std::optional<modBITMAPinfo::ViewChoice> ConfirmSettings(
        const modBITMAPinfo::ViewSettings& settings);
    core::Result<core::FileArrival> ReadWholeFile(const core::FileDescriptor& file,
                                                  std::int64_t size, const core::Layout& layout);
    void StartBackgroundWork(std::unique_ptr<core::OverviewWork> overview,
                             std::unique_ptr<core::PictureWork> search);
    void StopBackgroundWork();
    // grey: a gray16 picture's range when the read has measured it.
    core::Outcome Redraw(const modBITMAPinfo::ViewChoice& choice, modBITMAPinfo::SharedBytes bytes,
                         std::optional<core::Range16> grey = std::nullopt);
    core::Outcome RenderPicture(std::optional<core::Range16> grey = std::nullopt);
    core::Outcome DecodeWhole(std::int64_t offset);
    core::Outcome RenderFormat(const core::Layout& shown, std::optional<core::Range16> grey);
    std::optional<core::Range16> MeasureGrey(const core::FormatLayout& layout);
    void PlacePicture(std::int64_t width, std::int64_t height);
    void ShowPicture();
    void ShowCaption();

    void SetPictureMenus(bool enabled);
    // The layout of the picture shown.
    static core::Layout Shown() { return core::LayoutOf(modBITMAPinfo::gDib.settings); }
    // The shown picture's cell that holds byte b, or nothing where it does not show b.
    static std::optional<modBITMAPinfo::Cell> CellOfByte(std::int64_t b) {
        return core::CellOf(Shown(), b);
    }
    void ScrollToCell(const modBITMAPinfo::Cell& cell);
    int ScaleWidth() const;
    int ScaleHeight() const;

    // Controls
    QWidget* mClient = nullptr;
    ViewportBox* picBASE = nullptr;
    ImageBox* picPICT = nullptr;
    QLabel* picIcon = nullptr;
    toolkit::ScrollBar* HscPicBASE = nullptr;
    toolkit::ScrollBar* VscPicBASE = nullptr;
    toolkit::DeferredTimer* timDragDrop = nullptr;
    // Below the client area, so the layout never counts it.
    QStatusBar* sbrSTATUS = nullptr;
    QLabel* lblPOINTER = nullptr;
    // Right of the client area, so the layout never counts it either.
    OverviewStrip* picSTRIP = nullptr;

    QMenu* fMnuFILE = nullptr;
    QAction* fMnuFILEload = nullptr;
    QAction* fMnuFILEsave = nullptr;
    QAction* fMnuFILEsprit01 = nullptr;
    QAction* fMnuFILEclose = nullptr;
    QAction* fMnuFILEsprit02 = nullptr;
    QAction* fMnuFILEexit = nullptr;
    QMenu* fMnuEDIT = nullptr;
    QAction* fMnuEDITcapture = nullptr;
    QAction* fMnuEDITsprit1 = nullptr;
    QAction* fMnuEDITpaste = nullptr;
    QAction* fMnuEDIToption = nullptr;
    QMenu* fMnuVIEW = nullptr;
    QAction* fMnuVIEWstatus = nullptr;
    QAction* fMnuVIEWgoto = nullptr;
    QAction* fMnuVIEWwidth = nullptr;
    QAction* fMnuVIEWpictures = nullptr;
    QAction* fMnuVIEWstrip = nullptr;
    QMenu* fMnuHELP = nullptr;
    QAction* fMnuHELPabout = nullptr;

    // The file last chosen in the open dialog, which it proposes again.
    QString mDialogFileName;

    std::int16_t mMargin = 0;
    OptionsDialog mRunOptMenu;
    std::function<void(QWidget*)> mShowAbout;
    std::int64_t mPictureBudget;
    core::FileReader mReadFile;
    std::int64_t mMemoryLimit = std::numeric_limits<std::int64_t>::max();
    // Pixels per step of each scroll bar (see BarUnit).
    std::int64_t mUnitH = 1;
    std::int64_t mUnitV = 1;
    // The shown file's overview while it is being taken.
    std::unique_ptr<core::OverviewWork> mOverviewWork;
    core::OverviewWork::Step mOverviewStep;
    // The search for the pictures inside the shown file, started once its bytes are read.
    std::unique_ptr<core::PictureWork> mPictureWork;
    // What it found, once it has ended.
    std::optional<core::PictureWork::Regions> mPictures;
    // Where the pointer is in the viewport; nothing while it is elsewhere.
    std::optional<QPoint> mPointer;
    // The strip row under the pointer, while it is over the strip.
    std::optional<int> mStripPointer;
};

}  // namespace rastel
