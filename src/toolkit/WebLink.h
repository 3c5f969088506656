// Opening a web page in the user's browser. Failures are never reported: nothing the user
// could do about a missing or broken browser belongs in this program's windows.
#pragma once

#include <QString>

#include <functional>

namespace rastel::toolkit {

using WebPageOpener = std::function<void(const QString& address)>;

// Hands the address to the system's handler for web addresses and ignores every error.
void OpenWebPage(const QString& address);

// Replaces how pages are opened, so tests can capture the address instead of starting a
// browser; an empty opener puts the system's back. Returns the opener it replaces.
WebPageOpener SetWebPageOpener(WebPageOpener opener);

}  // namespace rastel::toolkit
