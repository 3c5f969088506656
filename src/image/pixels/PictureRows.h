// The pixels the view paints, whichever way the picture is held: palette indices of a decoded
// record, or any layout of the file's bytes decoded a rectangle at a time around what is in
// view.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "image/pixels/FormatDisplay.h"
#include "image/pixels/Layout.h"
#include "image/pixels/PixelDecoder.h"
#include "image/pixels/modBITMAPinfo.h"

namespace rastel::core {

// The largest pixel array a picture is held whole in: the row cache's size, or on a small
// machine a quarter of its memory. Beyond it the rows in view are decoded from the bytes.
std::int64_t HoldBudget();

class PictureRows {
  public:
    // Bytes of decoded pixels kept around the view when decoding on demand.
    static constexpr std::int64_t kDefaultCacheBytes = std::int64_t{48} << 20;

    // Rows straight from a record's pixel array; the record must outlive this use.
    void ShowRecord(const modBITMAPinfo::DibImage& image);
    // Rows decoded on demand from data, which must stay alive and unchanged meanwhile: palette
    // indices, or the colours of a format as 0xAARRGGBB (alpha as stored, 255 where the format
    // has none), gray16 spread over grey's range as GreyLevel says.
    void ShowBytes(const core::Layout& layout, ByteSpan data, Range16 grey = {},
                   std::int64_t cacheBytes = kDefaultCacheBytes);
    void Clear();

    bool Empty() const { return mMode == Mode::None; }
    bool FromRecord() const { return mMode == Mode::Record; }
    // Colours, not palette indices.
    bool FromFormat() const { return mMode == Mode::Bytes && !mLayout.indexed(); }
    Range16 GreyRange() const { return mGrey; }
    // Bytes of one pixel that Row hands out: 1, a palette index; 4, a colour.
    int PixelBytes() const { return FromFormat() ? 4 : 1; }
    // What ShowBytes was given.
    const core::Layout& Layout() const { return mLayout; }
    ByteSpan Data() const { return mData; }
    // The record's size is read when asked, so a record decoded again is shown as it is now.
    std::int64_t Width() const;
    std::int64_t Height() const;

    // Makes columns [x0, x1) of rows [y0, y1) readable through Row; the range must lie inside
    // the picture. False when those pixels cannot be had (a record that does not cover its
    // header, or no memory for them): paint nothing then.
    bool Prepare(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1);
    // Pixel (x, y) and those right of it up to the prepared x1, PixelBytes each; row 0 is the
    // top.
    const std::uint8_t* Row(std::int64_t y, std::int64_t x) const;

    // How many pixels were decoded since ShowBytes: lets tests see that scrolling reuses rows.
    std::int64_t DecodedPixels() const { return mDecoded; }

  private:
    enum class Mode { None, Record, Bytes };

    // Columns [x0, x0 + count) of row y into dst.
    void DecodeRow(std::int64_t y, std::int64_t x0, std::int64_t count, std::uint8_t* dst);

    Mode mMode = Mode::None;

    const modBITMAPinfo::DibImage* mRecord = nullptr;

    core::Layout mLayout;
    Range16 mGrey;
    std::optional<GreyScale> mScale;     // gray16: its grey level per value
    std::vector<std::uint16_t> mValues;  // gray16: a row of values on their way to greys
    ByteSpan mData;
    std::int64_t mCacheBytes = kDefaultCacheBytes;
    // The decoded rectangle: columns [mCx0, mCx1) of rows [mCy0, mCy1), row by row.
    std::vector<std::uint8_t> mCache;
    std::int64_t mCx0 = 0, mCy0 = 0, mCx1 = 0, mCy1 = 0;
    std::int64_t mDecoded = 0;
};

}  // namespace rastel::core
