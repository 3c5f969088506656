// Where written bytes go: a file that appears only once it is whole, or an open descriptor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "image/Outcome.h"

namespace rastel::core {

// A write's outcome holds the system's error number of its first failure.

// A seam for the faults no test machine produces on demand (a full disk, a read-only one): asked
// before each step of writing a file ("create", "write"), it returns 0 to let the step go on or
// the error number the step fails with. Empty, as it is outside tests: no faults.
using WriteFaults = std::function<int(const char* step)>;
void SetWriteFaults(WriteFaults faults);

class ByteSink {
  public:
    virtual ~ByteSink() = default;
    // Writes all n bytes or fails; after a failure every further write fails too.
    virtual bool Write(const void* data, std::size_t n) = 0;
};

// Writes to an open descriptor (standard output, say); the caller keeps it.
class FdSink : public ByteSink {
  public:
    explicit FdSink(int fd) : mFd(fd) {}
    bool Write(const void* data, std::size_t n) override;
    const Outcome& result() const { return mResult; }

  private:
    int mFd;
    Outcome mResult;
};

// Writes into a temporary file beside the target and renames it over the target on Commit,
// so a failed or abandoned write never touches an existing file of that name.
class AtomicFile : public ByteSink {
  public:
    explicit AtomicFile(std::string target);
    ~AtomicFile() override;  // discards the temporary file unless committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    bool Write(const void* data, std::size_t n) override;
    Outcome Commit();
    const Outcome& result() const { return mResult; }

  private:
    void Fail(const char* what);
    void Discard();

    std::string mTarget;
    std::string mTemp;
    int mFd = -1;
    Outcome mResult;
};

}  // namespace rastel::core
