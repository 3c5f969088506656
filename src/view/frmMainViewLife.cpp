// The window's life: its load, and its close, which the user confirms.
#include <QCloseEvent>
#include <QGuiApplication>

#include "toolkit/DeferredTimer.h"
#include "toolkit/DoEvents.h"
#include "toolkit/MessageBoxes.h"
#include "view/PictureBoxes.h"
#include "view/frmMainView.h"
#include "view/modAPIwheel.h"

namespace rastel {

void frmMainView::closeEvent(QCloseEvent* event) {
    bool cancel = false;
    Form_QueryUnload(cancel, !qApp->isSavingSession());
    event->setAccepted(!cancel);
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
    if (!gCommandLine.isEmpty()) {
        toolkit::DoEvents();
        // The load runs on the timer's tick, once the window is up; letting events run again
        // here could start it before the window is shown.
        timDragDrop->SetEnabled(true);
    }
    modAPIwheel::HookWheel(this, [this](int key, int shift) { picBASE_KeyDown(key, shift); });
}

void frmMainView::Form_QueryUnload(bool& Cancel, bool userAsked) {
    if (userAsked && toolkit::MsgBox(this, QStringLiteral("終了します"), QStringLiteral("確認"),
                                     toolkit::MsgIcon::Question, toolkit::MsgButtons::OkCancel,
                                     toolkit::MsgResult::Cancel) != toolkit::MsgResult::Ok) {
        Cancel = true;
        return;
    }
    StopBackgroundWork();
    modAPIwheel::UnhookWheel();
}

}  // namespace rastel
