// The window itself: controls, menus, events, and its load and close.
#include "view/frmMainView.h"

#include <unistd.h>

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

#include "image/WidthHints.h"
#include "settings/FieldRules.h"
#include "settings/frmOptMenu.h"
#include "startup/modSTARTUP.h"
#include "toolkit/DeferredTimer.h"
#include "toolkit/DoEvents.h"
#include "toolkit/MessageBoxes.h"
#include "toolkit/ScrollBar.h"
#include "view/PictureBoxes.h"
#include "view/PointerReadout.h"
#include "view/frmGoTo.h"
#include "view/frmWidthHints.h"
#include "view/modAPIwheel.h"

#ifdef RASTEL_HAVE_ABOUT
#include "about/Artwork.h"
#include "about/frmAbout2.h"
#endif

namespace rastel {

namespace {

constexpr int kBarThickness = 17;

// Pictures are held whole up to the size of the row cache: no more memory than the cache
// would take, and the export writes them as held. A larger bitmap costs decoding time and
// memory that the view, which shows one screen of it, never uses. On a small machine a
// quarter of its memory is the bound: the file's bytes and the system need room too.
std::int64_t DefaultPictureBudget() {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGE_SIZE);
    const std::int64_t hold = modBITMAPinfo::PictureRows::kDefaultCacheBytes;
    if (pages <= 0 || pageSize <= 0) {
        return hold;
    }
    return std::min(hold, std::int64_t{pages} * pageSize / 4);
}

void ShowAboutWindow([[maybe_unused]] QWidget* owner) {
#ifdef RASTEL_HAVE_ABOUT
    frmAbout2 about(owner);
    about.exec();
#endif
}

}  // namespace

frmMainView::frmMainView(QWidget* parent)
    : QMainWindow(parent),
      mRunOptMenu(RunOptMenu),
      mShowAbout(ShowAboutWindow),
      mPictureBudget(DefaultPictureBudget()) {
    setObjectName(QStringLiteral("frmMainView"));
    setWindowTitle(QStringLiteral("Rastel version x.xx"));
    createControls();
    createMenus();
    wireEvents();
    // The client area the layout measures is 380 x 315; the bars above and below add to it.
    resize(380, 315 + menuBar()->sizeHint().height() + sbrSTATUS->sizeHint().height());
    Form_Load();
}

frmMainView::~frmMainView() {
    if (modAPIwheel::gHookedWnd == this) {
        modAPIwheel::UnhookWheel();
    }
}

void frmMainView::createControls() {
    mClient = new QWidget(this);
    mClient->setObjectName(QStringLiteral("mClient"));
    setCentralWidget(mClient);

    picBASE = new ViewportBox(mClient);
    picBASE->setObjectName(QStringLiteral("picBASE"));
    picPICT = new ImageBox(picBASE);
    picPICT->setObjectName(QStringLiteral("picPICT"));

    // The logo the about windows show; never shown here.
    picIcon = new QLabel(mClient);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->hide();
#ifdef RASTEL_HAVE_ABOUT
    picIcon->setPixmap(about::Logo());
#endif

    HscPicBASE = new toolkit::ScrollBar(Qt::Horizontal, mClient);
    HscPicBASE->setObjectName(QStringLiteral("HscPicBASE"));
    HscPicBASE->setSingleStep(1);
    HscPicBASE->setPageStep(10);
    HscPicBASE->setFocusPolicy(Qt::NoFocus);
    HscPicBASE->resize(100, kBarThickness);

    VscPicBASE = new toolkit::ScrollBar(Qt::Vertical, mClient);
    VscPicBASE->setObjectName(QStringLiteral("VscPicBASE"));
    VscPicBASE->setSingleStep(1);
    VscPicBASE->setPageStep(20);
    VscPicBASE->setFocusPolicy(Qt::NoFocus);
    VscPicBASE->resize(kBarThickness, 100);

    timDragDrop = new toolkit::DeferredTimer(this, 1);
    timDragDrop->setObjectName(QStringLiteral("timDragDrop"));

    sbrSTATUS = statusBar();
    sbrSTATUS->setObjectName(QStringLiteral("sbrSTATUS"));
    lblPOINTER = new QLabel(sbrSTATUS);
    lblPOINTER->setObjectName(QStringLiteral("lblPOINTER"));
    lblPOINTER->setMinimumHeight(lblPOINTER->fontMetrics().height());
    sbrSTATUS->addWidget(lblPOINTER, 1);
}

