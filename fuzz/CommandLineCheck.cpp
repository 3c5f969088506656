// The command line as text, and file names as bytes, on any input. The bytes split at zero
// bytes into arguments, decoded as the program decodes argv.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include "Check.h"
#include "startup/CommandLine.h"
#include "toolkit/FileNames.h"

namespace rastel::fuzz {

namespace {

bool HasSpaceAtAnEnd(const QString& text) {
    return !text.isEmpty() && (text.front() == u' ' || text.back() == u' ');
}

}  // namespace

void CheckCommandLine(Input input) {
    const QByteArray bytes(reinterpret_cast<const char*>(input.data()),
                           static_cast<qsizetype>(input.size()));
    Expect(toolkit::EncodeName(toolkit::DecodeName(bytes)) == bytes,
           "a file name does not survive the trip through a string");
    QStringList arguments;
    for (const QByteArray& piece : bytes.split('\0')) {
        arguments << toolkit::DecodeName(piece);
    }
    const QString line = modSTARTUP::JoinArguments(arguments);
    Expect(!HasSpaceAtAnEnd(line), "the joined command line keeps spaces at its ends");
    Expect(arguments.join(u' ').contains(line), "joining made up text");

    const QString path = modSTARTUP::Unquote(line);
    const bool quoted = !line.isEmpty() && line.front() == u'"' && line.back() == u'"';
    if (quoted) {
        Expect(path.size() == std::max<qsizetype>(0, line.size() - 2),
               "unquoting took more than the two quotes");
        Expect(line.mid(1).startsWith(path), "unquoting changed the path");
    } else {
        Expect(path == line, "a line without quotes at both ends was changed");
    }

    const QString bare = path.trimmed();
    const bool help = modSTARTUP::IsHelpSwitch(path);
    Expect(!help || bare == QStringLiteral("/?") || bare == QStringLiteral("-?"),
           "a text that is no help switch asked for help");
    if (path == QStringLiteral("/?") || path == QStringLiteral("-?")) {
        Expect(help, "a help switch was taken as a path");
    }
}

}  // namespace rastel::fuzz
