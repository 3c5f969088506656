#include "image/base/FileSink.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <limits>

namespace rastel::core {

namespace {

WriteFaults gFaults;

// Whether the step may go on; if not, errno tells why.
bool Allowed(const char* step) {
    errno = WriteFault(step);
    return errno == 0;
}

bool WriteAll(int fd, const void* data, std::size_t n) {
    if (!Allowed("write")) {
        return false;
    }
    const auto* p = static_cast<const char*>(data);
    while (n > 0) {
        const ssize_t done = ::write(fd, p, n);
        if (done < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        p += done;
        n -= static_cast<std::size_t>(done);
    }
    return true;
}

// The mode a file created the ordinary way would get, or the mode of the file it replaces.
mode_t ModeFor(const std::string& target) {
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        return st.st_mode & 07777;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

Outcome Failure(const char* what, const std::string& path) {
    const int err = errno != 0 ? errno : EIO;
    return {err, std::string(what) + " " + path + ": " + std::strerror(err)};
}

}  // namespace

void SetWriteFaults(WriteFaults faults) {
    gFaults = std::move(faults);
}

int WriteFault(const char* step) {
    return gFaults ? gFaults(step) : 0;
}

Outcome FdSink::Put(const void* data, std::size_t n) {
    return WriteAll(mFd, data, n) ? Outcome{} : Failure("write", "output");
}

AtomicFile::AtomicFile(std::string target) : mTarget(std::move(target)) {
    if (struct stat st{};
        ::stat(mTarget.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
        mInto = true;
        // Not waiting: a FIFO no one reads fails at once (ENXIO) rather than hanging; the
        // writes then wait for the reader as any writer's do.
        mFd = Allowed("create") ? ::open(mTarget.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK) : -1;
        if (mFd < 0 || ::fcntl(mFd, F_SETFL, ::fcntl(mFd, F_GETFL) & ~O_NONBLOCK) != 0) {
            Failed(Failure("create", mTarget));
        }
        return;
    }
    const auto slash = mTarget.rfind('/');
    const std::string dir = slash == std::string::npos ? "" : mTarget.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? mTarget : mTarget.substr(slash + 1);
    mTemp = dir + "." + base + ".XXXXXX";
    mFd = Allowed("create") ? ::mkstemp(mTemp.data()) : -1;
    if (mFd < 0) {
        Failed(Failure("create", mTarget));
        mTemp.clear();
    }
}

AtomicFile::~AtomicFile() {
    Discard();
}

Outcome AtomicFile::Abandon(const char* what) {
    Outcome failure = Failure(what, mTarget);
    Discard();
    return failure;
}

void AtomicFile::Discard() {
    if (mFd >= 0) {
        ::close(mFd);
        mFd = -1;
    }
    if (!mTemp.empty()) {
        ::unlink(mTemp.c_str());
        mTemp.clear();
    }
}

void AtomicFile::Expect(std::uint64_t bytes) {
    if (mInto || mFd < 0 || bytes == 0 ||
        bytes > std::uint64_t{std::numeric_limits<off_t>::max()}) {
        return;
    }
    // The size stays what has been written: a write cut short leaves no zeros behind it.
    // Filesystems without the call just place blocks as the bytes come.
    if (::fallocate(mFd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(bytes)) != 0 &&
        (errno == ENOSPC || errno == EDQUOT)) {
        Failed(Abandon("write"));
    }
}

Outcome AtomicFile::Put(const void* data, std::size_t n) {
    return WriteAll(mFd, data, n) ? Outcome{} : Abandon("write");
}

Outcome AtomicFile::Commit() {
    if (!result().ok()) {
        return result();
    }
    // No fsync: a picture is cheap to make again, and syncing gigabytes would cost more than
    // writing them. Errors of the write itself are all caught above or by close.
    if (mInto) {
        const int fd = mFd;
        mFd = -1;
        if (::close(fd) != 0) {
            Failed(Failure("write", mTarget));
        }
        return result();
    }
    if (::fchmod(mFd, ModeFor(mTarget)) != 0) {
        Failed(Abandon("write"));
        return result();
    }
    const int fd = mFd;
    mFd = -1;
    if (::close(fd) != 0) {
        Failed(Abandon("write"));
        return result();
    }
    if (::rename(mTemp.c_str(), mTarget.c_str()) != 0) {
        Failed(Abandon("replace"));
        return result();
    }
    mTemp.clear();
    return result();
}

}  // namespace rastel::core
