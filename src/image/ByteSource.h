// The file's bytes as the streaming writer reads them: from memory or straight from a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace rastel::modBITMAPinfo {

class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual std::int64_t size() const = 0;
    // Reads exactly n bytes at pos (inside size()); false when they could not all be read.
    virtual bool Read(std::int64_t pos, std::size_t n, std::uint8_t* out) = 0;
};

class SpanSource : public ByteSource {
  public:
    explicit SpanSource(std::span<const std::uint8_t> data) : data_(data) {}
    std::int64_t size() const override { return static_cast<std::int64_t>(data_.size()); }
    bool Read(std::int64_t pos, std::size_t n, std::uint8_t* out) override;

  private:
    std::span<const std::uint8_t> data_;
};

// Reads an open file of a known size; a file that shrank since makes Read fail.
class FdSource : public ByteSource {
  public:
    FdSource(int fd, std::int64_t size) : fd_(fd), size_(size) {}
    std::int64_t size() const override { return size_; }
    bool Read(std::int64_t pos, std::size_t n, std::uint8_t* out) override;
    // 0, the system's error number of a failed read, or kShrank.
    int error() const { return error_; }
    static constexpr int kShrank = -1;  // the file ended before the size it had when opened

  private:
    int fd_;
    std::int64_t size_;
    int error_ = 0;
};

}  // namespace rastel::modBITMAPinfo
