// The program's entry: the command line, the help switches, the splash and the main window.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "startup/CommandLine.h"

namespace rastel {
class frmMainView;
}

namespace rastel::modSTARTUP {

// Runs the start-up and returns the shown main window, or nothing when the program is to end
// (after the help box). showSplash runs, and is waited for, only when no file was named.
std::unique_ptr<frmMainView> Main(const QStringList& arguments,
                                  const std::function<void()>& showSplash);

// The splash of the about windows, when the program has them.
void ShowSplash();

}  // namespace rastel::modSTARTUP
