#include "startup/modSTARTUP.h"

#include "about/frmAbout1.h"
#include "toolkit/MessageBoxes.h"
#include "toolkit/Version.h"
#include "view/frmMainView.h"

namespace rastel::modSTARTUP {

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
    frmAbout1 splash;
    splash.exec();
}

}  // namespace rastel::modSTARTUP
