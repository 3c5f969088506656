// A file's bytes as read into memory: a byte vector whose growth leaves the new bytes as the
// system hands them over, since a read is about to overwrite every one of them. Zeroing a
// gigabyte first would cost about a fifth of reading it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
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

}  // namespace rastel::modBITMAPinfo
