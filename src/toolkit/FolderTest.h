// Telling a folder from a file.
#pragma once

#include <QString>

namespace rastel::toolkit {

// True when path names an existing folder (a link to one counts).
bool FolderExists(const QString& path);

}  // namespace rastel::toolkit
