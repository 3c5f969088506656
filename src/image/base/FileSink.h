// Where written bytes go: a file that appears only once it is whole, or an open descriptor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "image/base/Outcome.h"

namespace rastel::core {

// A seam for the faults no test machine produces on demand (a full disk, a read-only one, no
// memory for the PNG writer's rows): asked before each step of writing a file ("create",
// "write", "memory"), it returns 0 to let the step go on, or the error number the step fails
// with (for "memory" any number: there is none). Empty, as it is outside tests: no faults.
using WriteFaults = std::function<int(const char* step)>;
void SetWriteFaults(WriteFaults faults);
// What the seam says of a step: 0, or the error number it fails with.
int WriteFault(const char* step);

class ByteSink {
  public:
    virtual ~ByteSink() = default;
    // Writes all n bytes, or fails and stays failed: result() says why, and every later write
    // fails at once. A false therefore always comes with its reason.
    bool Write(const void* data, std::size_t n) {
        if (mResult.ok()) {
            mResult = Put(data, n);
        }
        return mResult.ok();
    }
    const Outcome& result() const { return mResult; }
    // Told, before the first byte, how many bytes will be written in all, when the writer
    // knows. A file sets the room aside at once: a full disk fails here rather than gigabytes
    // later, and the blocks are placed now, not while the finished file replaces another.
    virtual void Expect(std::uint64_t /*bytes*/) {}

  protected:
    // Keeps the first failure, of a step after the writes.
    void Failed(Outcome failure) {
        if (mResult.ok()) {
            mResult = std::move(failure);
        }
    }

  private:
    // Writes all n bytes somewhere; what became of them.
    virtual Outcome Put(const void* data, std::size_t n) = 0;

    Outcome mResult;
};

// Writes to an open descriptor (standard output, say); the caller keeps it.
class FdSink : public ByteSink {
  public:
    explicit FdSink(int fd) : mFd(fd) {}

  private:
    Outcome Put(const void* data, std::size_t n) override;

    int mFd;
};

// Writes into a temporary file beside the target and renames it over the target on Commit,
// so a failed or abandoned write never touches an existing file of that name. A target that is
// a device or a FIFO (/dev/null, a pipe a reader waits on) is written into instead: renaming
// over it would put a plain file where the device was.
class AtomicFile : public ByteSink {
  public:
    explicit AtomicFile(std::string target);
    ~AtomicFile() override;  // discards the temporary file unless committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    Outcome Commit();
    void Expect(std::uint64_t bytes) override;

  private:
    Outcome Put(const void* data, std::size_t n) override;
    // Discards the temporary file after a step failed; that step's failure.
    Outcome Abandon(const char* what);
    void Discard();

    std::string mTarget;
    std::string mTemp;  // empty when writing into the target itself
    int mFd = -1;
    bool mInto = false;  // the target is written into, not replaced
};

}  // namespace rastel::core
