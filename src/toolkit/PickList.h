// The small dialog that asks for one line of a list: Enter, OK or a double click picks the
// line selected; Escape or キャンセル picks none.
#pragma once

#include <QDialog>
#include <QStringList>
#include <vector>

class QDialogButtonBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace rastel::toolkit {

class PickList : public QDialog {
    Q_OBJECT

  public:
    struct Texts {
        QString name;  // the dialog's objectName
        QString title;
        QString label;  // the caption above the list, its mnemonic going to the list
        QString stem;   // the label is "lbl" + stem, the list "lst" + stem
    };

    // lines must not be empty; the first is selected.
    PickList(QWidget* owner, const Texts& texts, const QStringList& lines);

    // Once accepted: the index of the line picked.
    int ChosenRow() const { return mChosenRow; }

  protected:
    // A button of the dialog's own beside OK and キャンセル; the caller wires it.
    QPushButton* AddButton(const QString& text, const QString& name);
    // Lets more than one line be selected (with Shift and Ctrl), for the dialog's own buttons;
    // OK still picks the current one.
    void AllowManyLines();
    // The lines selected, in the list's order.
    std::vector<int> SelectedRows() const;

  private:  // handlers
    void cmdOK_Click();
    void lstLINE_DblClick(QListWidgetItem* item);

  private:
    void wireEvents();

    QLabel* lblLINE = nullptr;
    QListWidget* lstLINE = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCANCEL = nullptr;
    QDialogButtonBox* mButtons = nullptr;

    int mChosenRow = -1;
};

}  // namespace rastel::toolkit
