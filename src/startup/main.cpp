#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <csignal>

#include "startup/PictureClock.h"
#include "startup/modSTARTUP.h"
#include "toolkit/Application.h"
#include "toolkit/FileNames.h"
#include "view/frmMainView.h"

int main(int argc, char** argv) {
    // A file over the size limit fails its write (EFBIG) instead of ending us by a signal:
    // the export says so and leaves nothing half-written.
    std::signal(SIGXFSZ, SIG_IGN);
    rastel::toolkit::Application app(argc, argv);
    // Standard buttons in the program's language ("キャンセル").
    QTranslator translator;
    if (translator.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&translator);
    }
    // From argv itself (Qt has taken its own options out): names that are not UTF-8 must
    // survive.
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments << rastel::toolkit::DecodeName(QByteArray(argv[i]));
    }
    rastel::modSTARTUP::StartPictureClock();
    const auto window = rastel::modSTARTUP::Main(arguments, rastel::modSTARTUP::ShowSplash);
    if (!window) {
        return 0;
    }
    return QApplication::exec();
}