void frmMainView::createMenus() {
    auto item = [this](QMenu* menu, QAction*& action, const char* name, const QString& caption,
                       const QKeySequence& shortcut = {}) {
        action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(shortcut);
    };
    auto separator = [](QMenu* menu, QAction*& action, const char* name) {
        action = menu->addSeparator();
        action->setObjectName(QLatin1String(name));
    };

    fMnuFILE = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    fMnuFILE->setObjectName(QStringLiteral("fMnuFILE"));
    item(fMnuFILE, fMnuFILEload, "fMnuFILEload", QStringLiteral("バイナリ読み込み(&L)..."),
         QKeySequence(Qt::CTRL | Qt::Key_L));
    item(fMnuFILE, fMnuFILEsave, "fMnuFILEsave", QStringLiteral("画像書き出し(&S)..."),
         QKeySequence(Qt::CTRL | Qt::Key_S));
    separator(fMnuFILE, fMnuFILEsprit01, "fMnuFILEsprit01");
    item(fMnuFILE, fMnuFILEclose, "fMnuFILEclose", QStringLiteral("メモリクリア(&C)"),
         QKeySequence(Qt::CTRL | Qt::Key_Q));
    separator(fMnuFILE, fMnuFILEsprit02, "fMnuFILEsprit02");
    item(fMnuFILE, fMnuFILEexit, "fMnuFILEexit", QStringLiteral("終了(&X)"),
         QKeySequence(Qt::CTRL | Qt::Key_F4));

    fMnuEDIT = menuBar()->addMenu(QStringLiteral("編集(&E)"));
    fMnuEDIT->setObjectName(QStringLiteral("fMnuEDIT"));
    item(fMnuEDIT, fMnuEDITcapture, "fMnuEDITcapture", QStringLiteral("キャプチャ(&C)"),
         QKeySequence(Qt::CTRL | Qt::Key_C));
    separator(fMnuEDIT, fMnuEDITsprit1, "fMnuEDITsprit1");
    // Nothing is bound to paste.
    item(fMnuEDIT, fMnuEDITpaste, "fMnuEDITpaste", QStringLiteral("貼り付け(&P)"),
         QKeySequence(Qt::CTRL | Qt::Key_V));

    fMnuEDIToption = menuBar()->addAction(QStringLiteral("オプション(&O)"));
    fMnuEDIToption->setObjectName(QStringLiteral("fMnuEDIToption"));

    fMnuVIEW = menuBar()->addMenu(QStringLiteral("表示(&V)"));
    fMnuVIEW->setObjectName(QStringLiteral("fMnuVIEW"));
    item(fMnuVIEW, fMnuVIEWstatus, "fMnuVIEWstatus", QStringLiteral("ステータスバー(&S)"));
    fMnuVIEWstatus->setCheckable(true);
    fMnuVIEWstatus->setChecked(true);
    item(fMnuVIEW, fMnuVIEWgoto, "fMnuVIEWgoto", QStringLiteral("指定位置へ移動(&G)..."),
         QKeySequence(Qt::CTRL | Qt::Key_G));
    item(fMnuVIEW, fMnuVIEWwidth, "fMnuVIEWwidth", QStringLiteral("幅の候補(&W)..."));

    fMnuHELP = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    fMnuHELP->setObjectName(QStringLiteral("fMnuHELP"));
    item(fMnuHELP, fMnuHELPabout, "fMnuHELPabout", QStringLiteral("Rastelについて....(&A)"));
}

