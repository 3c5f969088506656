// The one road of a picture to a file, the window's export and the renderer's alike: a picture
// held whole or decoded on its way, written as a BMP or a PNG file, to a path or an open sink,
// with progress and cancel, ending in one outcome that says why when it did not go through.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "image/base/ByteSource.h"
#include "image/base/FileSink.h"
#include "image/base/Outcome.h"
#include "image/files/BmpFile.h"
#include "image/pixels/FormatDecoder.h"
#include "image/pixels/Layout.h"
#include "image/pixels/PixelDecoder.h"
#include "image/pixels/modBITMAPinfo.h"

namespace rastel::core {

enum class FileFormat { kBmp, kPng };

// PNG for a name ending in ".png", in any case; BMP for any other.
FileFormat FormatOf(std::string_view name);

// Whether the format's header can describe a picture of palette indices of this size.
bool FormatHolds(FileFormat format, std::int64_t width, std::int64_t height);

// A picture on its way to a file: 8-bit palette indices, held whole in a decoded record or
// decoded from the file's bytes as they are written (either way the files are the same); or
// the colours of a direct format, decoded from the file's bytes on their way.
class Picture {
  public:
    // The record as it stands: its header, palette and pixel array. It must outlive the write.
    static Picture Held(const modBITMAPinfo::DibImage& image);
    // Rows decoded from source on their way; palette and source must outlive the write.
    static Picture Streamed(const modBITMAPinfo::DecodeLayout& layout,
                            const modBITMAPinfo::Palette& palette, ByteSource& source);

    // The picture of any layout, decoded from source on its way: palette indices through
    // palette, or the colours of a format as the next says.
    static Picture Streamed(const Layout& layout, const modBITMAPinfo::Palette& palette,
                            ByteSource& source, std::optional<Range16> grey = std::nullopt);

    // Pixels of a direct format decoded from source on their way; source must outlive the
    // write. gray16's BMP spreads the values from grey.lo to grey.hi over the grey levels: the
    // range the screen shows them with, or, without one, the picture's own, measured first.
    static Picture Streamed(const FormatLayout& layout, ByteSource& source,
                            std::optional<Range16> grey = std::nullopt);

    std::int64_t width() const;
    std::int64_t height() const;
    // Whether the format's header can describe it: a BMP of colours takes 3 or 4 bytes a
    // pixel where one of indices or grey levels takes 1.
    bool FitsIn(FileFormat format) const;

  private:
    friend Outcome WritePicture(ByteSink&, FileFormat, const Picture&, const WriteProgress&);

    std::optional<FormatLayout> mFormat;
    std::optional<Range16> mGrey;
    const modBITMAPinfo::DibImage* mRecord = nullptr;
    modBITMAPinfo::DecodeLayout mLayout{};
    const modBITMAPinfo::Palette* mPalette = nullptr;
    ByteSource* mSource = nullptr;
};

// Writes picture in format to sink, reporting the rows written through progress (false
// cancels). Done, or why not: too large for the format (nothing written), cancelled, out of
// memory, the picture's bytes unreadable, or the sink's failure.
Outcome WritePicture(ByteSink& sink, FileFormat format, const Picture& picture,
                     const WriteProgress& progress = {});

// The same to a file at path, in the format its name asks for. The file appears only once it
// is whole: a write that fails or is cancelled leaves nothing, and any file of that name as
// it was.
Outcome WritePicture(const std::string& path, const Picture& picture,
                     const WriteProgress& progress = {});

}  // namespace rastel::core
