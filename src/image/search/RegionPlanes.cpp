#include "image/search/RegionPlanes.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <optional>
#include <tuple>
#include <vector>

namespace rastel::core::pictures {

namespace {

// The frame a Y region and the chroma after it make, or nothing.
struct Frame {
    const PixelFormat* format = nullptr;
    std::int64_t chromaBytes = 0;  // every chroma plane's
};

// Whether a length found is the one a plane's geometry gives: within two of its rows, or a
// sixteenth, as the ends of regions are found.
bool Near(std::int64_t found, std::int64_t expected, std::int64_t rowBytes) {
    return std::abs(found - expected) <= std::max(2 * rowBytes, expected / 16);
}

// The frame of a Y of h rows of w bytes, in samples of `sample` bytes, whose chroma regions
// hold `chroma` bytes in rows of chromaRow, made of elements of `element` bytes. Samples of two
// bytes are of 10 bits: in the low bits in planes, in the high bits in pairs (p010).
Frame FrameOf(std::int64_t w, std::int64_t h, int sample, std::int64_t chroma,
              std::int64_t chromaRow, int element) {
    const std::int64_t n = w / sample;
    const std::int64_t half = (n + 1) / 2 * sample, quarter = (n + 3) / 4 * sample;
    const std::int64_t halfRows = (h + 1) / 2;
    const bool deep = sample == 2;
    auto frame = [](const char* name, std::int64_t bytes) {
        return Frame{FindFormat(name), bytes};
    };
    if (chromaRow == half) {  // a plane of U, then one of V
        if (Near(chroma, 2 * halfRows * half, chromaRow)) {
            return frame(deep ? "yuv420p10le" : "yuv420p", 2 * halfRows * half);
        }
        if (Near(chroma, 2 * h * half, chromaRow)) {
            return frame(deep ? "yuv422p10le" : "yuv422p", 2 * h * half);
        }
    } else if (chromaRow == quarter && !deep && Near(chroma, 2 * h * quarter, chromaRow)) {
        return frame("yuv411p", 2 * h * quarter);
    } else if (chromaRow == 2 * half && element % (2 * sample) == 0) {  // U and V in pairs
        if (Near(chroma, halfRows * 2 * half, chromaRow)) {
            return frame(deep ? "p010le" : "nv12", halfRows * 2 * half);
        }
        if (!deep && Near(chroma, h * 2 * half, chromaRow)) {
            return frame("nv16", h * 2 * half);
        }
    }
    return {};
}

// The bytes of a Y's samples: 1 for single bytes, 2 for 16-bit grey; 0 for no Y.
int SampleOfY(const PictureRegion& r) {
    if (r.table || r.rowBytes < 2) {
        return 0;
    }
    if (r.format == nullptr && r.elementBytes == 1) {
        return 1;
    }
    return r.format == FindFormat("gray16le") ? 2 : 0;
}

// Bytes two apart against neighbours: above 1 in a picture of single bytes, far below it in
// U V pairs, where neighbours are of two planes.
constexpr double kSingles = 0.8;
constexpr double kPairs = 0.6;
// Bytes looked at, from the middle of a part.
constexpr std::int64_t kPartLooked = 8192;

// How far samples two apart in [from, to) are against neighbours, samples of `sample` bytes
// by their last, high byte; -1 when they cannot tell.
double PairsShare(Peek& peek, std::int64_t from, std::int64_t to, int sample, bool& failed) {
    const std::int64_t n = std::min(kPartLooked, to - from) / sample * sample;
    from += (to - from - n) / 2 / sample * sample;
    double one = 0, two = 0;
    failed = failed || !peek(from, from + n, [&](const std::uint8_t* b) {
                 for (std::int64_t i = sample - 1; i + 2 * sample < n; i += sample) {
                     one += std::abs(b[i] - b[i + sample]);
                     two += std::abs(b[i] - b[i + 2 * sample]);
                 }
             });
    return one > 0 ? two / one : -1;
}

// The bits of a 16-bit sample its value leaves 0.
std::uint32_t UnusedBits(const PixelFormat& f) {
    return ~(((1u << f.fields[0].bits) - 1) << f.fields[0].shift) & 0xFFFF;
}

// Of the two bytes from `from`, the one P010's samples start at: where nearly all of them
// leave their low 6 bits 0, as few other pixels of two or four bytes do. Nothing when neither.
constexpr double kClearShare = 0.95;
std::optional<std::int64_t> P010Phase(Peek& peek, std::int64_t from, std::int64_t to,
                                      bool& failed) {
    const std::int64_t n = std::min(kPartLooked, to - from - 1) / 2 * 2;
    const std::uint32_t unused = UnusedBits(*FindFormat("p010le"));  // of its low byte
    std::array<std::int64_t, 2> clear{};
    failed = failed || !peek(from, from + n + 1, [&](const std::uint8_t* b) {
                 for (std::int64_t i = 0; i < n; ++i) {
                     clear[static_cast<std::size_t>(i % 2)] += (b[i] & unused) == 0;
                 }
             });
    const std::int64_t phase = clear[1] > clear[0] ? 1 : 0;
    if (failed || n < 2 || clear[static_cast<std::size_t>(phase)] < kClearShare * (n / 2)) {
        return std::nullopt;
    }
    return phase;
}

// The frame of Y and pairs a region of rows of pairs' element may be: the chroma two thirds
// or half way along, the Y's rows single samples and the chroma's pairs. Samples of one byte
// make nv12 or nv16 of an element of 2; of two, p010 of an element of 4.
const PixelFormat* PairsAfterY(Peek& peek, const PictureRegion& r, std::int64_t& start,
                               std::int64_t& rows, bool& failed) {
    const std::int64_t w = r.rowBytes;
    const int sample = static_cast<int>(r.elementBytes / 2);
    const auto phase = sample == 2 ? P010Phase(peek, r.start, r.start + r.length, failed)
                                   : std::optional<std::int64_t>(0);
    if (!phase) {
        return nullptr;
    }
    start = r.start + *phase;
    using Split = std::pair<const char*, int>;
    const std::vector<Split> frames = sample == 1 ? std::vector<Split>{{"nv12", 3}, {"nv16", 4}}
                                                  : std::vector<Split>{{"p010le", 3}};
    for (const auto& [name, share] : frames) {
        // share: the frame in halves of its Y (3: Y and half again; 4: Y and as much again).
        const std::int64_t h = (2 * r.length / share + w / 2) / w;
        const std::int64_t chroma = share == 3 ? (h + 1) / 2 * w : h * w;
        if (h < 2 || !Near(r.length, h * w + chroma, w)) {
            continue;
        }
        const std::int64_t split = start + h * w;
        if (split + chroma > peek.size()) {
            continue;
        }
        const double y = PairsShare(peek, start, split, sample, failed);
        const double c = PairsShare(peek, split, split + chroma, sample, failed);
        if (!failed && y > kSingles && c >= 0 && c < kPairs) {
            rows = h;
            return FindFormat(name);
        }
    }
    return nullptr;
}

// Which of a frame's chroma comes first the bytes cannot tell for sure; photographs lean warm,
// their V above their U on the mean, so a first chroma above the second on the mean is taken
// for V: yuv420p becomes yv12 and nv12 nv21. A U plane is the first half of the chroma after
// the Y; U of a pair its first byte. Formats without a twin stay.
const PixelFormat* WarmerFirst(Peek& peek, const PixelFormat* f, std::int64_t chroma,
                               std::int64_t bytes, bool& failed) {
    const bool pairs = f->planes.interleaved;
    const char* twin = f->name == "yuv420p" ? "yv12" : f->name == "nv12" ? "nv21" : nullptr;
    if (twin == nullptr) {
        return f;
    }
    const std::int64_t n = std::min(kPartLooked, bytes / 2) / 2 * 2;
    std::array<double, 2> sum{};
    auto add = [&](std::int64_t from, int side) {
        failed = failed || !peek(from, from + n, [&](const std::uint8_t* b) {
                     for (std::int64_t i = 0; i < n; ++i) {
                         sum[static_cast<std::size_t>(pairs ? i % 2 : side)] += b[i];
                     }
                 });
    };
    add(chroma + (bytes / 2 - n) / 2 / 2 * 2, 0);
    if (!pairs) {
        add(chroma + bytes / 2 + (bytes / 2 - n) / 2, 1);
    }
    return sum[0] > sum[1] ? FindFormat(twin) : f;
}

// Samples of 10 bits in 16 leave 6 bits 0 (the high ones in planes, the low ones in p010);
// the bytes around a frame seldom do. A frame of them whose rows were found within a row is
// moved to where its first sample is, and given the rows its run of such samples holds, when
// that run is a whole frame a few rows from the one found: its start and end to the byte,
// where the rows alone leave them a row out.
constexpr std::int64_t kRowsOff = 4;
constexpr std::int64_t kRunPiece = std::int64_t{32} << 10;

// The frame of samples starting, at one byte or the next, within a row of `from`: its start and
// length, or nothing.
std::optional<std::pair<std::int64_t, std::int64_t>> DeepFrameNear(Peek& peek, std::int64_t from,
                                                                   const PixelFormat& f,
                                                                   std::int64_t rowBytes,
                                                                   std::int64_t rows,
                                                                   bool& failed) {
    const std::uint32_t unused = UnusedBits(f);
    const auto clear = [&](std::int64_t at) {
        bool is = false;
        failed = failed || !peek(at, at + 2, [&](const std::uint8_t* b) {
                     is = ((b[0] | b[1] << 8) & unused) == 0;
                 });
        return is;
    };
    // The first sample: back while they are clear, or on to the first clear one.
    std::int64_t start = from;
    if (unused == 0 || start + 2 > peek.size()) {
        return std::nullopt;
    }
    if (clear(start)) {
        while (!failed && start - 2 >= std::max<std::int64_t>(0, from - rowBytes) &&
               clear(start - 2)) {
            start -= 2;
        }
    } else {
        while (!failed && start + 4 <= std::min(peek.size(), from + rowBytes) && !clear(start)) {
            start += 2;
        }
    }
    // The run of clear samples from it, as far as a frame a few rows longer reaches.
    const std::int64_t most =
        std::min(peek.size(), start + FrameShapeOf(f, rowBytes, rows + kRowsOff).frameBytes);
    std::int64_t end = start;
    for (bool on = true; on && !failed && end + 2 <= most;) {
        const std::int64_t n = std::min(kRunPiece, (most - end) / 2 * 2);
        failed = !peek(end, end + n, [&](const std::uint8_t* b) {
            std::int64_t i = 0;
            while (i + 2 <= n && ((b[i] | b[i + 1] << 8) & unused) == 0) {
                i += 2;
            }
            on = i == n;
            end += i;
        });
    }
    for (std::int64_t h = std::max<std::int64_t>(2, rows - kRowsOff);
         !failed && h <= rows + kRowsOff; ++h) {
        if (FrameShapeOf(f, rowBytes, h).frameBytes == end - start) {
            return std::pair(start, end - start);
        }
    }
    return std::nullopt;
}

// A region found in pixels of other bytes may start a byte off its samples: both are tried.
void FitDeepFrame(Peek& peek, PictureRegion& y, const PixelFormat& f, std::int64_t rowBytes,
                  std::int64_t rows, bool& failed) {
    for (const std::int64_t from : {y.start, y.start + 1}) {
        if (const auto frame = DeepFrameNear(peek, from, f, rowBytes, rows, failed)) {
            std::tie(y.start, y.length) = *frame;
            return;
        }
    }
}

}  // namespace

void JoinPlanes(std::vector<PictureRegion>& found, Peek& peek, bool& failed) {
    std::sort(found.begin(), found.end(),
              [](const PictureRegion& a, const PictureRegion& b) { return a.start < b.start; });
    std::vector<bool> gone(found.size());
    for (std::size_t i = 0; i < found.size(); ++i) {
        PictureRegion& y = found[i];
        if (std::int64_t start = 0, rows = 0; !y.table &&
                                              (y.elementBytes == 2 || y.elementBytes == 4) &&
                                              y.rowBytes % y.elementBytes == 0) {
            if (const PixelFormat* f = PairsAfterY(peek, y, start, rows, failed)) {
                const FrameShape frame = FrameShapeOf(*f, y.rowBytes, rows);
                y.start = start;
                y.format =
                    WarmerFirst(peek, f, y.start + frame.lumaBytes, frame.chromaBytes, failed);
                y.elementBytes = f->bytes;
                y.width = y.rowBytes / f->bytes;
                y.length = frame.frameBytes;
                if (f->bytes == 2) {
                    FitDeepFrame(peek, y, *f, y.rowBytes, rows, failed);
                }
                continue;
            }
        }
        const int sample = SampleOfY(y);
        if (gone[i] || sample == 0) {
            continue;
        }
        const std::int64_t w = y.rowBytes;
        const std::int64_t h = (y.length + w / 2) / w;
        const std::int64_t lumaEnd = y.start + h * w;
        // The chroma: the next region, starting within a row of the Y's end, and the one after
        // it where the two planes were found apart.
        std::size_t j = i + 1;
        if (j >= found.size() || gone[j] || found[j].table ||
            std::abs(found[j].start - lumaEnd) > w) {
            continue;
        }
        const PictureRegion& c = found[j];
        std::int64_t chroma = c.start + c.length - lumaEnd;
        std::size_t last = j;
        if (j + 1 < found.size() && !found[j + 1].table && found[j + 1].rowBytes == c.rowBytes &&
            std::abs(found[j + 1].start - (c.start + c.length)) <= c.rowBytes) {
            const std::int64_t both = found[j + 1].start + found[j + 1].length - lumaEnd;
            if (FrameOf(w, h, sample, both, c.rowBytes, c.elementBytes).format != nullptr) {
                chroma = both;
                last = j + 1;
            }
        }
        const Frame frame = FrameOf(w, h, sample, chroma, c.rowBytes, c.elementBytes);
        if (frame.format == nullptr) {
            continue;
        }
        y.format = WarmerFirst(peek, frame.format, lumaEnd, frame.chromaBytes, failed);
        y.width = w / sample;
        y.length = h * w + frame.chromaBytes;
        if (sample == 2) {
            FitDeepFrame(peek, y, *y.format, w, h, failed);
        }
        for (std::size_t k = j; k <= last; ++k) {
            gone[k] = true;
        }
    }
    std::size_t k = 0;
    std::erase_if(found, [&](const PictureRegion&) { return gone[k++]; });
}

}  // namespace rastel::core::pictures
