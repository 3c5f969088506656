#include "toolkit/SmallDialog.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "toolkit/Fonts.h"

namespace rastel::toolkit {

OkCancel StackWithOkCancel(QDialog* dialog, std::initializer_list<QWidget*> controls) {
    auto* ok = new QPushButton(QStringLiteral("OK"), dialog);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), dialog);
    cancel->setObjectName(QStringLiteral("cmdCANCEL"));
    auto* buttons = new QDialogButtonBox(dialog);
    buttons->addButton(ok, QDialogButtonBox::AcceptRole);
    buttons->addButton(cancel, QDialogButtonBox::RejectRole);

    auto* stack = new QVBoxLayout(dialog);
    for (QWidget* control : controls) {
        stack->addWidget(control);
    }
    stack->addWidget(buttons);
    stack->setSizeConstraint(QLayout::SetFixedSize);
    return {ok, cancel};
}

void FitLineList(QListWidget* list) {
    constexpr int kLines = 8;
    list->setCurrentRow(0);
    list->setFont(MsGothic(9));
    list->setMinimumWidth(list->sizeHintForColumn(0) + 24);
    list->setFixedHeight(list->sizeHintForRow(0) * kLines + 2 * list->frameWidth() + 4);
}

}  // namespace rastel::toolkit
