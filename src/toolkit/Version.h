// The program's version numbers, from the build's project version.
#pragma once

#include <QString>

namespace rastel::toolkit {

struct AppVersion {
    int major;
    int minor;
    int revision;
};

AppVersion Version();

// "major.minor", as captions show it.
QString VersionCaption();

}  // namespace rastel::toolkit
