// A file's bytes as read into memory: a byte vector whose growth leaves the new bytes as the
// system hands them over, since a read is about to overwrite every one of them. Zeroing a
// gigabyte first would cost about a fifth of reading it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <span>
#include <utility>
#include <vector>

namespace rastel::modBITMAPinfo {

template <class T>
struct UninitializedAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = UninitializedAllocator<U>;
    };
    UninitializedAllocator() = default;
    template <class U>
    UninitializedAllocator(const UninitializedAllocator<U>&) noexcept {}

    template <class U>
    void construct(U* p) noexcept {
        ::new (static_cast<void*>(p)) U;  // default-initialised: left as it is
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

using RawBytes = std::vector<std::uint8_t, UninitializedAllocator<std::uint8_t>>;

inline bool operator==(const RawBytes& a, const std::vector<std::uint8_t>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

// A file's bytes once read, held by whoever reads them (the window, the strip's worker): they
// go when the last holder lets go, so no reader depends on the order in which others finish.
class SharedBytes {
  public:
    SharedBytes() = default;
    explicit SharedBytes(std::shared_ptr<const RawBytes> bytes) : mBytes(std::move(bytes)) {}

    const std::uint8_t* data() const { return mBytes ? mBytes->data() : nullptr; }
    std::size_t size() const { return mBytes ? mBytes->size() : 0; }
    bool empty() const { return size() == 0; }
    operator std::span<const std::uint8_t>() const { return {data(), size()}; }
    const std::shared_ptr<const RawBytes>& shared() const { return mBytes; }

  private:
    std::shared_ptr<const RawBytes> mBytes;
};

inline bool operator==(const SharedBytes& a, const std::vector<std::uint8_t>& b) {
    return std::equal(a.data(), a.data() + a.size(), b.begin(), b.end());
}

}  // namespace rastel::modBITMAPinfo
