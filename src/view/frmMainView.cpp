// The window itself: its controls and menus, the one place their events are connected, and
// what several of its handlers share. Which file holds which handlers: see the README.
#include "view/frmMainView.h"

#include <QAction>
#include <QCoreApplication>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

#include "about/Artwork.h"
#include "about/frmAbout2.h"
#include "settings/frmOptMenu.h"
#include "toolkit/DeferredTimer.h"
#include "toolkit/MessageBoxes.h"
#include "toolkit/ScrollBar.h"
#include "view/OverviewStrip.h"
#include "view/PictureBoxes.h"
#include "view/modAPIwheel.h"

namespace rastel {

namespace {

constexpr int kBarThickness = 17;

void ShowAboutWindow(QWidget* owner) {
    frmAbout2 about(owner);
    about.exec();
}

}  // namespace

frmMainView::frmMainView(QWidget* parent)
    : QMainWindow(parent),
      mRunOptMenu(RunOptMenu),
      mShowAbout(ShowAboutWindow),
      mPictureBudget(core::HoldBudget()) {
    setObjectName(QStringLiteral("frmMainView"));
    setWindowTitle(QStringLiteral("Rastel version x.xx"));
    createControls();
    createMenus();
    wireEvents();
    // The client area the layout measures is 380 x 315; the bars above and below and the
    // strip beside it add to it.
    resize(380 + OverviewStrip::kWidth,
           315 + menuBar()->sizeHint().height() + sbrSTATUS->sizeHint().height());
    Form_Load();
}

frmMainView::~frmMainView() {
    if (modAPIwheel::gHookedWnd == this) {
        modAPIwheel::UnhookWheel();
    }
}

void frmMainView::createControls() {
    // The client area and, right of it, the overview strip, which takes no room from it.
    auto* central = new QWidget(this);
    auto* row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    setCentralWidget(central);
    mClient = new QWidget(central);
    mClient->setObjectName(QStringLiteral("mClient"));
    row->addWidget(mClient, 1);
    picSTRIP = new OverviewStrip(central);
    picSTRIP->setObjectName(QStringLiteral("picSTRIP"));
    row->addWidget(picSTRIP);

    picBASE = new ViewportBox(mClient);
    picBASE->setObjectName(QStringLiteral("picBASE"));
    picPICT = new ImageBox(picBASE);
    picPICT->setObjectName(QStringLiteral("picPICT"));

    // The logo the about windows show; never shown here.
    picIcon = new QLabel(mClient);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->hide();
    picIcon->setPixmap(about::Logo());

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
    item(fMnuVIEW, fMnuVIEWpictures, "fMnuVIEWpictures", QStringLiteral("画像を探す(&P)"));
    item(fMnuVIEW, fMnuVIEWstrip, "fMnuVIEWstrip", QStringLiteral("全体図(&M)"));
    fMnuVIEWstrip->setCheckable(true);
    fMnuVIEWstrip->setChecked(true);

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
    connect(fMnuVIEWpictures, &QAction::triggered, this, &frmMainView::fMnuVIEWpictures_Click);
    connect(fMnuVIEWstrip, &QAction::toggled, this, &frmMainView::fMnuVIEWstrip_Click);
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
    connect(picSTRIP, &OverviewStrip::MouseDown, this, &frmMainView::picSTRIP_MouseDown);
    connect(picSTRIP, &OverviewStrip::MouseMove, this, &frmMainView::picSTRIP_MouseMove);
    connect(picSTRIP, &OverviewStrip::MouseLeave, this, &frmMainView::picSTRIP_MouseLeave);
    connect(HscPicBASE, &QScrollBar::valueChanged, this, &frmMainView::HscPicBASE_Change);
    connect(HscPicBASE, &QScrollBar::sliderMoved, this, &frmMainView::HscPicBASE_Scroll);
    connect(VscPicBASE, &QScrollBar::valueChanged, this, &frmMainView::VscPicBASE_Change);
    connect(VscPicBASE, &QScrollBar::sliderMoved, this, &frmMainView::VscPicBASE_Scroll);
    connect(timDragDrop, &toolkit::DeferredTimer::Timer, this, &frmMainView::timDragDrop_Timer);
}

void frmMainView::SetOptionsDialog(OptionsDialog dialog) {
    mRunOptMenu = std::move(dialog);
}

bool frmMainView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == mClient && event->type() == QEvent::Resize) {
        Form_Resize();
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMainView::SetPictureMenus(bool enabled) {
    fMnuEDIToption->setEnabled(enabled);
    fMnuEDITcapture->setEnabled(enabled);
    fMnuFILEclose->setEnabled(enabled);
    fMnuFILEsave->setEnabled(enabled);
    // The whole view menu, and each item too, so that no shortcut reaches past the menu.
    fMnuVIEW->setEnabled(enabled);
    for (QAction* action :
         {fMnuVIEWstatus, fMnuVIEWgoto, fMnuVIEWwidth, fMnuVIEWpictures, fMnuVIEWstrip}) {
        action->setEnabled(enabled);
    }
}

int frmMainView::ScaleWidth() const {
    return mClient->width();
}

int frmMainView::ScaleHeight() const {
    return mClient->height();
}

}  // namespace rastel
