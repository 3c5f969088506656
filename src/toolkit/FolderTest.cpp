#include "toolkit/FolderTest.h"

#include "toolkit/FileNames.h"

#include <filesystem>
#include <system_error>

namespace rastel::toolkit {

bool FolderExists(const QString& path) {
    std::error_code ec;
    return !path.isEmpty() && std::filesystem::is_directory(EncodeName(path).toStdString(), ec);
}

}  // namespace rastel::toolkit
