// The palette indices the view paints, whichever way the picture is held: as a decoded record,
// or only as the file's bytes, decoded a rectangle at a time around what is in view.
#pragma once

#include <cstdint>
#include <vector>

#include "image/PixelDecoder.h"
#include "image/modBITMAPinfo.h"

namespace rastel::core {

class PictureRows {
  public:
    // Bytes of decoded pixels kept around the view when decoding on demand.
    static constexpr std::int64_t kDefaultCacheBytes = std::int64_t{48} << 20;

    // Rows straight from a record's pixel array; the record must outlive this use.
    void ShowRecord(const modBITMAPinfo::DibImage& image);
    // Rows decoded on demand from data; data must stay alive and unchanged meanwhile.
    void ShowBytes(const modBITMAPinfo::DecodeLayout& layout, modBITMAPinfo::ByteSpan data,
                   std::int64_t cacheBytes = kDefaultCacheBytes);
    void Clear();

    bool Empty() const { return mMode == Mode::None; }
    bool FromRecord() const { return mMode == Mode::Record; }
    // What ShowBytes was given.
    const modBITMAPinfo::DecodeLayout& Layout() const { return mLayout; }
    modBITMAPinfo::ByteSpan Data() const { return mData; }
    // The record's size is read when asked, so a record decoded again is shown as it is now.
    std::int64_t Width() const;
    std::int64_t Height() const;

    // Makes columns [x0, x1) of rows [y0, y1) readable through Row; the range must lie inside
    // the picture. False when those pixels cannot be had (a record that does not cover its
    // header, or no memory for them): paint nothing then.
    bool Prepare(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1);
    // Pixel (x, y) and those right of it up to the prepared x1; row 0 is the top.
    const std::uint8_t* Row(std::int64_t y, std::int64_t x) const;

    // How many pixels were decoded since ShowBytes: lets tests see that scrolling reuses rows.
    std::int64_t DecodedPixels() const { return mDecoded; }

  private:
    enum class Mode { None, Record, Bytes };

    Mode mMode = Mode::None;

    const modBITMAPinfo::DibImage* mRecord = nullptr;

    modBITMAPinfo::DecodeLayout mLayout;
    modBITMAPinfo::ByteSpan mData;
    std::int64_t mCacheBytes = kDefaultCacheBytes;
    // The decoded rectangle: columns [mCx0, mCx1) of rows [mCy0, mCy1), row by row.
    std::vector<std::uint8_t> mCache;
    std::int64_t mCx0 = 0, mCy0 = 0, mCx1 = 0, mCy1 = 0;
    std::int64_t mDecoded = 0;
};

}  // namespace rastel::core