void frmMainView::wireEvents() {
    mClient->installEventFilter(this);  // its resizes run the layout
    connect(fMnuFILEload, &QAction::triggered, this, &frmMainView::fMnuFILEload_Click);
    connect(fMnuFILEsave, &QAction::triggered, this, &frmMainView::fMnuFILEsave_Click);
    connect(fMnuFILEclose, &QAction::triggered, this, &frmMainView::fMnuFILEclose_Click);
    connect(fMnuFILEexit, &QAction::triggered, this, &frmMainView::fMnuFILEexit_Click);
    connect(fMnuEDITcapture, &QAction::triggered, this, &frmMainView::fMnuEDITcapture_Click);
    connect(fMnuEDIToption, &QAction::triggered, this, &frmMainView::fMnuEDIToption_Click);
    connect(fMnuVIEWstatus, &QAction::toggled, this, &frmMainView::fMnuVIEWstatus_Click);
    connect(fMnuVIEWgoto, &QAction::triggered, this, &frmMainView::fMnuVIEWgoto_Click);
    connect(fMnuVIEWwidth, &QAction::triggered, this, &frmMainView::fMnuVIEWwidth_Click);
    connect(fMnuHELPabout, &QAction::triggered, this, &frmMainView::fMnuHELPabout_Click);
    connect(picBASE, &ViewportBox::KeyDown, this, &frmMainView::picBASE_KeyDown);
    connect(picBASE, &ViewportBox::OLEDragOver, this, &frmMainView::picBASE_OLEDragOver);
    connect(picBASE, &ViewportBox::OLEDragDrop, this, &frmMainView::picBASE_OLEDragDrop);
    connect(picBASE, &ViewportBox::MouseMove, this, &frmMainView::picBASE_MouseMove);
    connect(picBASE, &ViewportBox::MouseLeave, this, &frmMainView::picBASE_MouseLeave);
    connect(picPICT, &ImageBox::Change, this, &frmMainView::picPICT_Change);
    connect(picPICT, &ImageBox::OLEDragOver, this, &frmMainView::picPICT_OLEDragOver);
    connect(picPICT, &ImageBox::OLEDragDrop, this, &frmMainView::picPICT_OLEDragDrop);
    connect(picPICT, &ImageBox::Click, this, &frmMainView::picPICT_Click);
    connect(HscPicBASE, &QScrollBar::valueChanged, this, &frmMainView::HscPicBASE_Change);
    connect(HscPicBASE, &QScrollBar::sliderMoved, this, &frmMainView::HscPicBASE_Scroll);
    connect(VscPicBASE, &QScrollBar::valueChanged, this, &frmMainView::VscPicBASE_Change);
    connect(VscPicBASE, &QScrollBar::sliderMoved, this, &frmMainView::VscPicBASE_Scroll);
    connect(timDragDrop, &toolkit::DeferredTimer::Timer, this, &frmMainView::timDragDrop_Timer);
}

void frmMainView::SetOptionsDialog(std::function<bool(QWidget*)> dialog) {
    mRunOptMenu = std::move(dialog);
}

void frmMainView::SetAboutWindow(std::function<void(QWidget*)> window) {
    mShowAbout = std::move(window);
}

void frmMainView::closeEvent(QCloseEvent* event) {
    bool cancel = false;
    Form_QueryUnload(cancel, !qApp->isSavingSession());
    event->setAccepted(!cancel);
}

