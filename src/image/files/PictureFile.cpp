#include "image/files/PictureFile.h"

#include <new>

#include "image/files/FormatFile.h"
#include "image/files/PngFile.h"

namespace rastel::core {

using namespace modBITMAPinfo;

namespace {

// Done when the format can describe the picture; checked before anything is written.
Outcome Fits(FileFormat format, const Picture& picture) {
    const std::int64_t width = picture.width(), height = picture.height();
    if (picture.FitsIn(format)) {
        return {};
    }
    return Outcome::TooLarge("a picture of " + std::to_string(width) + " x " +
                             std::to_string(height) + " pixels is too large for a " +
                             (format == FileFormat::kPng ? "PNG" : "BMP") + " file");
}

}  // namespace

FileFormat FormatOf(std::string_view name) {
    return NamesPng(name) ? FileFormat::kPng : FileFormat::kBmp;
}

bool FormatHolds(FileFormat format, std::int64_t width, std::int64_t height) {
    switch (format) {
        case FileFormat::kPng:
            return PngCanHold(width, height);
        case FileFormat::kBmp:
            break;
    }
    return CheckBmpGeometry(width, height).ok();
}

Picture Picture::Held(const DibImage& image) {
    Picture p;
    p.mRecord = &image;
    p.mPalette = &image.bmiColors;
    return p;
}

Picture Picture::Streamed(const Layout& layout, const modBITMAPinfo::Palette& palette,
                          ByteSource& source, std::optional<Range16> grey) {
    return layout.indexed() ? Streamed(layout.Indices(), palette, source)
                            : Streamed(layout.Colours(), source, grey);
}

Picture Picture::Streamed(const DecodeLayout& layout, const Palette& palette, ByteSource& source) {
    Picture p;
    p.mLayout = layout;
    p.mPalette = &palette;
    p.mSource = &source;
    return p;
}

Picture Picture::Streamed(const FormatLayout& layout, ByteSource& source,
                          std::optional<Range16> grey) {
    Picture p;
    p.mFormat = layout;
    p.mGrey = grey;
    p.mSource = &source;
    return p;
}

std::int64_t Picture::width() const {
    return mFormat              ? mFormat->width
           : mRecord != nullptr ? mRecord->bmiHeader.biWidth
                                : mLayout.width;
}

std::int64_t Picture::height() const {
    return mFormat              ? mFormat->height
           : mRecord != nullptr ? mRecord->bmiHeader.biHeight
                                : mLayout.height;
}

bool Picture::FitsIn(FileFormat format) const {
    if (mFormat && format == FileFormat::kBmp) {
        return BmpHolds(FormatBmpBits(*mFormat->format), width(), height());
    }
    return FormatHolds(format, width(), height());
}

Outcome WritePicture(ByteSink& sink, FileFormat format, const Picture& picture,
                     const WriteProgress& progress) {
    if (Outcome fits = Fits(format, picture); !fits.ok()) {
        return fits;
    }
    const DibImage* record = picture.mRecord;
    try {
        if (const auto& layout = picture.mFormat) {
            if (format == FileFormat::kBmp) {
                return WriteFormatBmp(sink, *layout, *picture.mSource, picture.mGrey, progress);
            }
            return WritePng(sink, {.width = layout->width,
                                   .height = layout->height,
                                   .pixels = FormatPngPixels(*layout->format),
                                   .rows = FormatPngRows(*layout, *picture.mSource),
                                   .progress = progress});
        }
        switch (format) {
            case FileFormat::kPng:
                return WritePng(sink, {.width = picture.width(),
                                       .height = picture.height(),
                                       .palette = picture.mPalette,
                                       .rows = record != nullptr
                                                   ? RecordRows(*record)
                                                   : DecodedRows(picture.mLayout, *picture.mSource),
                                       .progress = progress});
            case FileFormat::kBmp:
                break;
        }
        return record != nullptr ? WriteBmp(sink, *record, progress)
                                 : WriteBmpStreamed(sink, picture.mLayout, *picture.mPalette,
                                                    *picture.mSource, progress);
    } catch (const std::bad_alloc&) {  // the decoder's buffers, say
        return Outcome::OutOfMemory("not enough memory to write the picture");
    }
}

Outcome WritePicture(const std::string& path, const Picture& picture,
                     const WriteProgress& progress) {
    const FileFormat format = FormatOf(path);
    if (Outcome fits = Fits(format, picture); !fits.ok()) {
        return fits;  // before a file is made
    }
    AtomicFile file(path);
    const Outcome written = WritePicture(file, format, picture, progress);
    return written.ok() ? file.Commit() : written;
}

}  // namespace rastel::core
