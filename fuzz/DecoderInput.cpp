#include "DecoderInput.h"

#include <algorithm>

namespace rastel::fuzz {

using namespace modBITMAPinfo;

DecoderInput ReadDecoderInput(InputReader& in) {
    static constexpr std::int32_t kDepths[] = {kDepth256, kDepth16, kDepth2, kDepth256,
                                               kDepth16,  kDepth2,  -1,      3};
    const std::int32_t depth = kDepths[in.u8() % 8];
    const std::uint8_t o = in.u8();
    // Mostly the orders of the lists, sometimes one outside them (-16 .. 15).
    const std::int32_t order = o < 224 ? o % 3 : o - 240;
    const std::int64_t width = in.range(1, 1024);
    const std::int64_t height = in.range(1, std::max<std::int64_t>(1, 16384 / width));
    std::int64_t offset = 0;
    switch (in.u8() % 4) {
        case 0:
            break;
        case 1:
            offset = static_cast<std::int16_t>(in.u16());
            break;
        case 2:
            offset = static_cast<std::int32_t>(in.u32());
            break;
        default:
            offset = in.i64();
            break;
    }
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

}  // namespace rastel::fuzz
