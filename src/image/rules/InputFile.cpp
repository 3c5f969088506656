#include "image/rules/InputFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace rastel::core {

namespace {

InputFile Judge(int statResult, const struct stat& st) {
    if (statResult != 0) {
        const int err = errno;
        return {InputFile::kUnexamined, 0, {err, std::strerror(err)}};
    }
    const std::int64_t size = st.st_size;
    const InputFile::Kind kind = S_ISDIR(st.st_mode)      ? InputFile::kFolder
                                 : !S_ISREG(st.st_mode)   ? InputFile::kNotRegular
                                 : size < 1               ? InputFile::kEmpty
                                 : size >= kFileSizeLimit ? InputFile::kTooLarge
                                                          : InputFile::kFit;
    return {kind, size, {}};
}

}  // namespace

InputFile CheckInputFile(const std::string& path) {
    struct stat st {};
    return Judge(::stat(path.c_str(), &st), st);
}

InputFile CheckInputFile(int fd) {
    struct stat st {};
    return Judge(::fstat(fd, &st), st);
}

}  // namespace rastel::core
