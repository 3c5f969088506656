// The file's bytes as the streaming writer reads them: from memory or straight from a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "image/base/Outcome.h"

namespace rastel::core {

class ByteSource {
  public:
    using Use = std::function<void(std::span<const std::uint8_t>)>;

    virtual ~ByteSource() = default;
    virtual std::int64_t size() const = 0;
    // Reads exactly n bytes at pos (inside size()); false when they could not all be read.
    // Threads may read at once.
    virtual bool Read(std::int64_t pos, std::size_t n, std::uint8_t* out) = 0;
    // Calls use with the n bytes at pos: where they lie when the source holds them in memory,
    // otherwise read into buffer first. False when they could not all be had.
    virtual bool Lend(std::int64_t pos, std::size_t n, std::vector<std::uint8_t>& buffer,
                      const Use& use);
    // Whether Lend lends bytes where they lie, so that copying them out gains nothing.
    virtual bool InMemory() const { return false; }
    // The n bytes at pos, wherever pos lies: those outside the source read as 0. False when
    // the part inside could not be read.
    bool ReadPadded(std::int64_t pos, std::int64_t n, std::uint8_t* out);
    // Done, or why the first read that failed did; asked once the reads have ended.
    const Outcome& result() const { return mResult; }

  protected:
    // Keeps the first failure; false, for the read that failed to return.
    bool Failed(Outcome failure);

  private:
    std::mutex mFailure;
    Outcome mResult;
};

// Why work over a source ended without its answer: the first read that failed, or else a stop
// that was asked for.
Outcome StoppedOrUnreadable(const ByteSource& source);

class SpanSource : public ByteSource {
  public:
    explicit SpanSource(std::span<const std::uint8_t> data) : mData(data) {}
    std::int64_t size() const override { return static_cast<std::int64_t>(mData.size()); }
    bool Read(std::int64_t pos, std::size_t n, std::uint8_t* out) override;
    bool Lend(std::int64_t pos, std::size_t n, std::vector<std::uint8_t>& buffer,
              const Use& use) override;
    bool InMemory() const override { return true; }

  private:
    std::span<const std::uint8_t> mData;
};

// Bytes [begin, begin + size) of another source, read as a source of their own: a part of a
// file written as a picture of those bytes alone. The part must lie inside the other source.
class SliceSource : public ByteSource {
  public:
    SliceSource(ByteSource& whole, std::int64_t begin, std::int64_t size)
        : mWhole(whole), mBegin(begin), mSize(size) {}
    std::int64_t size() const override { return mSize; }
    bool Read(std::int64_t pos, std::size_t n, std::uint8_t* out) override;
    bool Lend(std::int64_t pos, std::size_t n, std::vector<std::uint8_t>& buffer,
              const Use& use) override;
    bool InMemory() const override { return mWhole.InMemory(); }

  private:
    ByteSource& mWhole;
    std::int64_t mBegin;
    std::int64_t mSize;
};

// Reads an open file of a known size; a file that shrank since makes Read and Lend fail.
// Lend reads into the buffer: reading the file's pages through a mapping of them measured
// several times slower than copying them out with a read.
class FdSource : public ByteSource {
  public:
    FdSource(int fd, std::int64_t size) : mFd(fd), mSize(size) {}

    std::int64_t size() const override { return mSize; }
    bool Read(std::int64_t pos, std::size_t n, std::uint8_t* out) override;
    // A failed read's error is the system's error number, or this:
    static constexpr int kShrank = -1;  // the file ended before the size it had when opened

  private:
    int mFd;
    std::int64_t mSize;
};

// How a whole file is read into memory: ::read unless a test puts in its own faults.
using FileReader = std::function<std::ptrdiff_t(int fd, void* buffer, std::size_t n)>;
// Called after each piece with the bytes in place so far; false stops the read, cancelled.
using ReadProgress = std::function<bool(std::size_t done)>;

// Reads into all of into from the open file's current position, in pieces of at most piece
// bytes: done; cancelled; or the read's failure, a file that ended early among them
// (FdSource::kShrank).
Outcome ReadWhole(int fd, std::span<std::uint8_t> into, std::size_t piece,
                  const ReadProgress& progress, const FileReader& read = {});

}  // namespace rastel::core
