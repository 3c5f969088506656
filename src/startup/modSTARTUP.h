// The program's entry: the command line, the help switches, the splash and the main window.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace rastel {
class frmMainView;
}

namespace rastel::modSTARTUP {

// The file to load at start-up or after a drop.
inline QString gCommandLine;

// The arguments after the program's name joined by single spaces, without the spaces around
// them: the one path the program was started with.
QString JoinArguments(const QStringList& arguments);

// The path between the double quotes when both ends are one; the text as it is otherwise.
QString Unquote(const QString& commandLine);

// "/?" or "-?" with or without spaces around it.
bool IsHelpSwitch(const QString& commandLine);

// Runs the start-up and returns the shown main window, or nothing when the program is to end
// (after the help box). showSplash runs, and is waited for, only when no file was named.
std::unique_ptr<frmMainView> Main(const QStringList& arguments,
                                  const std::function<void()>& showSplash);

// The splash of the about windows, when the program has them.
void ShowSplash();

}  // namespace rastel::modSTARTUP
