// The box that reports a failure nobody planned for, asking the user to pass it on.
#pragma once

#include <QString>

class QWidget;

namespace rastel::toolkit {

// "エラーが発生しました。…", then the number and the description; OK only, no icon.
QString ErrorReportText(int number, const QString& description);
void ShowErrorReport(QWidget* owner, int number, const QString& description);

}  // namespace rastel::toolkit
