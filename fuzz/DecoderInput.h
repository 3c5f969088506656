// Picture settings read from a fuzz input, shared by the decoder and the BMP writer checks.
#pragma once

#include "Check.h"
#include "image/pixels/PixelDecoder.h"
#include "image/pixels/PixelFormat.h"

namespace rastel::fuzz {

struct DecoderInput {
    modBITMAPinfo::ViewSettings view;    // with the offset in use
    modBITMAPinfo::DecodeLayout layout;  // the same, as the decoder sees it
};

// Depth and order include unknown values; the picture stays small (at most 16384 pixels);
// the offset is small, 32-bit or any 64-bit value.
DecoderInput ReadDecoderInput(InputReader& in);

// A picture in a direct format: any of the table, a small picture (at most 16384 pixels), an
// offset in bytes as above, and rows packed, padded, overlapping or up to the longest stride;
// for planes, frames of any height.
core::FormatLayout ReadFormatInput(InputReader& in);

}  // namespace rastel::fuzz
