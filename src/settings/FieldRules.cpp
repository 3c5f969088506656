#include "settings/FieldRules.h"

#include "image/modBITMAPinfo.h"

namespace rastel::fieldRules {

std::int64_t PixelCount(std::int64_t fileSize, std::int32_t depth) {
    return fileSize * modBITMAPinfo::PixelsPerByte(depth);
}

std::int64_t HeightForWidth(std::int64_t pixels, std::int64_t width) {
    return pixels / width + (pixels % width != 0 ? 1 : 0);
}

}  // namespace rastel::fieldRules
