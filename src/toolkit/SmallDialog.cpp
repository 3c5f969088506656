#include "toolkit/SmallDialog.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

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
    return {ok, cancel, buttons};
}

}  // namespace rastel::toolkit
