#include "image/PictureRows.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

namespace rastel::modBITMAPinfo {

void PictureRows::ShowRecord(const DibImage& image) {
    Clear();
    mode_ = Mode::Record;
    record_ = &image;
}

void PictureRows::ShowBytes(const DecodeLayout& layout, ByteSpan data, std::int64_t cacheBytes) {
    Clear();
    mode_ = Mode::Bytes;
    layout_ = layout;
    data_ = data;
    cacheBytes_ = cacheBytes;
}

void PictureRows::Clear() {
    mode_ = Mode::None;
    record_ = nullptr;
    data_ = {};
    std::vector<std::uint8_t>().swap(cache_);
    cx0_ = cy0_ = cx1_ = cy1_ = 0;
    decoded_ = 0;
}

std::int64_t PictureRows::Width() const {
    switch (mode_) {
        case Mode::Record:
            return record_->bmiHeader.biWidth;
        case Mode::Bytes:
            return layout_.width;
        default:
            return 0;
    }
}

std::int64_t PictureRows::Height() const {
    switch (mode_) {
        case Mode::Record:
            return record_->bmiHeader.biHeight;
        case Mode::Bytes:
            return layout_.height;
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
    if (mode_ == Mode::Record) {
        return static_cast<std::int64_t>(record_->bits.size()) >= RowStride(w) * h;
    }
    if (mode_ != Mode::Bytes) {
        return false;
    }
    if (x0 >= cx0_ && x1 <= cx1_ && y0 >= cy0_ && y1 <= cy1_) {
        return true;
    }
    // Decode a margin around the request, so that the next scroll steps find their rows here;
    // the margin shrinks when it would not fit the cache.
    std::int64_t marginX = x1 - x0;
    std::int64_t marginY = y1 - y0;
    auto area = [&](std::int64_t mx, std::int64_t my) {
        const std::int64_t cols = std::min(w, x1 + mx) - std::max<std::int64_t>(0, x0 - mx);
        const std::int64_t rows = std::min(h, y1 + my) - std::max<std::int64_t>(0, y0 - my);
        return cols > cacheBytes_ / rows ? cacheBytes_ + 1 : cols * rows;
    };
    while (marginY > 0 && area(marginX, marginY) > cacheBytes_) {
        marginY /= 2;
    }
    while (marginX > 0 && area(marginX, marginY) > cacheBytes_) {
        marginX /= 2;
    }
    const std::int64_t nx0 = std::max<std::int64_t>(0, x0 - marginX);
    const std::int64_t nx1 = std::min(w, x1 + marginX);
    const std::int64_t ny0 = std::max<std::int64_t>(0, y0 - marginY);
    const std::int64_t ny1 = std::min(h, y1 + marginY);
    const std::int64_t cols = nx1 - nx0;

    std::vector<std::uint8_t> next;
    try {
        next.resize(static_cast<std::size_t>(cols * (ny1 - ny0)));
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    // Rows already decoded for the same columns are copied: a vertical scroll decodes only
    // the rows that came into the margin.
    const bool sameColumns = nx0 == cx0_ && nx1 == cx1_;
    for (std::int64_t y = ny0; y < ny1; ++y) {
        std::uint8_t* dst = next.data() + (y - ny0) * cols;
        if (sameColumns && y >= cy0_ && y < cy1_) {
            std::memcpy(dst, cache_.data() + (y - cy0_) * cols, static_cast<std::size_t>(cols));
        } else {
            // Held at the 64-bit limits, as the whole decode holds it: wrapping round would
            // bring a position far past the data back inside it.
            DecodeRun(layout_.depth, layout_.order, data_, layout_.position(y, nx0), cols, dst);
            decoded_ += cols;
        }
    }
    cache_ = std::move(next);
    cx0_ = nx0;
    cx1_ = nx1;
    cy0_ = ny0;
    cy1_ = ny1;
    return true;
}

const std::uint8_t* PictureRows::Row(std::int64_t y, std::int64_t x) const {
    if (mode_ == Mode::Record) {
        const std::int64_t w = Width();
        return record_->bits.data() + (Height() - 1 - y) * RowStride(w) + x;
    }
    return cache_.data() + (y - cy0_) * (cx1_ - cx0_) + (x - cx0_);
}

}  // namespace rastel::modBITMAPinfo
