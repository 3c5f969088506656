// The built-in palettes and the preview strip of the settings dialog.
#pragma once

#include <cstdint>

#include "image/pixels/modBITMAPinfo.h"

namespace rastel::modBITMAPinfo {

// Fills the entries of the palette (image.bmiColors) that the palette choice and depth name; every
// other entry keeps its value. custom is the custom palette's 256 entries (choice 6).
void BuildPalette(Palette& palette, std::int32_t choice, std::int32_t depth, const Palette& custom);
void BuildPalette(DibImage& image, std::int32_t choice, std::int32_t depth, const Palette& custom);

// Makes image a 256 x 16 strip that shows every palette index of the depth left to right.
void BuildPaletteStrip(DibImage& image, std::int32_t depth);

}  // namespace rastel::modBITMAPinfo
