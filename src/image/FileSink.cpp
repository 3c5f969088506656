#include "image/FileSink.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace rastel::modBITMAPinfo {

namespace {

WriteFaults gFaults;

// Whether the step may go on; if not, errno tells why.
bool Allowed(const char* step) {
    const int error = gFaults ? gFaults(step) : 0;
    errno = error;
    return error == 0;
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

WriteResult Failure(const char* what, const std::string& path) {
    const int err = errno != 0 ? errno : EIO;
    return {err, std::string(what) + " " + path + ": " + std::strerror(err)};
}

}  // namespace

void SetWriteFaults(WriteFaults faults) {
    gFaults = std::move(faults);
}

bool FdSink::Write(const void* data, std::size_t n) {
    if (!result_.ok()) {
        return false;
    }
    if (!WriteAll(fd_, data, n)) {
        result_ = Failure("write", "output");
        return false;
    }
    return true;
}

AtomicFile::AtomicFile(std::string target) : target_(std::move(target)) {
    const auto slash = target_.rfind('/');
    const std::string dir = slash == std::string::npos ? "" : target_.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target_ : target_.substr(slash + 1);
    temp_ = dir + "." + base + ".XXXXXX";
    fd_ = Allowed("create") ? ::mkstemp(temp_.data()) : -1;
    if (fd_ < 0) {
        result_ = Failure("create", target_);
        temp_.clear();
    }
}

AtomicFile::~AtomicFile() {
    Discard();
}

void AtomicFile::Fail(const char* what) {
    if (result_.ok()) {
        result_ = Failure(what, target_);
    }
    Discard();
}

void AtomicFile::Discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
}

bool AtomicFile::Write(const void* data, std::size_t n) {
    if (!result_.ok()) {
        return false;
    }
    if (!WriteAll(fd_, data, n)) {
        Fail("write");
        return false;
    }
    return true;
}

WriteResult AtomicFile::Commit() {
    if (!result_.ok()) {
        return result_;
    }
    // No fsync: a picture is cheap to make again, and syncing gigabytes would cost more than
    // writing them. Errors of the write itself are all caught above or by close.
    if (::fchmod(fd_, ModeFor(target_)) != 0) {
        Fail("write");
        return result_;
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        Fail("write");
        return result_;
    }
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        Fail("replace");
        return result_;
    }
    temp_.clear();
    return result_;
}

}  // namespace rastel::modBITMAPinfo
