#include "image/pixels/FormatWindowDecoder.h"

#include <algorithm>

namespace rastel::core {

FormatWindowDecoder::FormatWindowDecoder(const FormatLayout& layout, ByteSource& source)
    : mLayout(layout), mSource(source) {}

// A pixel needs at most the 3 bytes before its first (a YUV pair's start) and the 4 from it,
// or its own bytes where it has more.
// The layout handed on counts from the window's first byte, offset included, so a YUV pixel
// finds the same pair there as in the whole file.
template <class Use>
bool FormatWindowDecoder::Lend(std::int64_t y0, std::int64_t y1, std::int64_t x0,
                               std::int64_t count, const Use& use) {
    const std::int64_t first = mLayout.byteOf(y0, x0);
    const std::int64_t last = mLayout.byteOf(y1 - 1, x0 + count - 1);
    const std::int64_t base = std::clamp<std::int64_t>(first, 3, mSource.size() + 3) - 3;
    const std::int64_t after = std::max<std::int64_t>(4, mLayout.format->bytes);
    const std::int64_t end = std::clamp<std::int64_t>(last, -after, mSource.size() - after) + after;
    if (y0 >= y1 || count < 1 || end <= base) {
        use(mLayout, ByteSpan{});
        return true;
    }
    FormatLayout window = mLayout;
    window.offset -= base;  // base > 0 only where first, so the offset, is well inside 64 bits
    return mSource.Lend(base, static_cast<std::size_t>(end - base), mWindow,
                        [&](ByteSpan bytes) { use(window, bytes); });
}

bool FormatWindowDecoder::Decode(std::int64_t y0, std::int64_t y1, std::int64_t x0,
                                 std::int64_t count, std::uint8_t* dst, std::ptrdiff_t rowStep) {
    return Lend(y0, y1, x0, count, [&](const FormatLayout& layout, ByteSpan bytes) {
        DecodeFormatRows(layout, bytes, y0, y1, x0, count, dst, rowStep);
    });
}

std::optional<Range16> FormatWindowDecoder::Range(std::int64_t y0, std::int64_t y1) {
    Range16 range;
    if (!Lend(y0, y1, 0, mLayout.width, [&](const FormatLayout& layout, ByteSpan bytes) {
            range = Gray16Range(layout, bytes, y0, y1);
        })) {
        return std::nullopt;
    }
    return range;
}

}  // namespace rastel::core
