#include "image/search/PictureScan.h"

#include <algorithm>
#include <atomic>
#include <set>
#include <thread>

#include "image/base/LookAhead.h"
#include "image/search/PictureExtent.h"
#include "image/search/PictureWindow.h"
#include "image/search/RegionPlanes.h"

namespace rastel::core {

namespace pictures {
namespace {

// Smooth cells at most this many cells apart share a window. None: a window of two pictures
// suggests rows of neither, while a picture cut in two by a flat cell is followed past the
// cut by its rows.
constexpr std::int64_t kJoin = 0;
// Windows looked at for rows: at most kWindows plus one per kBytesPerWindow of the file, those
// with the most smooth cells first. A window takes about a millisecond of a core, and the
// first pass about as long as reading the file: one a 32 MiB keeps the search of a large
// file within a fifth more than reading it. One a 6 MiB took twice the read, for nearly
// twice as many regions found in a gigabyte of libraries.
constexpr std::int64_t kWindows = 64;
constexpr std::int64_t kBytesPerWindow = std::int64_t{32} << 20;
// The first pass reads the file in pieces of this many bytes, which the cache holds.
constexpr std::int64_t kPiece = std::int64_t{256} << 10;
// The first pass's share of the progress reported, and the least step reported.
constexpr double kFirstShare = 0.5;
constexpr double kProgressStep = 0.01;

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
        bool failed = false;
        pictures::JoinPlanes(mFound, mPeek, failed);
        if (failed) {
            return std::nullopt;
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
