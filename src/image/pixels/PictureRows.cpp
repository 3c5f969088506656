#include "image/pixels/PictureRows.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

namespace rastel::core {

// No more memory than the cache would take, and the export writes them as held. A larger
// bitmap costs decoding time and memory that the view, which shows one screen of it, never
// uses. On a small machine the file's bytes and the system need room too.
std::int64_t HoldBudget() {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGE_SIZE);
    const std::int64_t hold = PictureRows::kDefaultCacheBytes;
    if (pages <= 0 || pageSize <= 0) {
        return hold;
    }
    return std::min(hold, std::int64_t{pages} * pageSize / 4);
}

using namespace modBITMAPinfo;

void PictureRows::ShowRecord(const DibImage& image) {
    Clear();
    mMode = Mode::Record;
    mRecord = &image;
}

void PictureRows::ShowBytes(const core::Layout& layout, ByteSpan data, Range16 grey,
                            std::int64_t cacheBytes) {
    Clear();
    mMode = Mode::Bytes;
    mLayout = layout;
    mGrey = grey;
    if (layout.format->family == FormatFamily::Gray16) {
        mScale.emplace(grey);
    }
    mData = data;
    mCacheBytes = cacheBytes;
}

void PictureRows::Clear() {
    mMode = Mode::None;
    mRecord = nullptr;
    mData = {};
    mScale.reset();
    std::vector<std::uint16_t>().swap(mValues);
    std::vector<std::uint8_t>().swap(mCache);
    mCx0 = mCy0 = mCx1 = mCy1 = 0;
    mDecoded = 0;
}

std::int64_t PictureRows::Width() const {
    switch (mMode) {
        case Mode::Record:
            return mRecord->bmiHeader.biWidth;
        case Mode::Bytes:
            return mLayout.width;
        default:
            return 0;
    }
}

std::int64_t PictureRows::Height() const {
    switch (mMode) {
        case Mode::Record:
            return mRecord->bmiHeader.biHeight;
        case Mode::Bytes:
            return mLayout.height;
        default:
            return 0;
    }
}

bool PictureRows::Prepare(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) {
    const std::int64_t w = Width();
    const std::int64_t h = Height();
    if (x0 < 0 || y0 < 0 || x1 > w || y1 > h || x0 >= x1 || y0 >= y1) {
        return false;
    }
    if (mMode == Mode::Record) {
        return static_cast<std::int64_t>(mRecord->bits.size()) >= RowStride(w) * h;
    }
    if (mMode != Mode::Bytes) {
        return false;
    }
    if (x0 >= mCx0 && x1 <= mCx1 && y0 >= mCy0 && y1 <= mCy1) {
        return true;
    }
    // Decode a margin around the request, so that the next scroll steps find their rows here;
    // the margin shrinks when it would not fit the cache.
    std::int64_t marginX = x1 - x0;
    std::int64_t marginY = y1 - y0;
    const std::int64_t unit = PixelBytes();
    const std::int64_t cachePixels = mCacheBytes / unit;
    auto area = [&](std::int64_t mx, std::int64_t my) {
        const std::int64_t cols = std::min(w, x1 + mx) - std::max<std::int64_t>(0, x0 - mx);
        const std::int64_t rows = std::min(h, y1 + my) - std::max<std::int64_t>(0, y0 - my);
        return cols > cachePixels / rows ? cachePixels + 1 : cols * rows;
    };
    while (marginY > 0 && area(marginX, marginY) > cachePixels) {
        marginY /= 2;
    }
    while (marginX > 0 && area(marginX, marginY) > cachePixels) {
        marginX /= 2;
    }
    const std::int64_t nx0 = std::max<std::int64_t>(0, x0 - marginX);
    const std::int64_t nx1 = std::min(w, x1 + marginX);
    const std::int64_t ny0 = std::max<std::int64_t>(0, y0 - marginY);
    const std::int64_t ny1 = std::min(h, y1 + marginY);
    const std::int64_t cols = nx1 - nx0;

    std::vector<std::uint8_t> next;
    try {
        next.resize(static_cast<std::size_t>(cols * (ny1 - ny0) * unit));
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    // Rows already decoded for the same columns are copied: a vertical scroll decodes only
    // the rows that came into the margin.
    const bool sameColumns = nx0 == mCx0 && nx1 == mCx1;
    const std::int64_t line = cols * unit;
    for (std::int64_t y = ny0; y < ny1; ++y) {
        std::uint8_t* dst = next.data() + (y - ny0) * line;
        if (sameColumns && y >= mCy0 && y < mCy1) {
            std::memcpy(dst, mCache.data() + (y - mCy0) * line, static_cast<std::size_t>(line));
        } else {
            DecodeRow(y, nx0, cols, dst);
            mDecoded += cols;
        }
    }
    mCache = std::move(next);
    mCx0 = nx0;
    mCx1 = nx1;
    mCy0 = ny0;
    mCy1 = ny1;
    return true;
}

void PictureRows::DecodeRow(std::int64_t y, std::int64_t x0, std::int64_t count,
                            std::uint8_t* dst) {
    if (!mScale) {
        core::DecodeRows(mLayout, mData, y, y + 1, x0, count, dst, 0);
    } else {
        // Gray16 decodes to values, which become opaque greys.
        mValues.resize(static_cast<std::size_t>(count));
        core::DecodeRows(mLayout, mData, y, y + 1, x0, count,
                         reinterpret_cast<std::uint8_t*>(mValues.data()), 0);
        for (const std::uint16_t v : mValues) {
            const std::uint32_t g = (*mScale)(v);
            const std::uint32_t grey = 0xFF000000u | g << 16 | g << 8 | g;
            std::memcpy(dst, &grey, 4);
            dst += 4;
        }
    }
}

const std::uint8_t* PictureRows::Row(std::int64_t y, std::int64_t x) const {
    if (mMode == Mode::Record) {
        const std::int64_t w = Width();
        return mRecord->bits.data() + (Height() - 1 - y) * RowStride(w) + x;
    }
    return mCache.data() + ((y - mCy0) * (mCx1 - mCx0) + (x - mCx0)) * PixelBytes();
}

}  // namespace rastel::core
