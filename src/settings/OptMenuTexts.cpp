#include "settings/OptMenuTexts.h"

#include "image/pixels/modBITMAPinfo.h"

namespace rastel::optMenuTexts {

using namespace modBITMAPinfo;

std::vector<std::string_view> OrderItems(std::int32_t depth) {
    switch (depth) {
        case kDepth256:
            return {"Byte   格納された順番通り", "Single (２バイト : 2121…)",
                    "Long   (４バイト : 4321…)"};
        case kDepth16:
            return {"下位(小)→上位(大)　　1212…", "上位(大)→下位(小)　　2121…",
                    "2上→2下→1上→1下　　4321…"};
        case kDepth2:
            return {"順列　　12345678…", "逆列　　87654321…"};
        default:
            return {};
    }
}

std::string_view MinIndexText(std::int32_t depth) {
    return depth == kDepth256 ? "00" : "0";
}

std::string_view MaxIndexText(std::int32_t depth) {
    switch (depth) {
        case kDepth16:
            return "F";
        case kDepth2:
            return "1";
        default:
            return "FF";
    }
}

std::string_view PaletteDescription(std::int32_t choice, std::int32_t depth) {
    const bool twoColours = depth == kDepth2;
    switch (choice) {
        case kPalGrey:
            return twoColours ? "0=黒、1=白" : "黒から白のグラデーション";
        case kPalThermo:
            return twoColours ? "0=緑、1=赤" : "緑→オレンジ→赤のグラデーション";
        case kPalBinary:
            switch (depth) {
                case kDepth16:
                    return "解析用:0白､1-7水色､8-E赤､F黒";
                case kDepth2:
                    return "0=水色､1=赤";
                default:
                    return "解析用:00白､01-1F水色､20-7F赤､80-FE紺､FF黒";
            }
        case kPalCustom:
            return "カスタム設定です。自由に設定できます";
        default:
            return {};
    }
}

std::string_view Tip(int index) {
    static constexpr std::string_view kTips[kTipCount] = {
        "展開する単位。見え方が大きく変わります",
        "順番を入れ替えることによって、見え方を変えます",
        "着色の仕方を決めます。カスタムで自由に着色できます",
        "画像として取り出すための幅を決めます。高さは自動です",
        "画像として取り出すための幅を決めます。高さは自動です.",
        "画像を引き伸ばします。",
        "画像の開始位置を前倒します。余った部分は0で埋まります",
    };
    return index >= 0 && index < kTipCount ? kTips[index] : std::string_view();
}

}  // namespace rastel::optMenuTexts
