#include "DecoderInput.h"

#include <algorithm>

namespace rastel::fuzz {

using namespace modBITMAPinfo;

namespace {

std::int64_t ReadOffset(InputReader& in) {
    switch (in.u8() % 4) {
        case 0:
            return 0;
        case 1:
            return static_cast<std::int16_t>(in.u16());
        case 2:
            return static_cast<std::int32_t>(in.u32());
        default:
            return in.i64();
    }
}

}  // namespace

DecoderInput ReadDecoderInput(InputReader& in) {
    static constexpr std::int32_t kDepths[] = {kDepth256, kDepth16, kDepth2, kDepth256,
                                               kDepth16,  kDepth2,  -1,      3};
    const std::int32_t depth = kDepths[in.u8() % 8];
    const std::uint8_t o = in.u8();
    // Mostly the orders of the lists, sometimes one outside them (-16 .. 15).
    const std::int32_t order = o < 224 ? o % 3 : o - 240;
    const std::int64_t width = in.range(1, 1024);
    const std::int64_t height = in.range(1, std::max<std::int64_t>(1, 16384 / width));
    const std::int64_t offset = ReadOffset(in);
    DecoderInput result;
    ViewSettings& s = result.view;
    s.gColBit = depth;
    s.gArray256 = s.gArray16 = s.gArray2 = order;
    s.gPicWidth = width;
    s.gPicHeight = height;
    s.gUseOffset = offset != 0;
    s.gOffA = offset;
    result.layout = DecodeLayout::From(s, offset);
    return result;
}

core::FormatLayout ReadFormatInput(InputReader& in) {
    core::FormatLayout l;
    l.format = &core::kColourFormats[in.u8() % core::kColourFormats.size()];
    l.width = in.range(1, 1024);
    l.height = in.range(1, std::max<std::int64_t>(1, 16384 / l.width));
    l.offset = ReadOffset(in);
    const std::int64_t row = l.width * l.format->bytes;
    switch (in.u8() % 4) {
        case 0:
            break;
        case 1:
            l.stride = row + in.u8();
            break;
        case 2:
            l.stride = in.range(1, core::kMaxStride);
            break;
        default:
            l.stride = in.u16();  // rows may overlap: the decoders must agree all the same
            break;
    }
    if (l.planar()) {
        l.frameHeight = in.range(0, l.height);  // 0: one frame
    }
    return l;
}

}  // namespace rastel::fuzz
