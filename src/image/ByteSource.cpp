#include "image/ByteSource.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace rastel::modBITMAPinfo {

bool SpanSource::Read(std::int64_t pos, std::size_t n, std::uint8_t* out) {
    if (pos < 0 || pos + static_cast<std::int64_t>(n) > size()) {
        return false;
    }
    if (n > 0) {
        std::memcpy(out, data_.data() + pos, n);
    }
    return true;
}

bool FdSource::Read(std::int64_t pos, std::size_t n, std::uint8_t* out) {
    while (n > 0) {
        const ssize_t got = ::pread(fd_, out, n, pos);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            error_ = got < 0 ? errno : kShrank;
            return false;
        }
        out += got;
        pos += got;
        n -= static_cast<std::size_t>(got);
    }
    return true;
}

}  // namespace rastel::modBITMAPinfo
