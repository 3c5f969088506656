#include "image/rules/InputFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace rastel::core {

namespace {

InputFile Judge(int statResult, const struct stat& st, std::int64_t limit) {
    using Why = Outcome::Why;
    if (statResult != 0) {
        const int err = errno;
        return {{err, std::strerror(err)}, 0};
    }
    const std::int64_t size = st.st_size;
    const Outcome result = S_ISDIR(st.st_mode)    ? Outcome::Refused(Why::kFolder, EISDIR)
                           : !S_ISREG(st.st_mode) ? Outcome::Refused(Why::kNotRegular, ENODEV)
                           : size < 1             ? Outcome::Refused(Why::kEmpty, ENODATA)
                           : size >= limit        ? Outcome::Refused(Why::kFileTooLarge, EFBIG)
                                                  : Outcome{};
    return {result, size};
}

}  // namespace

InputFile CheckInputFile(const std::string& path, std::int64_t limit) {
    struct stat st {};
    return Judge(::stat(path.c_str(), &st), st, limit);
}

InputFile CheckInputFile(int fd, std::int64_t limit) {
    struct stat st {};
    return Judge(::fstat(fd, &st), st, limit);
}

}  // namespace rastel::core
