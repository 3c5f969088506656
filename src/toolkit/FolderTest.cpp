#include "toolkit/FolderTest.h"

#include <filesystem>
#include <system_error>

namespace rastel::toolkit {

bool FolderExists(const QString& path) {
    std::error_code ec;
    return !path.isEmpty() && std::filesystem::is_directory(path.toStdString(), ec);
}

}  // namespace rastel::toolkit
