#include "image/pixels/FormatDisplay.h"

#include <algorithm>

namespace rastel::core {

std::uint8_t GreyLevel(std::uint16_t v, Range16 range) {
    if (range.lo >= range.hi) {
        return static_cast<std::uint8_t>(v >> 8);
    }
    const std::uint32_t span = range.hi - range.lo;
    const std::uint32_t from = std::clamp(v, range.lo, range.hi) - range.lo;
    return static_cast<std::uint8_t>((from * 255 + span / 2) / span);
}

GreyScale::GreyScale(Range16 range) : mLevels(65536) {
    for (std::uint32_t v = 0; v < mLevels.size(); ++v) {
        mLevels[v] = GreyLevel(static_cast<std::uint16_t>(v), range);
    }
}

void GreyScale::Row(const std::uint16_t* values, std::int64_t count, std::uint8_t* out) const {
    for (std::int64_t i = 0; i < count; ++i) {
        out[i] = mLevels[values[i]];
    }
}

void GreyMeter::Arrived(ByteSpan data, std::int64_t arrived) {
    const FormatLayout& l = mLayout;
    // Rows whose last pixel ends at or before `arrived`; rows reaching past the file's end
    // wait for Done.
    const std::int64_t last = arrived - l.offset - l.width * l.format->bytes;
    const std::int64_t ready = last < 0 ? 0 : std::min(l.height, last / l.rowBytes() + 1);
    if (ready > mRows) {
        mRange.Add(Gray16Range(l, data, mRows, ready));
        mRows = ready;
    }
}

Range16 GreyMeter::Done(ByteSpan data) {
    if (mRows < mLayout.height) {
        mRange.Add(Gray16Range(mLayout, data, mRows, mLayout.height));
        mRows = mLayout.height;
    }
    return mRange;
}

}  // namespace rastel::core
