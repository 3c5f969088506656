// The texts of the settings dialog that depend on the depth and palette chosen, and its tips.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace rastel::optMenuTexts {

// The pixel orders a depth offers, in list order (the list index is the stored order).
std::vector<std::string_view> OrderItems(std::int32_t depth);

// The first and last palette index of a depth, in hexadecimal, shown under the strip's ends.
std::string_view MinIndexText(std::int32_t depth);
std::string_view MaxIndexText(std::int32_t depth);

// What a palette looks like at a depth; empty for the palettes that do not exist yet.
std::string_view PaletteDescription(std::int32_t choice, std::int32_t depth);

// The tip line: tips 0..6 belong to the frames of the same index, the others to single controls.
constexpr int kTipCount = 7;
std::string_view Tip(int index);  // empty outside 0..6
inline constexpr std::string_view kDefaultTip = "画像生成の設定です(ここにTipsを表示します)。";
inline constexpr std::string_view kSynXYTip = "引き伸ばしの縦横倍率を一致させます";
inline constexpr std::string_view kOKTip = "この設定で画像を生成します";
inline constexpr std::string_view kCancelTip = "設定を破棄して表示ウインドウに戻ります";
inline constexpr std::string_view kFormatTip =
    "バイトをそのまま色として読む形式です。単位・配列・パレットはパレット番号で使います";
inline constexpr std::string_view kStrideTip =
    "行の先頭から次の行の先頭までのバイト数です。余りは飛ばします";
// The format list's headings, each over the family whose first format it names.
struct FormatHeading {
    std::string_view first;
    std::string_view caption;
};
inline constexpr FormatHeading kFormatHeadings[] = {
    {"rgb24", "── RGB ──"},
    {"gray16le", "── グレー ──"},
    {"yuyv422", "── YUV パックド ──"},
    {"yuv420p", "── YUV プレーナー ──"},
    {"nv12", "── YUV セミプレーナー ──"},
    {"yuv420p10le", "── YUV 10・16ビット ──"},
    {"rgb48le", "── RGB 16ビット/チャンネル ──"},
    {"gray10le", "── グレー 10・12ビット ──"},
    {"bayer_rggb8", "── ベイヤー ──"},
};

// Why a format or a field is refused.
inline constexpr std::string_view kFormatTooLargeTip =
    "ファイルが1ピクセル分より短いため、この形式は選べません";
inline constexpr std::string_view kStrideTooSmallTip =
    "行のバイト数が1行分(幅×1ピクセルのバイト数)より少なくなっています";
inline constexpr std::string_view kFrameHeightTip =
    "プレーン形式の1フレームの行数です。0 はファイル全体を1フレームとします";
inline constexpr std::string_view kFrameTooTallTip =
    "フレームの高さがファイルの行数(輝度の行)を超えています";
inline constexpr std::string_view kWidthTooLargeTip = "幅がこの形式のピクセル数を超えています";

}  // namespace rastel::optMenuTexts
