#include "image/search/PictureWindow.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

#include "image/pixels/PixelDecoder.h"
#include "image/search/Overview.h"
#include "image/search/RegionFormat.h"
#include "image/search/RegionKind.h"
#include "image/search/RowChange.h"
#include "image/search/WidthHints.h"

namespace rastel::core::pictures {

namespace {

// Lines of the width suggestions tried, best first, and how many they are asked for.
constexpr int kTried = 3;
constexpr int kLines = 4;
// The sample each window's rows are sought in: the whole-file suggestions' takes over five
// times as many pixels to a transform twice as long, which in every window looked at cost
// several times the file's read. This one sees rows shorter than 8 KiB (a frame of 1920
// pixels of 4 bytes) the sixteen times the suggestions want to see a row; a sample of 3 KiB
// rows measured a fifth faster. Its distances are found in single precision: the same rows,
// the transform in half the time.
constexpr widths::SampleShape kWindowSample{6, std::int64_t{1} << 15, widths::Precision::Single};
// Shorter rows are the records of a table or the bytes of an element, as the suggestions
// take them.
constexpr std::int64_t kMinRowBytes = 16;
// The places of an element used are those at least kPlaceShare as alike as the most alike.
constexpr double kPlaceShare = 0.5;
// A region whose rows change length is cut at most kRounds times; one its own bytes give
// other rows must keep kWholeShare of its length at those.
constexpr double kWholeShare = 0.75;
constexpr int kRounds = 3;
// Cells of a window whose class is looked at: a window most of them text or random bytes is
// no picture.
constexpr int kClassCells = 8;

// Random bytes step by 85 on the mean from one to another; the high bytes of 16-bit samples of
// a picture, every other byte, by far less, though their low bytes make the cell look random.
constexpr double kHighBytesStep = 32;

// Whether the bytes of one parity in b[0, n) step little, as the high bytes of 16-bit samples do.
bool SmoothHighBytes(const std::uint8_t* b, std::int64_t n) {
    std::array<double, 2> step{};
    for (std::int64_t i = 0; i + 2 < n; ++i) {
        step[static_cast<std::size_t>(i % 2)] += std::abs(b[i] - b[i + 2]);
    }
    return n > 4 && std::min(step[0], step[1]) < kHighBytesStep * static_cast<double>(n / 2 - 1);
}

// Whether most of the cells looked at in [begin, end) are text or random bytes, the classes of
// the overview that are never pictures; random bytes whose every other byte is smooth are the
// samples of a picture of 16-bit channels.
bool NeverPicture(Peek& peek, std::int64_t begin, std::int64_t end, bool& failed) {
    const std::int64_t n = std::min(kCell, end - begin);
    int never = 0;
    for (int i = 0; i < kClassCells && !failed; ++i) {
        const std::int64_t at = begin + (end - begin - n) * i / (kClassCells - 1);
        OverviewBuilder builder(n, 1);
        bool samples = false;
        failed = !peek(at, at + n, [&](const std::uint8_t* b) {
            builder.Feed({b, static_cast<std::size_t>(n)});
            samples = builder.result().Class(0) == ByteClass::Random && SmoothHighBytes(b, n);
        });
        const ByteClass c = builder.result().Class(0);
        never += c == ByteClass::Text || (c == ByteClass::Random && !samples) ? 1 : 0;
    }
    return 2 * never > kClassCells;
}

// The places of the element that are alike from one element to the next, as channels of a
// picture are, unlike the noisy low bytes of samples: those at least kPlaceShare as alike as
// the most alike place.
std::uint32_t AlikePlaces(const widths::Rows& rows) {
    const double most = *std::max_element(rows.alike.begin(), rows.alike.end());
    std::uint32_t places = 0;
    for (std::size_t p = 0; p < rows.alike.size() && p < 32; ++p) {
        places |= rows.alike[p] >= kPlaceShare * most ? std::uint32_t{1} << p : 0;
    }
    return places;
}

// The region of rows of shape around the first place in [from, to) where they are alike, in
// the format rows' element and its bytes give; nothing when there is none or it is too small.
std::optional<PictureRegion> Region(Peek& peek, const widths::Rows& rows, const RowShape& shape,
                                    std::int64_t from, std::int64_t to, bool& failed) {
    const std::int64_t rowBytes = shape.bytes;
    const auto x = FindExtent(peek, shape, from, to, failed);
    if (!x || x->end - x->begin < std::max(kMinBytes, kMinRows * rowBytes)) {
        return std::nullopt;
    }
    const FormatChoice choice = ChooseFormat(peek, rows, x->begin, x->end, rowBytes, failed);
    PictureRegion r;
    r.start = x->begin;
    if (const std::int64_t e = rows.element.bytes; choice.phase >= 0) {
        r.start -= ((r.start - choice.phase) % e + e) % e;  // back to where a pixel starts
        r.start += r.start < 0 ? e : 0;
    }
    r.length = x->end - r.start;
    r.rowBytes = choice.rowBytes != 0 ? choice.rowBytes : rowBytes;
    r.elementBytes = rows.element.bytes;
    if (choice.format != nullptr && r.rowBytes % r.elementBytes != 0) {
        r.elementBytes = choice.format->bytes;  // a mosaic's row of an odd number of sites
    }
    r.format = choice.format;
    r.width = r.rowBytes / (choice.format != nullptr ? choice.format->bytes : 1);
    r.score = x->score;
    r.table = LooksLikeTable(peek, shape, r.format, r.start, r.start + r.length, failed);
    if (r.table) {  // records, one a row, shown as bytes, at the rows found for them
        r.format = nullptr;
        r.rowBytes = rowBytes;
        r.width = rowBytes;
    }
    return r;
}

// The rows of rowBytes in rows' element, or nothing when they cannot be a picture's or a
// table's. Rows of no whole number of elements, or of a single one, are taken in single bytes.
std::optional<RowShape> ShapeOf(widths::Rows& rows, std::int64_t rowBytes,
                                std::int64_t elementPixels) {
    if (rowBytes < kMinRowBytes) {
        return std::nullopt;
    }
    if (rowBytes <= elementPixels || rowBytes % rows.element.bytes != 0 || rows.alike.empty()) {
        rows.element = {};
        rows.alike = {1.0};
    }
    return RowShape{rowBytes, rows.element.bytes, AlikePlaces(rows)};
}

struct Followed {
    RowShape shape;
    PictureRegion region;
};

// The region of rows of rowBytes, in rows' element, around the first place in [from, to)
// where they are alike, stopping where rivals fit better. An element as long as a row may be
// a record, alike at any multiple of its length, where no row tests alike against rows a
// quarter longer or shorter: then a table of rows of one.
std::optional<Followed> FollowRows(Peek& peek, widths::Rows& rows, std::int64_t rowBytes,
                                   std::int64_t elementPixels, std::int64_t from, std::int64_t to,
                                   const std::vector<std::int64_t>& rivals, bool& failed) {
    const std::int64_t record = rows.element.bytes;
    std::vector<std::int64_t> tried{rowBytes};
    if (record != rowBytes && rowBytes % record == 0) {
        tried.push_back(record);
    }
    for (const std::int64_t row : tried) {
        auto shape = ShapeOf(rows, row, elementPixels);
        if (!shape) {
            return std::nullopt;
        }
        shape->rivals = rivals;
        std::erase(shape->rivals, row);
        if (auto region = Region(peek, rows, *shape, from, to, failed); region || failed) {
            return region ? std::optional<Followed>({std::move(*shape), *region}) : std::nullopt;
        }
    }
    return std::nullopt;
}

// Whether the rows a region's own bytes give are those of a smaller element than the
// region's rows, whose element the window's other bytes gave: the region's rows are then
// within an element of a whole number of its own.
bool Finer(const widths::Rows& own, const RowShape& shape) {
    if (own.widths.empty() || own.element.bytes >= shape.element) {
        return false;
    }
    const std::int64_t row = own.widths.front().width;
    const std::int64_t over = shape.bytes % row;
    return row <= shape.bytes && std::min(over, row - over) < shape.element;
}

// The picture whose rows a line of the width suggestions gives, around the first place in the
// window where they are alike; nothing when they are nowhere, or the region is too small. A
// window may hold several things, its rows and element those of the others: the region's own
// bytes are asked for theirs, and a finer element taken. Where the region is two pictures (rows of
// about the same length, or a multiple of both), the part most of it fits is looked at alone, for
// its own rows and element, and followed again until its rows stop where the others' fit better.
// The rest of the window, and of the bytes the first rows reached, is looked at later.
std::optional<Found> Follow(ByteSource& source, Peek& peek, const widths::Rows& rows,
                            const WidthCandidate& line, const Window& w, int& looks, bool& failed) {
    widths::Rows found = rows;
    auto followed =
        FollowRows(peek, found, line.width, line.elementPixels, w.begin, w.end, {}, failed);
    const std::int64_t reachBegin = followed ? followed->region.start : 0;
    const std::int64_t reachEnd = followed ? reachBegin + followed->region.length : 0;
    for (int round = 0; followed && !failed && round < kRounds; ++round) {
        const RowShape& shape = followed->shape;
        const PictureRegion& region = followed->region;
        const std::int64_t end = region.start + region.length;
        const auto change =
            FindRowChange(peek, shape, region.start, end, kMinRowBytes, {w.begin, w.end}, failed);
        if (failed || (!change && (round > 0 ||
                                   !MayHideFinerElement(peek, shape, region.start, end, failed)))) {
            break;
        }
        const std::int64_t from = change ? change->begin : region.start;
        const std::int64_t to = change ? change->end : end;
        auto own =
            widths::FindRows(source, from, to, modBITMAPinfo::kDepth256, 0, kLines, kWindowSample);
        ++looks;
        failed = !own;
        if (failed || (!change && !Finer(*own, shape))) {
            break;
        }
        std::vector<std::int64_t> rivals = shape.rivals;
        if (change) {
            rivals.insert(rivals.end(), change->rivals.begin(), change->rivals.end());
            rivals.push_back(shape.bytes);
        }
        auto refound = FollowRows(peek, *own, change ? change->row : own->widths.front().width,
                                  own->element.pixels, from, to, rivals, failed);
        if (!refound || (!change && refound->region.length < kWholeShare * region.length)) {
            break;
        }
        followed = std::move(refound);
    }
    if (failed || !followed) {
        return std::nullopt;
    }
    return Found{followed->region, reachBegin, reachEnd};
}

}  // namespace

// The first picture in a window, if it holds one: the window is left alone when most of it is
// text or random bytes, and otherwise tried at the best few widths its bytes suggest.
// looks counts the windows' worth of rows sought, this one's and those its regions' own bytes
// were asked for.
std::optional<Found> Examine(ByteSource& source, Peek& peek, const Window& w, int& looks,
                             bool& failed) {
    ++looks;
    if (NeverPicture(peek, w.begin, w.end, failed) || failed) {
        return std::nullopt;
    }
    // The rows are sought in the run's inner cells: its first and last may hold bytes of
    // something else, and a few of those drown a picture's rows in the suggestions' sample.
    // A run of three keeps them: its one inner cell holds too few rows of a few hundred bytes.
    const std::int64_t trim = w.end - w.begin >= 4 * kCell ? kCell : 0;
    const auto rows = widths::FindRows(source, w.begin + trim, w.end - trim,
                                       modBITMAPinfo::kDepth256, 0, kLines, kWindowSample);
    failed = !rows;
    for (int i = 0; rows && i < std::min<int>(kTried, std::ssize(rows->widths)); ++i) {
        auto region = Follow(source, peek, *rows, rows->widths[static_cast<std::size_t>(i)], w,
                             looks, failed);
        if (region || failed) {
            return region;
        }
    }
    return std::nullopt;
}

}  // namespace rastel::core::pictures
