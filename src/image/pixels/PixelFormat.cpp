#include "image/pixels/PixelFormat.h"

#include <algorithm>
#include <limits>

namespace rastel::core {

const PixelFormat* IndexFormat(std::int32_t depth, std::int32_t order) {
    const auto* found =
        std::find_if(kFormats.begin(), kFormats.begin() + kIndexFormats,
                     [&](const PixelFormat& f) { return f.depth == depth && f.order == order; });
    return found == kFormats.begin() + kIndexFormats ? nullptr : found;
}

const PixelFormat* FindFormat(std::string_view name) {
    const auto found = std::find_if(kColourFormats.begin(), kColourFormats.end(),
                                    [name](const PixelFormat& f) { return f.name == name; });
    return found == kColourFormats.end() ? nullptr : &*found;
}

std::string FormatNames(std::string_view separator) {
    std::string names;
    for (const PixelFormat& f : kColourFormats) {
        names += names.empty() ? "" : separator;
        names += f.name;
    }
    return names;
}

const PixelFormat* ChosenFormat(std::int32_t choice) {
    return choice >= 1 && choice <= static_cast<std::int32_t>(kColourFormats.size())
               ? &kColourFormats[static_cast<std::size_t>(choice - 1)]
               : nullptr;
}

std::int32_t ChoiceOf(const PixelFormat& format) {
    return format.family == FormatFamily::Indices
               ? 0
               : static_cast<std::int32_t>(&format - kColourFormats.data()) + 1;
}

FormatLayout FormatLayout::For(const PixelFormat& format, std::int64_t fileSize, std::int64_t width,
                               std::int64_t offset, std::int64_t stride) {
    return {&format, width, FormatHeight(format, fileSize, width, stride), offset, stride};
}

std::int64_t FormatLayout::byteOf(std::int64_t y, std::int64_t x) const {
    __extension__ using Wide = __int128;  // any 64-bit product plus two 64-bit terms
    const Wide b =
        static_cast<Wide>(y) * rowBytes() + static_cast<Wide>(x) * format->bytes + offset;
    return static_cast<std::int64_t>(std::clamp<Wide>(b, std::numeric_limits<std::int64_t>::min(),
                                                      std::numeric_limits<std::int64_t>::max()));
}

std::int64_t FormatPixelCount(const PixelFormat& format, std::int64_t fileSize) {
    return (fileSize + format.bytes - 1) / format.bytes;
}

std::int64_t FormatHeight(const PixelFormat& format, std::int64_t fileSize, std::int64_t width,
                          std::int64_t stride) {
    if (stride != 0) {
        return (fileSize + stride - 1) / stride;
    }
    const std::int64_t pixels = FormatPixelCount(format, fileSize);
    return (pixels + width - 1) / width;
}

namespace {

Outcome Problem(Outcome::Why why) {
    return Outcome::Refused(why, why == Outcome::Why::kOffsetTooLarge ? ERANGE : EINVAL);
}

}  // namespace

Outcome CheckFormatWidth(const PixelFormat& format, std::int64_t fileSize, std::int64_t width) {
    if (fileSize < format.bytes) {
        return Problem(Outcome::Why::kFileTooShort);
    }
    if (width < 1) {
        return Problem(Outcome::Why::kWidthTooSmall);
    }
    return width > FormatPixelCount(format, fileSize) ? Problem(Outcome::Why::kWidthTooLarge)
                                                      : Outcome{};
}

Outcome CheckStride(const PixelFormat& format, std::int64_t width, std::int64_t stride) {
    if (stride > kMaxStride) {
        return Problem(Outcome::Why::kStrideTooLarge);
    }
    // A width past the limit would make the product overflow; its rows fit no stride anyway.
    const bool fits = stride == 0 || (stride > 0 && width <= stride / format.bytes);
    return fits ? Outcome{} : Problem(Outcome::Why::kStrideTooSmall);
}

Outcome CheckByteOffset(std::int64_t offset) {
    return offset > -kOffsetLimit && offset < kOffsetLimit ? Outcome{}
                                                           : Problem(Outcome::Why::kOffsetTooLarge);
}

Outcome CheckFormatLayout(const PixelFormat& format, std::int64_t fileSize, std::int64_t width,
                          std::int64_t offset, std::int64_t stride) {
    for (Outcome p : {CheckFormatWidth(format, fileSize, width), CheckStride(format, width, stride),
                      CheckByteOffset(offset)}) {
        if (!p.ok()) {
            return p;
        }
    }
    return {};
}

}  // namespace rastel::core
