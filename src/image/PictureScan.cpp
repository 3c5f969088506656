#include "image/PictureScan.h"

#include <algorithm>
#include <queue>

#include "image/Overview.h"
#include "image/PictureExtent.h"
#include "image/PixelDecoder.h"
#include "image/RegionFormat.h"
#include "image/WidthHints.h"

namespace rastel::core {

namespace pictures {
namespace {

// Smooth cells at most this many cells apart share a window. None: a window of two pictures
// suggests rows of neither, while a picture cut in two by a flat cell is followed past the
// cut by its rows.
constexpr std::int64_t kJoin = 0;
// Windows looked at for rows: at most kWindows plus one per kBytesPerWindow of the file, those
// with the most smooth cells first, so that a file of many small tables costs about what
// reading it does.
constexpr std::int64_t kWindows = 64;
constexpr std::int64_t kBytesPerWindow = std::int64_t{4} << 20;
// Lines of the width suggestions tried, best first, and how many they are asked for.
constexpr int kTried = 3;
constexpr int kLines = 4;
// The sample each window's rows are sought in: the whole-file suggestions' takes over five
// times as many pixels to a transform twice as long, which in every window looked at cost
// several times the file's read. This one sees rows shorter than 8 KiB (a frame of 1920
// pixels of 4 bytes) the sixteen times the suggestions want to see a row; a sample of 3 KiB
// rows measured a fifth faster.
constexpr widths::SampleShape kWindowSample{6, std::int64_t{1} << 15};
// Shorter rows are the records of a table or the bytes of an element, as the suggestions
// take them.
constexpr std::int64_t kMinRowBytes = 16;
// A picture has at least kMinRows rows and kMinBytes bytes.
constexpr std::int64_t kMinRows = 8;
constexpr std::int64_t kMinBytes = 2048;
// Neighbouring values of a picture are alike, in one place of its elements at least; records
// alike only from one row to the next are a table.
constexpr double kPictureAlike = 0.5;
constexpr double kPlaceShare = 0.5;
// Cells of a window whose class is looked at: a window most of them text or random bytes is
// no picture.
constexpr int kClassCells = 8;
// The first pass's share of the progress reported, and the least step reported.
constexpr double kFirstShare = 0.5;
constexpr double kProgressStep = 0.01;

struct Window {
    std::int64_t begin = 0;
    std::int64_t end = 0;
    std::int64_t weight = 0;  // smooth cells in it
};

bool Lighter(const Window& a, const Window& b) {
    return a.weight < b.weight || (a.weight == b.weight && a.begin > b.begin);
}

using Queue = std::priority_queue<Window, std::vector<Window>, decltype(&Lighter)>;

// The runs of smooth cells inside bytes [from, to).
void AddWindows(const SmoothCells& cells, std::int64_t from, std::int64_t to, Queue& queue) {
    Window run;
    std::int64_t lastSmooth = -kJoin - 2;
    const auto close = [&] {
        if (run.weight > 0) {
            queue.push({std::max(from, run.begin), std::min(to, run.end), run.weight});
        }
    };
    for (std::int64_t c = std::max<std::int64_t>(0, from / kCell);
         c < cells.count() && c * kCell < to; ++c) {
        if (!cells.Smooth(c)) {
            continue;
        }
        if (c - lastSmooth - 1 > kJoin) {
            close();
            run = {c * kCell, c * kCell, 0};
        }
        run.end = std::min(cells.size(), (c + 1) * kCell);
        ++run.weight;
        lastSmooth = c;
    }
    close();
}

// Whether most of the cells looked at in [begin, end) are text or random bytes, the classes of
// the overview that are never pictures.
bool NeverPicture(Peek& peek, std::int64_t begin, std::int64_t end, bool& failed) {
    const std::int64_t n = std::min(kCell, end - begin);
    int never = 0;
    for (int i = 0; i < kClassCells && !failed; ++i) {
        const std::int64_t at = begin + (end - begin - n) * i / (kClassCells - 1);
        OverviewBuilder builder(n, 1);
        failed = !peek(at, at + n, [&](const std::uint8_t* b) {
            builder.Feed({b, static_cast<std::size_t>(n)});
        });
        const ByteClass c = builder.result().Class(0);
        never += c == ByteClass::Text || c == ByteClass::Random ? 1 : 0;
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

// The picture whose rows a line of the width suggestions gives, around the first place in the
// window where they are alike; nothing when they are nowhere, or the region is too small or
// a table.
std::optional<PictureRegion> Follow(Peek& peek, const widths::Rows& rows,
                                    const WidthCandidate& line, const Window& w, bool& failed) {
    const std::int64_t rowBytes = line.width;
    if (rowBytes < kMinRowBytes || rowBytes <= line.elementPixels ||
        rowBytes % rows.element.bytes != 0 || rows.alike.empty() ||
        *std::max_element(rows.alike.begin(), rows.alike.end()) < kPictureAlike) {
        return std::nullopt;
    }
    const auto x =
        FindExtent(peek, {rowBytes, rows.element.bytes, AlikePlaces(rows)}, w.begin, w.end, failed);
    if (!x || x->end - x->begin < std::max(kMinBytes, kMinRows * rowBytes)) {
        return std::nullopt;
    }
    const FormatChoice choice = ChooseFormat(peek, rows, x->begin, x->end, failed);
    PictureRegion r;
    r.start = x->begin;
    if (const std::int64_t e = rows.element.bytes; choice.phase >= 0) {
        r.start -= ((r.start - choice.phase) % e + e) % e;  // back to where a pixel starts
        r.start += r.start < 0 ? e : 0;
    }
    r.length = x->end - r.start;
    r.rowBytes = rowBytes;
    r.elementBytes = rows.element.bytes;
    r.format = choice.format;
    r.width = rowBytes / (choice.format != nullptr ? choice.format->bytes : 1);
    r.score = x->score;
    return r;
}

// The first picture in a window, if it holds one: the window is left alone when most of it is
// text or random bytes, and otherwise tried at the best few widths its bytes suggest.
std::optional<PictureRegion> Examine(ByteSource& source, Peek& peek, const Window& w,
                                     bool& failed) {
    if (NeverPicture(peek, w.begin, w.end, failed) || failed) {
        return std::nullopt;
    }
    // The rows are sought in the run's inner cells: its first and last may hold bytes of
    // something else, and a few of those drown a picture's rows in the suggestions' sample.
    const std::int64_t trim = w.end - w.begin >= 3 * kCell ? kCell : 0;
    const auto rows = widths::FindRows(source, w.begin + trim, w.end - trim,
                                       modBITMAPinfo::kDepth256, 0, kLines, kWindowSample);
    failed = !rows;
    for (int i = 0; rows && i < std::min<int>(kTried, std::ssize(rows->widths)); ++i) {
        auto region = Follow(peek, *rows, rows->widths[static_cast<std::size_t>(i)], w, failed);
        if (region || failed) {
            return region;
        }
    }
    return std::nullopt;
}

// Whether [begin, end) overlaps a region found; if so, the parts outside them are queued.
bool Requeue(const SmoothCells& cells, const std::vector<PictureRegion>& found, const Window& w,
             Queue& queue) {
    std::int64_t from = w.begin;
    bool overlaps = false;
    std::vector<PictureRegion> inside;
    for (const PictureRegion& r : found) {
        if (r.start < w.end && r.start + r.length > w.begin) {
            inside.push_back(r);
        }
    }
    std::sort(inside.begin(), inside.end(),
              [](const auto& a, const auto& b) { return a.start < b.start; });
    for (const PictureRegion& r : inside) {
        overlaps = true;
        AddWindows(cells, from, std::max(from, r.start), queue);
        from = std::max(from, r.start + r.length);
    }
    if (overlaps) {
        AddWindows(cells, from, std::max(from, w.end), queue);
    }
    return overlaps;
}

std::optional<std::vector<PictureRegion>> Search(ByteSource& source, const SmoothCells& cells,
                                                 const ScanControl& control) {
    Peek peek(source);
    Queue queue(&Lighter);
    AddWindows(cells, 0, cells.size(), queue);
    const std::int64_t budget = kWindows + cells.size() / kBytesPerWindow;
    std::vector<PictureRegion> found;
    double shown = kFirstShare;
    for (std::int64_t looked = 0; !queue.empty() && looked < budget;) {
        const Window w = queue.top();
        queue.pop();
        if (control.stop.stop_requested()) {
            return std::nullopt;
        }
        if (w.end - w.begin < kMinBytes || Requeue(cells, found, w, queue)) {
            continue;
        }
        ++looked;
        bool failed = false;
        const std::optional<PictureRegion> r = Examine(source, peek, w, failed);
        if (failed) {
            return std::nullopt;
        }
        // Rows are followed beyond their window, so they may reach a region found before:
        // the same picture seen at another row length, which is left out.
        const auto overlaps = [&r](const PictureRegion& o) {
            return o.start < r->start + r->length && r->start < o.start + o.length;
        };
        if (r && std::none_of(found.begin(), found.end(), overlaps)) {
            found.push_back(*r);
            AddWindows(cells, w.begin, std::max(w.begin, r->start), queue);
            AddWindows(cells, std::min(w.end, r->start + r->length), w.end, queue);
        }
        const double done =
            static_cast<double>(looked) /
            static_cast<double>(std::min<std::int64_t>(budget, looked + std::ssize(queue)));
        if (control.progress && kFirstShare + (1 - kFirstShare) * done > shown) {
            shown = kFirstShare + (1 - kFirstShare) * done;
            control.progress(shown);
        }
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.score > b.score; });
    return found;
}

}  // namespace
}  // namespace pictures

std::optional<std::vector<PictureRegion>> FindPictures(ByteSource& source,
                                                       const pictures::SmoothCells& cells,
                                                       const ScanControl& control) {
    return pictures::Search(source, cells, control);
}

std::optional<std::vector<PictureRegion>> FindPictures(ByteSource& source,
                                                       const ScanControl& control) {
    // Read in pieces that the cache holds: the first pass looks at a few short runs of each
    // page.
    constexpr std::int64_t kPiece = std::int64_t{1} << 20;
    pictures::SmoothCells cells(source.size());
    double shown = 0;
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min(kPiece, source.size())));
    for (std::int64_t pos = 0; pos < source.size(); pos += kPiece) {
        const auto n = static_cast<std::size_t>(std::min(kPiece, source.size() - pos));
        if (control.stop.stop_requested() || !source.Read(pos, n, buffer.data())) {
            return std::nullopt;
        }
        cells.Feed({buffer.data(), n});
        const double done = pictures::kFirstShare * static_cast<double>(cells.fed()) /
                            static_cast<double>(source.size());
        if (control.progress && done >= shown + pictures::kProgressStep) {
            shown = done;
            control.progress(done);
        }
    }
    return pictures::Search(source, cells, control);
}

}  // namespace rastel::core
