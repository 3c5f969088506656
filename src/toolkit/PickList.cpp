#include "toolkit/PickList.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "toolkit/Fonts.h"
#include "toolkit/SmallDialog.h"

namespace rastel::toolkit {

PickList::PickList(QWidget* owner, const Texts& texts, const QStringList& lines)
    : QDialog(owner, kFixedDialog) {
    setObjectName(texts.name);
    setWindowTitle(texts.title);
    setFont(DialogFont());

    lblLINE = new QLabel(texts.label, this);
    lblLINE->setObjectName(QStringLiteral("lbl") + texts.stem);
    lstLINE = new QListWidget(this);
    lstLINE->setObjectName(QStringLiteral("lst") + texts.stem);
    lblLINE->setBuddy(lstLINE);
    lstLINE->addItems(lines);
    lstLINE->setCurrentRow(0);
    // A fixed-pitch font lines the numbers up; as wide as the longest line, eight lines tall.
    constexpr int kLines = 8;
    lstLINE->setFont(MsGothic(9));
    lstLINE->setMinimumWidth(lstLINE->sizeHintForColumn(0) + 24);
    lstLINE->setFixedHeight(lstLINE->sizeHintForRow(0) * kLines + 2 * lstLINE->frameWidth() + 4);

    const OkCancel buttons = StackWithOkCancel(this, {lblLINE, lstLINE});
    cmdOK = buttons.ok;
    cmdCANCEL = buttons.cancel;
    mButtons = buttons.box;
    wireEvents();
    lstLINE->setFocus();
}

void PickList::wireEvents() {
    connect(cmdOK, &QPushButton::clicked, this, &PickList::cmdOK_Click);
    connect(cmdCANCEL, &QPushButton::clicked, this, &PickList::reject);
    connect(lstLINE, &QListWidget::itemDoubleClicked, this, &PickList::lstLINE_DblClick);
}

void PickList::cmdOK_Click() {
    const int row = lstLINE->currentRow();
    if (row < 0 || row >= lstLINE->count()) {
        return;
    }
    mChosenRow = row;
    accept();
}

void PickList::lstLINE_DblClick(QListWidgetItem*) {
    cmdOK_Click();
}

QPushButton* PickList::AddButton(const QString& text, const QString& name) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(name);
    button->setAutoDefault(false);
    mButtons->addButton(button, QDialogButtonBox::ActionRole);
    return button;
}

void PickList::AllowManyLines() {
    lstLINE->setSelectionMode(QAbstractItemView::ExtendedSelection);
}

std::vector<int> PickList::SelectedRows() const {
    std::vector<int> rows;
    for (int i = 0; i < lstLINE->count(); ++i) {
        if (lstLINE->item(i)->isSelected()) {
            rows.push_back(i);
        }
    }
    return rows;
}

}  // namespace rastel::toolkit
