#include "startup/CommandLine.h"

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

}  // namespace rastel::modSTARTUP
