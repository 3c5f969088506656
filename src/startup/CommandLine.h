// The command line as text: one path, perhaps in double quotes, or a help switch. Needs only
// Qt's strings, so the fuzzer can take it on its own.
#pragma once

#include <QString>
#include <QStringList>

namespace rastel::modSTARTUP {

// The arguments after the program's name joined by single spaces, without the spaces around
// them: the one path the program was started with.
QString JoinArguments(const QStringList& arguments);

// The path between the double quotes when both ends are one; the text as it is otherwise.
QString Unquote(const QString& commandLine);

// "/?" or "-?" with or without spaces around it.
bool IsHelpSwitch(const QString& commandLine);

}  // namespace rastel::modSTARTUP
