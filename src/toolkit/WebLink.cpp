#include "toolkit/WebLink.h"

#include <QDesktopServices>
#include <QUrl>

#include <utility>

namespace rastel::toolkit {
namespace {

void OpenWithSystem(const QString& address) {
    // The result only says whether a handler could be started; nobody is told either way.
    QDesktopServices::openUrl(QUrl(address, QUrl::StrictMode));
}

WebPageOpener& CurrentOpener() {
    static WebPageOpener opener = OpenWithSystem;
    return opener;
}

}  // namespace

void OpenWebPage(const QString& address) {
    try {
        CurrentOpener()(address);
    } catch (...) {
        // A failed start leaves the program as it was; there is nothing to report.
    }
}

WebPageOpener SetWebPageOpener(WebPageOpener opener) {
    if (!opener) {
        opener = OpenWithSystem;
    }
    return std::exchange(CurrentOpener(), std::move(opener));
}

}  // namespace rastel::toolkit
