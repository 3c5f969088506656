// The frame of the small dialogs that ask one thing: controls one under the other, with OK and
// キャンセル below them, at a fixed size.
#pragma once

#include <QDialog>
#include <initializer_list>

class QDialogButtonBox;
class QPushButton;

namespace rastel::toolkit {

// A fixed-size dialog with a title bar and a close box.
inline constexpr Qt::WindowFlags kFixedDialog = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint |
                                                Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                                Qt::WindowCloseButtonHint;

struct OkCancel {
    QPushButton* ok;        // "cmdOK", the default button
    QPushButton* cancel;    // "cmdCANCEL"
    QDialogButtonBox* box;  // that holds them: a dialog's own buttons go beside them
};

// Lays controls out in dialog one under the other, the two buttons below them, and fixes the
// dialog's size to fit. The caller wires the buttons.
OkCancel StackWithOkCancel(QDialog* dialog, std::initializer_list<QWidget*> controls);

}  // namespace rastel::toolkit
