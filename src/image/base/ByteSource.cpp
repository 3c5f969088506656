#include "image/base/ByteSource.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace rastel::core {

namespace {

bool Inside(std::int64_t pos, std::size_t n, std::int64_t size) {
    return pos >= 0 && pos <= size && n <= static_cast<std::uint64_t>(size - pos);
}

// A caller's mistake, never the file's: the readers ask only for bytes inside the size.
Outcome Outside() {
    return {EINVAL, "a read outside the file's size"};
}

// A read of the file that gave got instead of bytes: the system's error, or none at all
// because the file ended before the size it had.
Outcome ReadFailure(std::ptrdiff_t got) {
    const int error = got < 0 ? errno : FdSource::kShrank;
    return {error,
            error == FdSource::kShrank ? "it shrank while it was read" : std::strerror(error)};
}

}  // namespace

bool ByteSource::Failed(Outcome failure) {
    const std::lock_guard lock(mFailure);
    if (mResult.ok()) {
        mResult = std::move(failure);
    }
    return false;
}

bool ByteSource::ReadPadded(std::int64_t pos, std::int64_t n, std::uint8_t* out) {
    std::fill_n(out, n, 0);
    // pos may lie anywhere in 64 bits: the overlap is taken before any sum.
    const std::int64_t first = std::clamp<std::int64_t>(pos, 0, size());
    const std::int64_t last = pos > size() - n ? size() : std::max<std::int64_t>(0, pos + n);
    return first >= last ||
           Read(first, static_cast<std::size_t>(last - first), out + (first - pos));
}

bool ByteSource::Lend(std::int64_t pos, std::size_t n, std::vector<std::uint8_t>& buffer,
                      const Use& use) {
    buffer.resize(n);
    if (n > 0 && !Read(pos, n, buffer.data())) {
        return false;
    }
    use(buffer);
    return true;
}

bool SliceSource::Read(std::int64_t pos, std::size_t n, std::uint8_t* out) {
    if (!Inside(pos, n, size())) {
        return Failed(Outside());
    }
    return mWhole.Read(mBegin + pos, n, out) || Failed(mWhole.result());
}

bool SliceSource::Lend(std::int64_t pos, std::size_t n, std::vector<std::uint8_t>& buffer,
                       const Use& use) {
    if (!Inside(pos, n, size())) {
        return Failed(Outside());
    }
    return mWhole.Lend(mBegin + pos, n, buffer, use) || Failed(mWhole.result());
}

bool SpanSource::Read(std::int64_t pos, std::size_t n, std::uint8_t* out) {
    if (!Inside(pos, n, size())) {
        return Failed(Outside());
    }
    if (n > 0) {
        std::memcpy(out, mData.data() + pos, n);
    }
    return true;
}

bool SpanSource::Lend(std::int64_t pos, std::size_t n, std::vector<std::uint8_t>&, const Use& use) {
    if (!Inside(pos, n, size())) {
        return Failed(Outside());
    }
    use(mData.subspan(static_cast<std::size_t>(pos), n));
    return true;
}

bool FdSource::Read(std::int64_t pos, std::size_t n, std::uint8_t* out) {
    while (n > 0) {
        const ssize_t got = ::pread(mFd, out, n, pos);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return Failed(ReadFailure(got));
        }
        out += got;
        pos += got;
        n -= static_cast<std::size_t>(got);
    }
    return true;
}

Outcome ReadWhole(int fd, std::span<std::uint8_t> into, std::size_t piece,
                  const ReadProgress& progress, const FileReader& read) {
    for (std::size_t done = 0; done < into.size();) {
        const std::size_t want = std::min(piece, into.size() - done);
        const std::ptrdiff_t n =
            read ? read(fd, into.data() + done, want) : ::read(fd, into.data() + done, want);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return ReadFailure(n);
        }
        done += static_cast<std::size_t>(n);
        if (progress && !progress(done)) {
            return Outcome::Cancelled();
        }
    }
    return {};
}

Outcome StoppedOrUnreadable(const ByteSource& source) {
    return source.result().ok() ? Outcome::Cancelled() : Outcome::Unreadable(source.result());
}

}  // namespace rastel::core
