#include "image/search/RegionFormat.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <numeric>
#include <utility>

namespace rastel::core::pictures {

namespace {

// The bytes looked at: at most this many, from the middle of the region.
constexpr std::int64_t kLooked = 8192;
// Pixels far apart, against which neighbours are compared: two distances, as the cells take
// them, since a whole number of rows would find pixels alike.
constexpr std::int64_t kFarPixels[] = {888, 696};
// The blue of rgb565 is a channel of a picture, its neighbours at most half as far apart as
// far pixels; the low bits of a 16-bit grey are noise.
constexpr double kBlueAlike = 0.5;
// A place of four whose bytes are 0 or 255 at least this often is an alpha or a padding byte,
// padding when one value fills at least kPaddingShare of it.
constexpr double kAlphaShare = 0.5;
constexpr double kPaddingShare = 0.99;
// A mosaic's bytes two apart along rows and down columns are of one colour: at most this share
// as far apart as neighbours, of two colours. A picture's are farther apart than neighbours,
// and records' rows alike a row apart.
constexpr double kMosaicAlike = 0.6;
// The high bytes of a pixel's 16-bit channels are closer to the same channel's in the next
// pixel than to the next channel's by at least this share.
constexpr double kChannelsAlike = 0.85;
// The rows a mosaic is judged on: at least 3, at most these bytes of them.
constexpr std::int64_t kMosaicBytes = 64 << 10;

// Bytes [from, to) of the middle of a region, from an even byte.
std::pair<std::int64_t, std::int64_t> Middle(std::int64_t begin, std::int64_t end) {
    const std::int64_t n = std::min(kLooked, end - begin) / 2 * 2;
    const std::int64_t from = (begin + (end - begin - n) / 2) / 2 * 2;
    return {from, from + n};
}

// Whether the low five bits of the bytes at `low` (0 or 1, as the file counts places) are a
// channel of a picture, the blue of rgb565, rather than the noise of a 16-bit grey's low bits.
bool LooksLike565(Peek& peek, std::int64_t begin, std::int64_t end, std::int64_t low,
                  bool& failed) {
    const auto [first, last] = Middle(begin, end);
    const std::int64_t from = first;
    const std::int64_t to = last;
    const std::int64_t pixels = (to - from) / 2;
    double near = 0;
    double far = 0;
    failed = !peek(from, to, [&](const std::uint8_t* b) {
        const auto blue = [b, low](std::int64_t j) { return b[2 * j + low] & 31; };
        for (std::int64_t j = 1; j < pixels; ++j) {
            near += std::abs(blue(j) - blue(j - 1));
        }
        for (const std::int64_t k : kFarPixels) {
            double sum = 0;
            for (std::int64_t j = k; j < pixels; ++j) {
                sum += std::abs(blue(j) - blue(j - k));
            }
            far = std::max(far, pixels > k ? sum / static_cast<double>(pixels - k) : 0);
        }
    });
    return far > 0 && pixels > 1 && near / static_cast<double>(pixels - 1) < kBlueAlike * far;
}

// Whether the low byte of a 16-bit value follows its high byte (at `high`, 0 or 1 as the file
// counts places): paired with the wrong neighbour, the values jump by about 256 wherever the
// high byte steps, paired right they change smoothly there.
bool HighFirst(Peek& peek, std::int64_t begin, std::int64_t end, std::int64_t high, bool& failed) {
    const auto [first, last] = Middle(begin, end);
    const std::int64_t from = first;
    const std::int64_t to = last;
    const std::int64_t pixels = (to - from) / 2;
    std::int64_t after = 0;   // steps of the values with the low byte after the high one
    std::int64_t before = 0;  // and before it
    failed = !peek(from, to, [&](const std::uint8_t* b) {
        const auto value = [b, high](std::int64_t j, std::int64_t side) {
            return b[2 * j + high] << 8 | b[2 * j + high + side];
        };
        for (std::int64_t j = 2; j + 1 < pixels; ++j) {
            after += std::abs(value(j, 1) - value(j - 1, 1));
            before += std::abs(value(j, -1) - value(j - 1, -1));
        }
    });
    return after < before;
}

using Seen = std::array<std::int64_t, 256>;

// How often each value is found at each of `Places` places, as the file counts them, in the
// middle of a region.
template <std::size_t Places>
std::array<Seen, Places> ValuesByPlace(Peek& peek, std::int64_t begin, std::int64_t end,
                                       bool& failed) {
    const auto [first, last] = Middle(begin, end);
    const std::int64_t from = first;  // named again: a lambda cannot take a binding
    const std::int64_t to = last;
    std::array<Seen, Places> seen{};
    failed = !peek(from, to, [&](const std::uint8_t* b) {
        for (std::int64_t i = 0; i < to - from; ++i) {
            ++seen[static_cast<std::size_t>((from + i) % static_cast<std::int64_t>(Places))][b[i]];
        }
    });
    return seen;
}

// The bytes a place counted, and the share of them its most common value holds.
std::int64_t Count(const Seen& seen) {
    return std::accumulate(seen.begin(), seen.end(), std::int64_t{0});
}
double MostShare(const Seen& seen) {
    const std::int64_t count = Count(seen);
    return count > 0 ? static_cast<double>(*std::max_element(seen.begin(), seen.end())) /
                           static_cast<double>(count)
                     : 0;
}

// The place of four, as the file counts, whose bytes are most often 0 or 255; -1 for none.
// constant: that place holds one value but for a few bytes (kPaddingShare), as padding does,
// with the odd byte a cursor or an overlay left in it, rather than an alpha.
std::int64_t AlphaPlace(Peek& peek, std::int64_t begin, std::int64_t end, bool& constant,
                        bool& failed) {
    const std::array<Seen, 4> seen = ValuesByPlace<4>(peek, begin, end, failed);
    std::int64_t best = -1;
    double share = kAlphaShare;
    double mostShare = 0;  // of the best place's most common value
    for (std::size_t p = 0; p < 4; ++p) {
        const auto count = static_cast<double>(Count(seen[p]));
        const double s = count > 0 ? static_cast<double>(seen[p][0] + seen[p][255]) / count : 0;
        const double most = MostShare(seen[p]);
        if (s > share || (s == share && best >= 0 && most > mostShare)) {
            share = s;
            best = static_cast<std::int64_t>(p);
            mostShare = most;
        }
    }
    constant = best >= 0 && mostShare >= kPaddingShare;
    return best;
}

// Where, of three places as the file counts them, a pixel of rgb24 starts: after the pair of
// neighbouring bytes least alike, the last channel of a pixel and the first of the next, as
// red and blue are the channels least alike and green is like both.
std::int64_t PixelOfThree(Peek& peek, std::int64_t begin, std::int64_t end, bool& failed) {
    const auto [first, last] = Middle(begin, end);
    const std::int64_t from = first;  // named again: a lambda cannot take a binding
    const std::int64_t to = last;
    std::int64_t apart[3] = {};
    failed = !peek(from, to, [&](const std::uint8_t* b) {
        for (std::int64_t i = 0; i + 1 < to - from; ++i) {
            apart[(from + i) % 3] += std::abs(b[i] - b[i + 1]);
        }
    });
    return (std::max_element(apart, apart + 3) - apart + 1) % 3;
}

// Whether rows of rowBytes from begin are a colour mosaic of samples of `sample` bytes, each
// judged by its byte at `high` as the file counts places (0 for single bytes); if so,
// greenOdd tells whether its green sites are those whose row and column, counted from the
// sample begin falls in, add up odd: those alike diagonally, where the other sites are red
// beside blue.
bool LooksLikeMosaic(Peek& peek, std::int64_t begin, std::int64_t end, std::int64_t rowBytes,
                     int sample, std::int64_t high, bool& greenOdd, bool& failed) {
    const std::int64_t rows =
        std::min((end - begin) / rowBytes, std::max<std::int64_t>(3, kMosaicBytes / rowBytes));
    // The byte of the first sample looked at, and how many samples a row holds.
    const std::int64_t at = ((high - begin) % sample + sample) % sample;
    const std::int64_t n = (rowBytes - at + sample - 1) / sample;
    if (rows < 3 || n < 3) {
        return false;
    }
    // From a row in the middle, an even number of rows after the first.
    const std::int64_t first = ((end - begin) / rowBytes - rows) / 4 * 2;
    const std::int64_t from = begin + first * rowBytes;
    double beside = 0, below = 0;
    // By the parity of the column, and of row and column.
    std::array<double, 2> twoAlong{}, twoDown{}, diagonal{};
    failed = !peek(from, from + rows * rowBytes, [&](const std::uint8_t* b) {
        for (std::int64_t y = 0; y + 2 < rows; ++y) {
            const std::uint8_t* r = b + y * rowBytes + at;
            const std::uint8_t* down = r + rowBytes;
            for (std::int64_t x = 0; x + 2 < n; ++x) {
                const int v = r[sample * x];
                beside += std::abs(v - r[sample * (x + 1)]);
                twoAlong[static_cast<std::size_t>(x % 2)] += std::abs(v - r[sample * (x + 2)]);
                below += std::abs(v - down[sample * x]);
                twoDown[static_cast<std::size_t>(x % 2)] +=
                    std::abs(v - down[rowBytes + sample * x]);
                diagonal[static_cast<std::size_t>((x + y) % 2)] +=
                    std::abs(v - down[sample * (x + 1)]);
            }
        }
    });
    // Every site alike with the sites of its colour, in odd columns as in even ones, where the
    // low bytes of 16-bit values would step far more than their high bytes; green beside green
    // diagonally, red beside blue: one class of sites far more alike.
    greenOdd = diagonal[1] < diagonal[0];
    const auto most = [](const std::array<double, 2>& a) { return std::max(a[0], a[1]); };
    return !failed && 2 * most(twoAlong) < kMosaicAlike * beside &&
           2 * most(twoDown) < kMosaicAlike * below &&
           std::min(diagonal[0], diagonal[1]) < kMosaicAlike * std::max(diagonal[0], diagonal[1]);
}

// The parity, as the file counts places, whose bytes all but hold one value (kPaddingShare):
// the low bytes of 8-bit samples widened to 16; -1 when neither does.
std::int64_t LowBytesConstant(Peek& peek, std::int64_t begin, std::int64_t end, bool& failed) {
    const std::array<Seen, 2> seen = ValuesByPlace<2>(peek, begin, end, failed);
    for (std::size_t p = 0; p < 2 && !failed; ++p) {
        if (MostShare(seen[p]) >= kPaddingShare) {
            return static_cast<std::int64_t>(p);
        }
    }
    return -1;
}

// A mosaic of 16-bit samples, judged by their high bytes at `high`, in a region whose rows are
// made of elements of e bytes (2, or 4 where two sites were taken for one pixel), its rows
// perhaps found two at a time; its green sites counted from the element begin falls in.
std::optional<FormatChoice> Mosaic16(Peek& peek, std::int64_t begin, std::int64_t end,
                                     std::int64_t rowBytes, std::int64_t high, std::int64_t e,
                                     bool& failed) {
    const std::int64_t phase = 1 - high;
    const std::int64_t start = begin - ((begin - phase) % e + e) % e;
    for (const std::int64_t row : {rowBytes / 2, rowBytes}) {
        if (bool greenOdd = false;
            !failed && row % 2 == 0 &&
            LooksLikeMosaic(peek, start, end, row, 2, high, greenOdd, failed)) {
            return FormatChoice{FindFormat(greenOdd ? "bayer_rggb16le" : "bayer_grbg16le"), phase,
                                row == rowBytes ? 0 : row};
        }
    }
    return std::nullopt;
}

// Whether 16-bit values, their high bytes at `high` (0 or 1 as the file counts places), are
// the channels of pixels of 3 or 4: high bytes 3 or 4 values on far more alike than the next
// value's, of another channel. 0 when they are neither.
int ChannelsOf16(Peek& peek, std::int64_t begin, std::int64_t end, std::int64_t high,
                 bool& failed) {
    const auto [first, last] = Middle(begin, end);
    const std::int64_t from = first;  // named again: a lambda cannot take a binding
    const std::int64_t to = last;
    std::array<double, 5> apart{};  // by the values between
    failed = !peek(from, to, [&](const std::uint8_t* b) {
        for (std::int64_t i = (from + high) % 2 == 0 ? 0 : 1; i + 8 < to - from; i += 2) {
            for (const int k : {1, 2, 3, 4}) {
                apart[static_cast<std::size_t>(k)] += std::abs(b[i] - b[i + 2 * k]);
            }
        }
    });
    // A picture of single values steps further the further along; channels come back.
    const int channels = apart[3] < apart[4] ? 3 : 4;
    const double back = apart[static_cast<std::size_t>(channels)];
    return back < kChannelsAlike * apart[1] && back < apart[2] ? channels : 0;
}

// Where the low bytes of 16-bit channels lie in an element of 6 or 8 bytes, 0 or 1 as the file
// counts places; -1 where the places of neither parity are all more alike than the other's.
std::int64_t LowBytesOf16(const std::vector<double>& alike) {
    std::array<double, 2> least{1e9, 1e9}, most{-1e9, -1e9};
    for (std::size_t p = 0; p < alike.size(); ++p) {
        least[p % 2] = std::min(least[p % 2], alike[p]);
        most[p % 2] = std::max(most[p % 2], alike[p]);
    }
    return least[1] > most[0] ? 0 : least[0] > most[1] ? 1 : -1;
}

}  // namespace

FormatChoice ChooseFormat(Peek& peek, const widths::Rows& rows, std::int64_t begin,
                          std::int64_t end, std::int64_t rowBytes, bool& failed) {
    // A mosaic's period of two bytes may pass for an element of two, and its rows, which
    // alternate, for rows twice as long.
    for (const std::int64_t row : {rowBytes / 2, rowBytes}) {
        if (bool greenOdd = false; rows.element.bytes <= 2 && rowBytes % 2 == 0 &&
                                   LooksLikeMosaic(peek, begin, end, row, 1, 0, greenOdd, failed)) {
            // Which of the other sites is red the bytes cannot tell.
            return {FindFormat(greenOdd ? "bayer_rggb8" : "bayer_grbg8"), -1,
                    row == rowBytes ? 0 : row};
        }
    }
    if (failed) {
        return {};
    }
    switch (rows.element.bytes) {
        case 6:
        case 8:
            if (const std::int64_t low = LowBytesOf16(rows.alike);
                low >= 0 && std::ssize(rows.alike) == rows.element.bytes) {
                // Little-endian as memory holds them; where the channels start in the pixel
                // the bytes cannot tell, only which byte of each is low.
                return {FindFormat(rows.element.bytes == 6 ? "rgb48le" : "rgba64le"), low};
            }
            return {};
        case 3:
            return {FindFormat("rgb24"), PixelOfThree(peek, begin, end, failed)};
        case 2: {
            // The high byte of a 16-bit value or of rgb565 (red) is the one more alike.
            const std::int64_t high = rows.alike.size() == 2 && rows.alike[1] > rows.alike[0];
            if (const auto mosaic = Mosaic16(peek, begin, end, rowBytes, high, 2, failed)) {
                return *mosaic;
            }
            if (LooksLike565(peek, begin, end, 1 - high, failed)) {
                return {FindFormat("rgb565le"), 1 - high};
            }
            if (const int channels = ChannelsOf16(peek, begin, end, high, failed); channels > 0) {
                return {FindFormat(channels == 3 ? "rgb48le" : "rgba64le"), 1 - high};
            }
            return HighFirst(peek, begin, end, high, failed)
                       ? FormatChoice{FindFormat("gray16be"), high}
                       : FormatChoice{FindFormat("gray16le"), 1 - high};
        }
        case 4: {
            // Samples of 8 bits in 16, their low bytes all but constant: two sites of a mosaic
            // pass for a pixel. A pixel of 4 bytes has one constant place at most.
            if (const std::int64_t low = LowBytesConstant(peek, begin, end, failed); low >= 0) {
                if (const auto mosaic = Mosaic16(peek, begin, end, rowBytes, 1 - low, 4, failed)) {
                    return *mosaic;
                }
            }
            bool constant = false;
            const std::int64_t alpha = AlphaPlace(peek, begin, end, constant, failed);
            // Named as 32-bit pixels lie in little-endian memory (X servers, Qt and Cairo
            // images, Windows bitmaps): blue, green, red, then the filler or alpha, which the
            // phase puts last. Which of red and blue comes first the bytes cannot tell.
            return {FindFormat(alpha < 0 || constant ? "bgr0" : "bgra"),
                    alpha < 0 ? -1 : (alpha + 1) % 4};
        }
        default:
            return {};
    }
}

}  // namespace rastel::core::pictures
