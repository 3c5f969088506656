#include "startup/modSTARTUP.h"

#include "toolkit/MessageBoxes.h"
#include "toolkit/Version.h"
#include "view/frmMainView.h"

#ifdef RASTEL_HAVE_ABOUT
#include "about/frmAbout1.h"
#endif

namespace rastel::modSTARTUP {

namespace {

QString TrimSpaces(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first] == u' ') {
        ++first;
    }
    while (last > first && text[last - 1] == u' ') {
        --last;
    }
    return text.mid(first, last - first);
}

}  // namespace

QString JoinArguments(const QStringList& arguments) {
    return TrimSpaces(arguments.join(u' '));
}

QString Unquote(const QString& commandLine) {
    // A lone quote is both first and last character: it names nothing.
    if (commandLine.size() >= 1 && commandLine.front() == u'"' && commandLine.back() == u'"') {
        return commandLine.size() >= 2 ? commandLine.mid(1, commandLine.size() - 2) : QString();
    }
    return commandLine;
}

bool IsHelpSwitch(const QString& commandLine) {
    const QString bare = TrimSpaces(commandLine);
    return bare == QStringLiteral("/?") || bare == QStringLiteral("-?");
}

std::unique_ptr<frmMainView> Main(const QStringList& arguments,
                                  const std::function<void()>& showSplash) {
    gCommandLine = JoinArguments(arguments);
    std::unique_ptr<frmMainView> window;
    if (gCommandLine.isEmpty()) {
        // The splash shows the main window's logo, so the window loads (hidden) first.
        window = std::make_unique<frmMainView>();
        showSplash();
    } else {
        gCommandLine = Unquote(gCommandLine);
        if (IsHelpSwitch(gCommandLine)) {
            toolkit::MsgBox(nullptr, QStringLiteral("!"), toolkit::kAppTitle);
            return nullptr;
        }
    }
    if (!window) {
        window = std::make_unique<frmMainView>();
    }
    window->setWindowTitle(QStringLiteral("Rastel - Version ") + toolkit::VersionCaption());
    window->show();
    return window;
}

void ShowSplash() {
#ifdef RASTEL_HAVE_ABOUT
    frmAbout1 splash;
    splash.exec();
#endif
}

}  // namespace rastel::modSTARTUP
