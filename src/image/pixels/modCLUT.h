// The custom palette the palette editor edits and the palette builder copies from.
#pragma once

#include <cstdint>
#include <string>

#include "image/pixels/modBITMAPinfo.h"

namespace rastel::modCLUT {

// Laid out as the head of an image record: a header area nothing reads, then the entries.
struct CustomPalette {
    std::uint8_t header[40] = {};
    modBITMAPinfo::Palette colors = {};
};

// Black at start; lives for the whole run.
extern CustomPalette gCustomPal;

// Fills the entries strictly between a and z with colours stepped from entry a's towards
// entry z's, each component separately, walking from a. The steps truncate toward zero, so
// they lean to a's side and a gradient from z to a is not the mirror of one from a to z.
// Returns false, writing nothing, when no entry lies between them or an index is not 0..255.
bool Gradient(modBITMAPinfo::Palette& colors, int a, int z);

// The palette editor's hover readout for an entry, UTF-8:
// "パレット番号 10(0A) | R:255 G:128 B:  0[#0080FF]" (the hex part is blue, green, red).
std::string ReadoutText(int index, const modBITMAPinfo::RGBQUAD& color);

}  // namespace rastel::modCLUT
