// An open file descriptor that is closed however the scope that opened it ends.
#pragma once

#include <unistd.h>

#include <utility>

namespace rastel::core {

class FileDescriptor {
  public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : mFd(fd) {}
    ~FileDescriptor() { Close(); }
    FileDescriptor(FileDescriptor&& other) noexcept : mFd(std::exchange(other.mFd, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) {
            Close();
            mFd = std::exchange(other.mFd, -1);
        }
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return mFd; }
    bool valid() const { return mFd >= 0; }

  private:
    void Close() {
        if (mFd >= 0) {
            ::close(mFd);
            mFd = -1;
        }
    }

    int mFd = -1;
};

}  // namespace rastel::core
