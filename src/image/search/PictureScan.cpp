#include "image/search/PictureScan.h"

#include <algorithm>
#include <atomic>
#include <set>
#include <thread>

#include "image/base/LookAhead.h"
#include "image/pixels/PixelDecoder.h"
#include "image/search/Overview.h"
#include "image/search/PictureExtent.h"
#include "image/search/RegionFormat.h"
#include "image/search/RegionKind.h"
#include "image/search/RowChange.h"
#include "image/search/WidthHints.h"

namespace rastel::core {

namespace pictures {
namespace {

// Smooth cells at most this many cells apart share a window. None: a window of two pictures
// suggests rows of neither, while a picture cut in two by a flat cell is followed past the
// cut by its rows.
constexpr std::int64_t kJoin = 0;
// Windows looked at for rows: at most kWindows plus one per kBytesPerWindow of the file, those
// with the most smooth cells first, so that a file of many small tables costs less than
// reading it: a window takes about a millisecond of a core.
constexpr std::int64_t kWindows = 64;
constexpr std::int64_t kBytesPerWindow = std::int64_t{6} << 20;
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
// A picture has at least kMinRows rows and kMinBytes bytes.
constexpr std::int64_t kMinRows = 8;
constexpr std::int64_t kMinBytes = 2048;
// The places of an element used are those at least kPlaceShare as alike as the most alike.
constexpr double kPlaceShare = 0.5;
// A region whose rows change length is cut at most kRounds times; one its own bytes give
// other rows must keep kWholeShare of its length at those.
constexpr double kWholeShare = 0.75;
constexpr int kRounds = 3;
// Cells of a window whose class is looked at: a window most of them text or random bytes is
// no picture.
constexpr int kClassCells = 8;
// The first pass reads the file in pieces of this many bytes, which the cache holds.
constexpr std::int64_t kPiece = std::int64_t{256} << 10;
// The first pass's share of the progress reported, and the least step reported.
constexpr double kFirstShare = 0.5;
constexpr double kProgressStep = 0.01;

struct Window {
    std::int64_t begin = 0;
    std::int64_t end = 0;
    std::int64_t weight = 0;  // smooth cells in it

