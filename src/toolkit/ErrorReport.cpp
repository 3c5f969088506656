#include "toolkit/ErrorReport.h"

#include "toolkit/MessageBoxes.h"

namespace rastel::toolkit {

QString ErrorReportText(int number, const QString& description) {
    return QStringLiteral(
               "エラーが発生しました。こちらのエラーを報告してくださるようお願いします。\n"
               "エラーコード %1 \n%2")
        .arg(number)
        .arg(description);
}

void ShowErrorReport(QWidget* owner, int number, const QString& description) {
    MsgBox(owner, ErrorReportText(number, description), kAppTitle);
}

}  // namespace rastel::toolkit
