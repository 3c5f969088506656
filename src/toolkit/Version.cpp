#include "toolkit/Version.h"

namespace rastel::toolkit {

AppVersion Version() {
    return {RASTEL_VERSION_MAJOR, RASTEL_VERSION_MINOR, RASTEL_VERSION_PATCH};
}

QString VersionCaption() {
    const AppVersion v = Version();
    return QStringLiteral("%1.%2").arg(v.major).arg(v.minor);
}

}  // namespace rastel::toolkit