    bool operator==(const Window&) const = default;
};

// Heaviest first; windows in the queue never overlap, so that no two begin at the same byte.
struct Heavier {
    bool operator()(const Window& a, const Window& b) const {
        return a.weight > b.weight || (a.weight == b.weight && a.begin < b.begin);
    }
};

using Queue = std::set<Window, Heavier>;

// The runs of smooth cells inside bytes [from, to).
void AddWindows(const SmoothCells& cells, std::int64_t from, std::int64_t to, Queue& queue) {
    Window run;
    std::int64_t lastSmooth = -kJoin - 2;
    const auto close = [&] {
        if (run.weight > 0) {
            queue.insert({std::max(from, run.begin), std::min(to, run.end), run.weight});
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

// The region of rows of shape around the first place in [from, to) where they are alike, in
// the format rows' element and its bytes give; nothing when there is none or it is too small.
std::optional<PictureRegion> Region(Peek& peek, const widths::Rows& rows, const RowShape& shape,
                                    std::int64_t from, std::int64_t to, bool& failed) {
    const std::int64_t rowBytes = shape.bytes;
    const auto x = FindExtent(peek, shape, from, to, failed);
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
    r.table = LooksLikeTable(peek, shape, r.format, r.start, r.start + r.length, failed);
    if (r.table) {  // records, one a row, shown as bytes
        r.format = nullptr;
        r.width = rowBytes;
    }
    return r;
}

// Whether rows of rowBytes can be a picture's, in rows' element: rows of several elements
// alike from one element to the next.
bool Fits(const widths::Rows& rows, std::int64_t rowBytes, std::int64_t elementPixels) {
    return rowBytes >= kMinRowBytes && rowBytes > elementPixels &&
           rowBytes % rows.element.bytes == 0 && !rows.alike.empty();
}

// The rows of rowBytes in rows' element, or nothing when they cannot be a picture's or a
// table's; rows of no whole number of elements are taken in single bytes.
std::optional<RowShape> ShapeOf(widths::Rows& rows, std::int64_t rowBytes,
                                std::int64_t elementPixels) {
    if (rowBytes < kMinRowBytes) {
        return std::nullopt;
    }
    if (!Fits(rows, rowBytes, elementPixels)) {
        rows.element = {};
        rows.alike = {1.0};
    }
    return RowShape{rowBytes, rows.element.bytes, AlikePlaces(rows)};
}

// A region found, and the bytes its window's rows first reached: where they reach beyond it,
// other rows were found, of things to look at again.
struct Found {
    PictureRegion region;
    std::int64_t begin = 0;
    std::int64_t end = 0;
};

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
    for (const std::int64_t row : {rowBytes, record}) {
        if (row != rowBytes && (row < kMinRowBytes || rowBytes % row != 0 || row == rowBytes)) {
            break;
        }
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

bool Overlaps(const PictureRegion& r, std::int64_t begin, std::int64_t end) {
    return r.start < end && begin < r.start + r.length;
}

bool MeetsFound(const std::vector<PictureRegion>& found, const Window& w) {
    return std::any_of(found.begin(), found.end(),
                       [&w](const PictureRegion& r) { return Overlaps(r, w.begin, w.end); });
}

// Rows are followed beyond their window, so they may reach regions found before: by a row or
// so where two pictures meet, which is cut off, or over most of it, the same picture seen at
// another row length, which is left out. The longest part of r outside them, starting where a
// pixel does, when it is most of r and no smaller than a picture.
std::optional<PictureRegion> Outside(const std::vector<PictureRegion>& found, PictureRegion r) {
    std::vector<std::pair<std::int64_t, std::int64_t>> cuts;
    for (const PictureRegion& f : found) {
        if (Overlaps(f, r.start, r.start + r.length)) {
            cuts.emplace_back(f.start, f.start + f.length);
        }
    }
    if (cuts.empty()) {
        return r;
    }
    std::sort(cuts.begin(), cuts.end());
    cuts.emplace_back(r.start + r.length, r.start + r.length);
    const std::int64_t e = r.elementBytes;
    std::int64_t from = r.start;
    PictureRegion best = r;
    best.length = 0;
    for (const auto& [cutBegin, cutEnd] : cuts) {
        if (std::min(cutBegin, r.start + r.length) - from > best.length) {
            best.start = from;
            best.length = std::min(cutBegin, r.start + r.length) - from;
        }
        from = std::max(from, r.start + (cutEnd - r.start + e - 1) / e * e);
    }
    if (2 * best.length < r.length || best.length < std::max(kMinBytes, kMinRows * r.rowBytes)) {
        return std::nullopt;
    }
    return best;
}

// Whether [begin, end) overlaps a region found; if so, the parts outside them are queued.
bool Requeue(const SmoothCells& cells, const std::vector<PictureRegion>& found, const Window& w,
             Queue& queue) {
    std::int64_t from = w.begin;
    bool overlaps = false;
    std::vector<PictureRegion> inside;
    for (const PictureRegion& r : found) {
        if (Overlaps(r, w.begin, w.end)) {
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

// What a window held: a region, or nothing; failed when its reads did.
struct Look {
    std::optional<Found> found;
    int looks = 0;
    bool failed = false;
};

// The windows, heaviest first, are looked at one after the other, and each region found
// takes its bytes from the windows after it. A second thread looks meanwhile at the windows
// that come next as things stand; the order itself is kept here, so that the regions are
// the same with one thread or two.
class Search {
  public:
    Search(ByteSource& source, const SmoothCells& cells, const ScanControl& control, int threads)
        : mSource(source), mCells(cells), mControl(control) {
        if (threads > 1) {
            // Either thread may look at a window: each with a peek of its own.
            mAhead.emplace([this](const Window& w) {
                Peek peek(mSource);
                Look look;
                look.found = Examine(mSource, peek, w, look.looks, look.failed);
                return look;
            });
        }
        AddWindows(cells, 0, cells.size(), mQueue);
    }

    std::optional<std::vector<PictureRegion>> Run() {
        const std::int64_t budget = kWindows + mCells.size() / kBytesPerWindow;
        double shown = kFirstShare;
        for (std::int64_t looked = 0; !mQueue.empty() && looked < budget;) {
            const Window w = *mQueue.begin();
            mQueue.erase(mQueue.begin());
            if (mControl.stop.stop_requested()) {
                return std::nullopt;
            }
            if (w.end - w.begin < kMinBytes || Requeue(mCells, mFound, w, mQueue)) {
                continue;
            }
            std::optional<Look> look;
            if (mAhead) {
                mAhead->Plan(Next(budget - looked));
                look = mAhead->Take(w);
            }
            if (!look) {
                look.emplace();
                look->found = Examine(mSource, mPeek, w, look->looks, look->failed);
            }
            if (look->failed) {
                return std::nullopt;
            }
            // The budget counts rows sought, as a window's and its regions' cost them.
            looked += look->looks;
            Keep(w, look->found);
            const double done =
                static_cast<double>(looked) /
                static_cast<double>(std::min<std::int64_t>(budget, looked + std::ssize(mQueue)));
            if (mControl.progress && kFirstShare + (1 - kFirstShare) * done > shown) {
                shown = kFirstShare + (1 - kFirstShare) * done;
                mControl.progress(shown);
            }
        }
        std::stable_sort(mFound.begin(), mFound.end(), [](const auto& a, const auto& b) {
            return std::pair(a.table, -a.score) < std::pair(b.table, -b.score);
        });
        return std::move(mFound);
    }

  private:
    // The windows the loop comes to next if no region is found meanwhile: a few, as many as
    // are left to look at at most, among the first of the queue (those the loop will cut
    // first are passed over). With two, the thread waited a fifth of the search for a plan.
    std::vector<Window> Next(std::int64_t left) const {
        constexpr std::int64_t kPlanned = 4;
        constexpr int kSeen = 8;
        std::vector<Window> next;
        int seen = 0;
        for (auto it = mQueue.begin();
             it != mQueue.end() && seen < kSeen && std::ssize(next) < std::min(kPlanned, left);
             ++it, ++seen) {
            if (it->end - it->begin >= kMinBytes && !MeetsFound(mFound, *it)) {
                next.push_back(*it);
            }
        }
        return next;
    }

    void Keep(const Window& w, const std::optional<Found>& found) {
        const auto r = found ? Outside(mFound, found->region) : std::nullopt;
        if (!r) {
            return;
        }
        mFound.push_back(*r);
        AddWindows(mCells, w.begin, std::max(w.begin, r->start), mQueue);
        AddWindows(mCells, std::min(w.end, r->start + r->length), w.end, mQueue);
        // Bytes of other rows the window's first reached: looked at again whatever their
        // cells, as records' seldom pass for smooth.
        for (const auto& [begin, end] :
             {std::pair(found->begin, r->start), std::pair(r->start + r->length, found->end)}) {
            if (end - begin >= kMinBytes) {
                mQueue.insert({begin, end, (end - begin + kCell - 1) / kCell});
            }
        }
    }

    ByteSource& mSource;
    const SmoothCells& mCells;
    const ScanControl& mControl;
    Queue mQueue;
    std::vector<PictureRegion> mFound;
    Peek mPeek{mSource};
    std::optional<LookAhead<Window, Look>> mAhead;  // last: it ends before what it uses goes
};

// The threads the scan uses: two where the machine has them.
int Threads(const ScanControl& control) {
    const int machine = static_cast<int>(std::max(1U, std::thread::hardware_concurrency()));
    return std::clamp(control.threads > 0 ? control.threads : machine, 1, 2);
}

// The first pass: pieces of source the cache holds (it looks at a few short runs of each
// page), taken in turn from next by every thread that runs it, so that none waits on
// another's slower share; false when a read failed or a stop was asked for. The progress is
// told by the thread with tell.
bool Judge(ByteSource& source, SmoothCells& cells, std::atomic<std::int64_t>& next,
           std::atomic<std::int64_t>& read, const ScanControl& control, bool tell) {
    std::vector<std::uint8_t> buffer;
    double shown = 0;
    for (std::int64_t pos = next.fetch_add(kPiece); pos < source.size();
         pos = next.fetch_add(kPiece)) {
        const auto n = static_cast<std::size_t>(std::min(kPiece, source.size() - pos));
        if (control.stop.stop_requested() ||
            !source.Lend(pos, n, buffer, [&](auto bytes) { cells.Judge(pos, bytes); })) {
            next = source.size();  // the other thread stops at its next piece
            return false;
        }
        const double done = kFirstShare *
                            static_cast<double>(read += static_cast<std::int64_t>(n)) /
                            static_cast<double>(source.size());
        if (tell && control.progress && done >= shown + kProgressStep) {
            shown = done;
            control.progress(done);
        }
    }
    return true;
}

}  // namespace
}  // namespace pictures

Result<std::vector<PictureRegion>> FindPictures(ByteSource& source, const ScanControl& control) {
    using namespace pictures;
    const int threads = Threads(control);
    SmoothCells cells(source.size());
    std::atomic<std::int64_t> next = 0;
    std::atomic<std::int64_t> read = 0;
    bool ok = true;
    {
        std::jthread other;
        bool otherOk = true;
        if (threads > 1 && source.size() > kPiece) {
            other =
                std::jthread([&] { otherOk = Judge(source, cells, next, read, control, false); });
        }
        ok = Judge(source, cells, next, read, control, true);
        if (other.joinable()) {
            other.join();
        }
        ok = ok && otherOk;
    }
    std::optional<std::vector<PictureRegion>> found;
    if (ok) {
        found = Search(source, cells, control, threads).Run();
    }
    if (!found) {
        return StoppedOrUnreadable(source);
    }
    return std::move(*found);
}

}  // namespace rastel::core
