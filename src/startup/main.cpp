#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "startup/modSTARTUP.h"
#include "toolkit/Application.h"
#include "view/frmMainView.h"

int main(int argc, char** argv) {
    rastel::toolkit::Application app(argc, argv);
    // Standard buttons in the program's language ("キャンセル").
    QTranslator translator;
    if (translator.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&translator);
    }
    const QStringList arguments = QApplication::arguments().mid(1);
    const auto window = rastel::modSTARTUP::Main(arguments, rastel::modSTARTUP::ShowSplash);
    if (!window) {
        return 0;
    }
    return QApplication::exec();
}
