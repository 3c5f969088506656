#include "image/search/RegionKind.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace rastel::core::pictures {

namespace {

// Places looked at, spread over the region, each a row long or FitProbe's bytes.
constexpr std::int64_t kPlaces = 16;
// Along the rows of a picture, neighbouring pixels are at most kAlong as far apart as pixels
// a quarter row apart (pictures measured 0.04 to 0.3, records 0.4 to 5, with fields of zeros
// side by side); down its columns, pixels a row apart at least kDown as far as neighbours
// (pictures 0.7 to 2.5, records from 0, the same field repeated, to 0.6).
constexpr double kAlong = 0.5;
constexpr double kDown = 0.5;

// How far the bytes of [begin, end) are from those each of lags back, at the places shape
// uses, summed over places spread over it; nothing when it is too short for the longest lag.
std::optional<std::vector<double>> Distances(Peek& peek, const RowShape& shape,
                                             const std::vector<std::int64_t>& lags,
                                             std::int64_t begin, std::int64_t end, bool& failed) {
    const std::int64_t probe = FitProbe(shape.bytes);
    const std::int64_t back = *std::max_element(lags.begin(), lags.end());
    const std::int64_t span = end - probe - (begin + back);
    if (span < 0 || failed) {
        return std::nullopt;
    }
    LagDistance distance(shape, probe);
    std::vector<double> sums(lags.size());
    for (std::int64_t i = 0; i < kPlaces && !failed; ++i) {
        const std::int64_t q = begin + back + span * i / (kPlaces - 1);
        distance.Place(q);
        failed = !peek(q - back, q + probe, [&](const std::uint8_t* b) {
            for (std::size_t k = 0; k < lags.size(); ++k) {
                sums[k] += static_cast<double>(distance(b + back, lags[k]));
            }
        });
    }
    return failed ? std::nullopt : std::optional(sums);
}

// Records of text, strings padded with zeros to their fields' length among fields of a few
// bytes, are as alike along their rows as a picture's pixels, zeros beside zeros. Most of
// their bytes are 0; of the others most are printable text, many of them letters, and they
// step from one to the next far more than neighbouring pixels do, which change by a few
// levels (magic.mgc's records: 95% zeros, 65% to 85% printable, 40% to 60% letters, steps of
// 25 to 40).
constexpr double kZeroShare = 0.5;
constexpr double kPrintableShare = 0.6;
constexpr double kLetterShare = 0.35;
constexpr double kTextStep = 10;
constexpr std::int64_t kTextProbe = 512;
// Fewer bytes that are not 0 than this, over every place, say nothing.
constexpr std::int64_t kTextBytes = 64;

bool TextAmongZeros(Peek& peek, std::int64_t begin, std::int64_t end, bool& failed) {
    std::int64_t looked = 0, bytes = 0, printable = 0, letters = 0, steps = 0;
    double stepped = 0;
    const std::int64_t probe = std::min(kTextProbe, end - begin);
    for (std::int64_t i = 0; i < kPlaces && !failed && probe > 1; ++i) {
        const std::int64_t at = begin + (end - begin - probe) * i / (kPlaces - 1);
        failed = !peek(at, at + probe, [&](const std::uint8_t* b) {
            looked += probe;
            for (std::int64_t k = 0; k < probe; ++k) {
                const int c = b[k];
                if (c == 0) {
                    continue;
                }
                ++bytes;
                printable += (c >= 0x20 && c < 0x7F) || c == '\t' || c == '\n' || c == '\r';
                letters += (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
                if (k > 0 && b[k - 1] != 0) {
                    stepped += std::abs(c - b[k - 1]);
                    ++steps;
                }
            }
        });
    }
    const auto share = [&](std::int64_t n) {
        return static_cast<double>(n) / static_cast<double>(bytes);
    };
    return !failed && bytes >= kTextBytes && bytes <= (1 - kZeroShare) * looked &&
           share(printable) >= kPrintableShare && share(letters) >= kLetterShare && steps > 0 &&
           stepped >= kTextStep * static_cast<double>(steps);
}

}  // namespace

bool LooksLikeTable(Peek& peek, const RowShape& shape, const PixelFormat* format,
                    std::int64_t begin, std::int64_t end, bool& failed) {
    const std::int64_t w = shape.bytes;
    const std::int64_t e = std::max<std::int64_t>(1, shape.element);
    // Neighbours first, then pixels a quarter row apart, then a row. A mosaic's neighbours of
    // one colour are two sites apart.
    std::vector<std::int64_t> lags;
    const std::int64_t pixel = format == nullptr                       ? 0
                               : format->family == FormatFamily::Bayer ? 2 * format->bytes
                                                                       : format->bytes;
    for (std::int64_t bytes = 1; bytes <= 4 && format == nullptr; ++bytes) {
        if (e % bytes == 0) {
            lags.push_back(bytes);
        }
    }
    if (format != nullptr) {
        lags.push_back(pixel);
    }
    const std::size_t pixels = lags.size();
    lags.push_back(std::max(2 * e, (w / 4 + e / 2) / e * e));
    lags.push_back(w);
    const auto d = Distances(peek, shape, lags, begin, end, failed);
    if (!d || pixels == 0 || TextAmongZeros(peek, begin, end, failed)) {
        return true;
    }
    const double near = *std::min_element(d->begin(), d->begin() + static_cast<long>(pixels));
    return !(near < kAlong * (*d)[pixels] && (*d)[pixels + 1] >= kDown * near);
}

bool MayHideFinerElement(Peek& peek, const RowShape& shape, std::int64_t begin, std::int64_t end,
                         bool& failed) {
    const std::int64_t e = shape.element;
    std::vector<std::int64_t> lags{e};
    for (std::int64_t d = 1; d < e; ++d) {
        if (e % d == 0) {
            lags.push_back(d);
        }
    }
    const RowShape all{shape.bytes, 1};
    const auto d = Distances(peek, all, lags, begin, end, failed);
    return d && std::any_of(d->begin() + 1, d->end(), [&](double x) { return x <= d->front(); });
}

}  // namespace rastel::core::pictures
