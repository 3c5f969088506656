// Whether a file can be turned into a picture, judged before anything is read: the viewer and
// rastel-render refuse the same files for the same reasons.
#pragma once

#include <cstdint>
#include <string>

#include "image/base/Outcome.h"

namespace rastel::core {

// Files of this many bytes or more are refused: the picture's size fields would not hold them.
constexpr std::int64_t kFileSizeLimit = 0x7F000000;

struct InputFile {
    // Done when the file can be shown; kFolder, kNotRegular, kEmpty or kFileTooLarge when it
    // is refused; kSystem when the system could not even say what it is.
    Outcome result;
    std::int64_t size = 0;  // as the system reports it, when examined
};

// The file at path, following links; the name's bytes as the file system has them. Files of
// limit bytes or more are refused (kFileTooLarge).
InputFile CheckInputFile(const std::string& path, std::int64_t limit = kFileSizeLimit);
// The file open at fd.
InputFile CheckInputFile(int fd, std::int64_t limit = kFileSizeLimit);

}  // namespace rastel::core