bool frmMainView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == mClient && event->type() == QEvent::Resize) {
        Form_Resize();
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMainView::Form_Load() {
    mMargin = 2;
    picPICT->SetLeft(mMargin);
    picPICT->SetTop(mMargin);
    picPICT->ClearPicture();
    picPICT->SetSize(1, 1);
    picPICT->SetVisible(false);
    Form_Resize();
    SetPictureMenus(false);
    if (!modSTARTUP::gCommandLine.isEmpty()) {
        DoEvents();
        // The load runs on the timer's tick, once the window is up; letting events run again
        // here could start it before the window is shown.
        timDragDrop->SetEnabled(true);
    }
    modAPIwheel::HookWheel(this);
}

void frmMainView::Form_QueryUnload(bool& Cancel, bool userAsked) {
    if (userAsked && toolkit::MsgBox(this, QStringLiteral("終了します"), QStringLiteral("確認"),
                                     toolkit::MsgIcon::Question, toolkit::MsgButtons::OkCancel,
                                     toolkit::MsgResult::Cancel) != toolkit::MsgResult::Ok) {
        Cancel = true;
        return;
    }
    modAPIwheel::UnhookWheel();
}

void frmMainView::fMnuFILEexit_Click() {
    close();
}

void frmMainView::fMnuHELPabout_Click() {
    mShowAbout(this);
}

void frmMainView::SetPictureMenus(bool enabled) {
    fMnuEDIToption->setEnabled(enabled);
    fMnuEDITcapture->setEnabled(enabled);
    fMnuFILEclose->setEnabled(enabled);
    fMnuFILEsave->setEnabled(enabled);
    // The whole view menu, and each item too, so that no shortcut reaches past the menu.
    fMnuVIEW->setEnabled(enabled);
    for (QAction* action : {fMnuVIEWstatus, fMnuVIEWgoto, fMnuVIEWwidth}) {
        action->setEnabled(enabled);
    }
}

void frmMainView::fMnuVIEWstatus_Click(bool checked) {
    sbrSTATUS->setVisible(checked);
}

void frmMainView::fMnuVIEWgoto_Click() {
    frmGoTo dialog(this, static_cast<std::int64_t>(gRawData.size()), PictureLayout());
    if (dialog.exec() == QDialog::Accepted) {
        ScrollToCell(dialog.Target());
    }
}

// The picked width is applied as the settings dialog's OK would: the height follows, and
// everything else stays.
void frmMainView::fMnuVIEWwidth_Click() {
    auto& s = modBITMAPinfo::gDib.settings;
    modBITMAPinfo::SpanSource source(gRawData);
    const auto widths =
        modBITMAPinfo::SuggestWidths(source, s.gColBit, modBITMAPinfo::CurrentOrder(s));
    if (!widths || widths->empty()) {
        toolkit::MsgBox(this, QStringLiteral("データから幅の候補が見つかりませんでした"),
                        toolkit::kAppTitle, toolkit::MsgIcon::Information);
        return;
    }
    frmWidthHints dialog(this, *widths, s.gPicWidth);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const SavedLook before = SaveLook();
    s.gPicWidth = dialog.Chosen();
    s.gPicHeight =
        fieldRules::HeightForWidth(fieldRules::PixelCount(s.gFileSize, s.gColBit), s.gPicWidth);
    RedrawOrRestore(before);
}

void frmMainView::picBASE_MouseMove(int X, int Y) {
    mPointer = QPoint(X, Y);
    picPICT_Change();
}

void frmMainView::picBASE_MouseLeave() {
    mPointer.reset();
    picPICT_Change();
}

// The readout follows the pointer, and the picture when it moves or changes under it.
void frmMainView::picPICT_Change() {
    const std::int64_t x = mPointer ? mPointer->x() - picPICT->Left() : -1;
    const std::int64_t y = mPointer ? mPointer->y() - picPICT->Top() : -1;
    if (!picPICT->HasPicture() || !picPICT->Visible() || x < 0 || y < 0 || x >= picPICT->Width() ||
        y >= picPICT->Height()) {
        lblPOINTER->clear();
        return;
    }
    lblPOINTER->setText(
        PointerReadout(PictureLayout(), gRawData, x / picPICT->MagX(), y / picPICT->MagY()));
}

modBITMAPinfo::DecodeLayout frmMainView::PictureLayout() {
    const auto& s = modBITMAPinfo::gDib.settings;
    return modBITMAPinfo::DecodeLayout::From(s, s.gUseOffset ? s.gOffA : 0);
}

void frmMainView::DoEvents() {
    QCoreApplication::processEvents();
}

int frmMainView::ScaleWidth() const {
    return mClient->width();
}

int frmMainView::ScaleHeight() const {
    return mClient->height();
}

}  // namespace rastel
