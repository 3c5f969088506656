#include "image/pixels/WindowDecoder.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "image/pixels/RunKernels.h"

namespace rastel::modBITMAPinfo {

namespace {

bool Unheld(std::int64_t position) {
    return position != std::numeric_limits<std::int64_t>::min() &&
           position != std::numeric_limits<std::int64_t>::max();
}

}  // namespace

WindowDecoder::WindowDecoder(const DecodeLayout& layout, core::ByteSource& source)
    : mLayout(layout), mSource(source), mPerByte(PixelsPerByte(layout.depth)) {}

// The bytes read start on a multiple of 4, so the pair and group alignment of every order is
// the same as in the whole file.
bool WindowDecoder::Decode(std::int64_t y0, std::int64_t y1, std::int64_t x0, std::int64_t count,
                           std::uint8_t* dst, std::ptrdiff_t rowStep) {
    if (mPerByte == 0) {
        // An unknown depth reads nothing and, as an unknown order does, leaves every pixel 0.
        for (std::int64_t y = y0; y < y1; ++y, dst += rowStep) {
            std::fill_n(dst, count, std::uint8_t{0});
        }
        return true;
    }
    const std::int64_t first = mLayout.position(y0, x0);
    const std::int64_t lastByte = mLayout.position(y1 - 1, x0 + count) / mPerByte;
    const std::int64_t base = std::max<std::int64_t>(0, first) / mPerByte / 4 * 4;
    const std::int64_t end = std::min(
        mSource.size(), lastByte >= mSource.size() ? lastByte : (lastByte + 1 + 3) / 4 * 4);
    const std::int64_t bytes = std::max<std::int64_t>(0, end - base);
    const std::int64_t shift = base * mPerByte;
    const std::int64_t last = mLayout.position(y1 - 1, x0);
    // Rows lie a width apart, unless position() held some at the 64-bit limits.
    const bool spaced = Unheld(first) && Unheld(last);
    const kernels::Kernel* kernel = kernels::Find(mLayout.depth, mLayout.order);
    auto decode = [&](ByteSpan data) {
        const std::int64_t p0 = first - shift;  // the first row's first pixel in data
        if (kernel != nullptr && spaced && p0 >= 0 && p0 % kernel->groupPixels == 0 &&
            mLayout.width % kernel->groupPixels == 0 && count % kernel->groupPixels == 0 &&
            (last - shift + count) / kernel->groupPixels * kernel->groupBytes <=
                static_cast<std::int64_t>(data.size())) {
            // Every row whole groups inside the data: straight through the order's loop, the
            // checks of a run at its ends spared, which would cost as much on narrow rows.
            const std::int64_t groups = count / kernel->groupPixels;
            const std::int64_t rowBytes = mLayout.width / kernel->groupPixels * kernel->groupBytes;
            const std::uint8_t* from = data.data() + p0 / kernel->groupPixels * kernel->groupBytes;
            for (std::int64_t y = y0; y < y1; ++y, from += rowBytes, dst += rowStep) {
                kernel->run(from, groups, dst);
            }
            return;
        }
        if (spaced && count == mLayout.width && count < kNarrow) {
            // Whole narrow rows make one run of pixels: decoded at once, they are spared a
            // call each, which would cost as much as decoding them.
            mBand.resize(static_cast<std::size_t>((y1 - y0) * count));
            DecodeRun(mLayout.depth, mLayout.order, data, p0, (y1 - y0) * count, mBand.data());
            const std::uint8_t* from = mBand.data();
            for (std::int64_t y = y0; y < y1; ++y, from += count, dst += rowStep) {
                std::memcpy(dst, from, static_cast<std::size_t>(count));
            }
            return;
        }
        for (std::int64_t y = y0; y < y1; ++y, dst += rowStep) {
            // No overflow: shift is 0 unless first, and so every p here, is at least shift.
            const std::int64_t p =
                (spaced ? first + (y - y0) * mLayout.width : mLayout.position(y, x0)) - shift;
            DecodeRun(mLayout.depth, mLayout.order, data, p, count, dst);
        }
    };
    if (bytes == 0) {
        decode({});
        return true;
    }
    // The source lends its bytes where they lie when it holds them: a copy fewer.
    return mSource.Lend(base, static_cast<std::size_t>(bytes), mWindow, decode);
}

}  // namespace rastel::modBITMAPinfo
