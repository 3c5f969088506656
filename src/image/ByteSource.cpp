#include "image/ByteSource.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <csignal>
#include <cstring>

namespace rastel::core {


namespace {

bool Inside(std::int64_t pos, std::size_t n, std::int64_t size) {
    return pos >= 0 && pos <= size && n <= static_cast<std::uint64_t>(size - pos);
}

// Where a use of mapped bytes that faulted jumps back to; set only while one runs.
sigjmp_buf* gFaultJump = nullptr;
struct sigaction gPreviousBusAction {};

void OnBusError(int signal) {
    if (gFaultJump != nullptr) {
        siglongjmp(*gFaultJump, 1);
    }
    ::sigaction(signal, &gPreviousBusAction, nullptr);  // not ours: as it would have been
    ::raise(signal);
}

}  // namespace

bool ByteSource::Lend(std::int64_t pos, std::size_t n, std::vector<std::uint8_t>& buffer,
                      const Use& use) {
    buffer.resize(n);
    if (n > 0 && !Read(pos, n, buffer.data())) {
        return false;
    }
    use(buffer);
    return true;
}

bool SpanSource::Read(std::int64_t pos, std::size_t n, std::uint8_t* out) {
    if (!Inside(pos, n, size())) {
        return false;
    }
    if (n > 0) {
        std::memcpy(out, mData.data() + pos, n);
    }
    return true;
}

bool SpanSource::Lend(std::int64_t pos, std::size_t n, std::vector<std::uint8_t>&, const Use& use) {
    if (!Inside(pos, n, size())) {
        return false;
    }
    use(mData.subspan(static_cast<std::size_t>(pos), n));
    return true;
}

FdSource::FdSource(int fd, std::int64_t size) : mFd(fd), mSize(size) {
    void* map = size > 0
                    ? ::mmap(nullptr, static_cast<std::size_t>(size), PROT_READ, MAP_SHARED, fd, 0)
                    : MAP_FAILED;
    if (map == MAP_FAILED) {
        return;  // read as any file is
    }
    mMap = static_cast<const std::uint8_t*>(map);
    // Not deferred while it runs: a fault inside a use leaves by the jump, never by a return.
    struct sigaction action {};
    action.sa_handler = OnBusError;
    action.sa_flags = SA_NODEFER;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, &gPreviousBusAction);
}

FdSource::~FdSource() {
    if (mMap != nullptr) {
        ::sigaction(SIGBUS, &gPreviousBusAction, nullptr);
        ::munmap(const_cast<std::uint8_t*>(mMap), static_cast<std::size_t>(mSize));
    }
}

bool FdSource::Read(std::int64_t pos, std::size_t n, std::uint8_t* out) {
    while (n > 0) {
        const ssize_t got = ::pread(mFd, out, n, pos);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            Fail(got < 0 ? errno : kShrank);
            return false;
        }
        out += got;
        pos += got;
        n -= static_cast<std::size_t>(got);
    }
    return true;
}

bool FdSource::Lend(std::int64_t pos, std::size_t n, std::vector<std::uint8_t>& buffer,
                    const Use& use) {
    if (mMap == nullptr) {
        return ByteSource::Lend(pos, n, buffer, use);
    }
    if (!Inside(pos, n, mSize)) {
        return false;
    }
    // Nothing with a destructor may live inside use: a fault jumps past it.
    sigjmp_buf jump;
    gFaultJump = &jump;
    if (sigsetjmp(jump, 0) != 0) {
        gFaultJump = nullptr;
        Faulted();
        Release(pos, n);
        return false;
    }
    use({mMap + pos, n});
    gFaultJump = nullptr;
    Release(pos, n);
    return true;
}

// These pages are done with. Once a few MiB of them have gathered they leave this process, as
// a read's buffer would be reused, so that its memory stays small; they stay in the page
// cache. Gathered first, so that the pages a band shares with the next are not mapped twice.
void FdSource::Release(std::int64_t pos, std::size_t n) {
    constexpr std::int64_t kGathered = std::int64_t{8} << 20;
    const std::int64_t end = pos + static_cast<std::int64_t>(n);
    mUsedFrom = mUsedFrom < mUsedTo ? std::min(mUsedFrom, pos) : pos;
    mUsedTo = std::max(mUsedTo, end);
    if (mUsedTo - mUsedFrom < kGathered && mResult.ok()) {
        return;
    }
    const auto page = static_cast<std::int64_t>(::sysconf(_SC_PAGESIZE));
    const std::int64_t from = mUsedFrom / page * page;
    ::madvise(const_cast<std::uint8_t*>(mMap) + from, static_cast<std::size_t>(mUsedTo - from),
              MADV_DONTNEED);
    mUsedFrom = mUsedTo = 0;
}

// A fault on mapped pages: the file lost them, or the disk failed to give them.
void FdSource::Faulted() {
    struct stat st {};
    Fail(::fstat(mFd, &st) == 0 && st.st_size < mSize ? kShrank : EIO);
}

void FdSource::Fail(int error) {
    if (mResult.ok()) {
        mResult = {error, error == kShrank ? "it shrank while it was read" : std::strerror(error)};
    }
}

}  // namespace rastel::core
