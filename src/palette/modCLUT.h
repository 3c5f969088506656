// The custom palette the palette editor edits and the palette builder copies from.
#pragma once

#include <cstdint>

#include "image/modBITMAPinfo.h"

namespace rastel::modCLUT {

// Laid out as the head of an image record: a header area nothing reads, then the entries.
struct CustomPalette {
    std::uint8_t header[40] = {};
    modBITMAPinfo::Palette colors = {};
};

// Black at start; lives for the whole run.
extern CustomPalette gCustomPal;

}  // namespace rastel::modCLUT
