#include "image/WindowDecoder.h"

#include <algorithm>

namespace rastel::modBITMAPinfo {

WindowDecoder::WindowDecoder(const DecodeLayout& layout, ByteSource& source)
    : layout_(layout), source_(source), perByte_(PixelsPerByte(layout.depth)) {}

// The bytes read start on a multiple of 4, so the pair and group alignment of every order is
// the same as in the whole file.
bool WindowDecoder::Decode(std::int64_t y0, std::int64_t y1, std::int64_t x0, std::int64_t count,
                           std::uint8_t* dst, std::ptrdiff_t rowStep) {
    if (perByte_ == 0) {
        // An unknown depth reads nothing and, as an unknown order does, leaves every pixel 0.
        for (std::int64_t y = y0; y < y1; ++y, dst += rowStep) {
            std::fill_n(dst, count, std::uint8_t{0});
        }
        return true;
    }
    const std::int64_t first = layout_.position(y0, x0);
    const std::int64_t lastByte = layout_.position(y1 - 1, x0 + count) / perByte_;
    const std::int64_t base = std::max<std::int64_t>(0, first) / perByte_ / 4 * 4;
    const std::int64_t end = std::min(
        source_.size(), lastByte >= source_.size() ? lastByte : (lastByte + 1 + 3) / 4 * 4);
    const std::int64_t bytes = std::max<std::int64_t>(0, end - base);
    window_.resize(static_cast<std::size_t>(bytes));
    if (bytes > 0 && !source_.Read(base, window_.size(), window_.data())) {
        return false;
    }
    const ByteSpan data(window_);
    const std::int64_t shift = base * perByte_;
    for (std::int64_t y = y0; y < y1; ++y) {
        // No overflow: shift is 0 unless first, and so every p here, is at least shift.
        const std::int64_t p = layout_.position(y, x0) - shift;
        DecodeRun(layout_.depth, layout_.order, data, p, count, dst);
        dst += rowStep;
    }
    return true;
}

}  // namespace rastel::modBITMAPinfo
