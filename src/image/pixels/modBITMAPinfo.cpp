#include "image/pixels/modBITMAPinfo.h"

#include <algorithm>
#include <iterator>

#include "image/pixels/PixelFormat.h"

namespace rastel::modBITMAPinfo {

DibImage gDib;
SharedBytes gRawData;

ViewChoice ChoiceOf(const DibImage& image) {
    ViewChoice choice;
    choice.settings = image.settings;
    std::copy(std::begin(image.bmiColors), std::end(image.bmiColors), std::begin(choice.palette));
    return choice;
}

std::int32_t CurrentOrder(const ViewSettings& s) {
    switch (s.gColBit) {
        case kDepth256:
            return s.gArray256;
        case kDepth16:
            return s.gArray16;
        case kDepth2:
            return s.gArray2;
        default:
            return -1;
    }
}

std::int32_t OrderCount(std::int32_t depth) {
    switch (depth) {
        case kDepth256:
        case kDepth16:
            return 3;
        case kDepth2:
            return 2;
        default:
            return 0;
    }
}

void SetForNewFile(ViewSettings& s, const std::string& path, std::int64_t size) {
    s.gFileSize = size;
    s.gFileName = path;
    s.gPicWidth = DefaultWidth(size);
    s.gPicHeight = (size - 1) / s.gPicWidth + 1;
    s.gOffA = 0;
    s.gUseOffset = false;
    // A stride belongs to the file it was set for; a format is kept, as the depth is, with the
    // width in its pixels.
    s.gStride = 0;
    if (const core::PixelFormat* format = s.gFormat) {
        s.gPicWidth = std::min(s.gPicWidth, core::FormatPixelCount(*format, size));
        s.gPicHeight = core::FormatHeight(*format, size, s.gPicWidth, 0);
    }
}

void ClearPicture(DibImage& image) {
    image.bits.assign(1, 0);
    image.settings.gFileName.clear();
}

}  // namespace rastel::modBITMAPinfo
