#include "toolkit/MessageBoxes.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

namespace rastel::toolkit {

namespace {

Dialogs* gInstalled = nullptr;

QMessageBox::Icon QtIcon(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::Critical:
            return QMessageBox::Critical;
        case MsgIcon::Question:
            return QMessageBox::Question;
        case MsgIcon::Exclamation:
            return QMessageBox::Warning;
        case MsgIcon::Information:
            return QMessageBox::Information;
        case MsgIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

MsgResult QtDialogs::Message(QWidget* owner, const MessageRequest& request) {
    QMessageBox box(QtIcon(request.icon), request.title.isEmpty() ? kAppTitle : request.title,
                    request.text, QMessageBox::Ok, owner);
    if (request.buttons == MsgButtons::OkCancel) {
        box.addButton(QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
    }
    box.setDefaultButton(request.defaultButton == MsgResult::Cancel &&
                                 request.buttons == MsgButtons::OkCancel
                             ? QMessageBox::Cancel
                             : QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok ? MsgResult::Ok : MsgResult::Cancel;
}

std::unique_ptr<QFileDialog> MakeFileDialog(QWidget* owner, const FileRequest& request) {
    auto dialog = std::make_unique<QFileDialog>(owner);
    // Qt's own dialog, so that the type labels read as written everywhere.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    dialog->setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(request.folder                           ? QFileDialog::Directory
                        : request.save || !request.fileMustExist ? QFileDialog::AnyFile
                                                                 : QFileDialog::ExistingFile);
    dialog->setOption(QFileDialog::ShowDirsOnly, request.folder);
    dialog->setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
    dialog->setNameFilter(QtFilter(request.filter));
    QString suffix = request.defaultExtension;
    if (suffix.startsWith(u'.')) {
        suffix.remove(0, 1);
    }
    dialog->setDefaultSuffix(suffix);
    // A name typed without an extension takes the chosen type's; Qt itself already swaps the
    // extension of the name in the box.
    const QStringList parts = request.filter.split(u'|');
    QObject::connect(dialog.get(), &QFileDialog::filterSelected, dialog.get(),
                     [d = dialog.get(), parts](const QString& label) {
                         const qsizetype at = parts.indexOf(label);
                         const QString pattern =
                             at >= 0 && at + 1 < parts.size() ? parts[at + 1] : QString();
                         if (pattern.startsWith(QStringLiteral("*.")) && pattern != u"*.*") {
                             d->setDefaultSuffix(pattern.mid(2));
                         }
                     });
    if (!request.fileName.isEmpty()) {
        dialog->selectFile(request.fileName);
    }
    return dialog;
}

std::optional<QString> QtDialogs::File(QWidget* owner, const FileRequest& request) {
    const auto dialog = MakeFileDialog(owner, request);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog->selectedFiles().constFirst();
}

Dialogs& CurrentDialogs() {
    static QtDialogs qt;
    return gInstalled ? *gInstalled : qt;
}

Dialogs* SetDialogs(Dialogs* d) {
    Dialogs* previous = gInstalled;
    gInstalled = d;
    return previous;
}

MsgResult MsgBox(QWidget* owner, const QString& text, const QString& title, MsgIcon icon,
                 MsgButtons buttons, MsgResult defaultButton) {
    return CurrentDialogs().Message(owner, {text, title, icon, buttons, defaultButton});
}

QString QtFilter(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        if (patterns == QStringLiteral("*.*")) {
            patterns = QStringLiteral("*");  // names without a dot are files too
        }
        filters << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
    }
    return filters.join(QStringLiteral(";;"));
}

}  // namespace rastel::toolkit
