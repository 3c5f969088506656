#include "image/search/RowChange.h"

#include <algorithm>

namespace rastel::core::pictures {

namespace {

// Rows up to kNear elements longer or shorter, an eighth of the row at most: a row farther
// off is too far from the row's own to pass for it. A row a few bytes off too, of a part
// that is not made of the region's element. Fractions of the row down to a kParts-th.
constexpr std::int64_t kNear = 16;
constexpr std::int64_t kParts = 64;
// The region is looked at in places about kGap bytes apart, kFewest to kMost of them.
constexpr std::int64_t kGap = std::int64_t{32} << 10;
constexpr std::int64_t kFewest = 16;
constexpr std::int64_t kMost = 128;
// A part fits another row when kRun places in a row do.
constexpr std::int64_t kRun = 3;

// The rows compared: the region's first.
std::vector<std::int64_t> Candidates(const RowShape& shape, std::int64_t minRow) {
    const std::int64_t w = shape.bytes;
    const std::int64_t e = std::max<std::int64_t>(1, shape.element);
    std::vector<std::int64_t> rows{w};
    for (std::int64_t k = 2; k <= kParts; ++k) {
        if (w % k == 0 && w / k % e == 0 && w / k >= minRow) {
            rows.push_back(w / k);
        }
    }
    for (std::int64_t j = 1; j <= kNear && j * e <= w / 8; ++j) {
        rows.push_back(w - j * e);
        rows.push_back(w + j * e);
    }
    // The element may be another part's: a row of single bytes next to it.
    for (std::int64_t j = 1; j < e && j <= w / 8; ++j) {
        rows.push_back(w - j);
        rows.push_back(w + j);
    }
    return rows;
}

struct Run {
    std::size_t row = 0;     // the row its places fit, as an index into the rows compared
    std::int64_t first = 0;  // its first place
    std::int64_t length = 0;
};

}  // namespace

std::optional<RowChange> FindRowChange(Peek& peek, const RowShape& shape, std::int64_t begin,
                                       std::int64_t end, std::int64_t minRow,
                                       std::pair<std::int64_t, std::int64_t> near, bool& failed) {
    const std::vector<std::int64_t> rows = Candidates(shape, minRow);
    const std::int64_t longest = *std::max_element(rows.begin(), rows.end());
    const std::int64_t probe = FitProbe(shape.bytes);
    const std::int64_t span = end - probe - (begin + longest);
    if (rows.size() < 2 || span <= 0 || failed) {
        return std::nullopt;
    }
    const std::int64_t places = std::clamp((end - begin) / kGap, kFewest, kMost);
    // The row each place fits best, as an index into rows.
    std::vector<std::size_t> fits(static_cast<std::size_t>(places));
    std::vector<std::int64_t> distance(rows.size());
    LagDistance lagDistance(shape, probe);
    for (std::int64_t i = 0; i < places && !failed; ++i) {
        const std::int64_t q = begin + longest + span * i / (places - 1);
        lagDistance.Place(q);
        failed = !peek(q - longest, q + probe, [&](const std::uint8_t* b) {
            for (std::size_t r = 0; r < rows.size(); ++r) {
                distance[r] = lagDistance(b + longest, rows[r]);
            }
        });
        const auto best = std::min_element(distance.begin(), distance.end()) - distance.begin();
        fits[static_cast<std::size_t>(i)] =
            static_cast<double>(distance[static_cast<std::size_t>(best)]) <
                    kFitsBetter * static_cast<double>(distance[0])
                ? static_cast<std::size_t>(best)
                : 0;
    }
    if (failed) {
        return std::nullopt;
    }
    // The runs of places fitting one row; the part taken is the run that meets near most, or
    // the longest.
    const auto at = [&](std::int64_t i) { return begin + longest + span * i / (places - 1); };
    std::vector<Run> runs;
    for (std::int64_t i = 0; i < places; ++i) {
        const std::size_t r = fits[static_cast<std::size_t>(i)];
        if (i == 0 || fits[static_cast<std::size_t>(i - 1)] != r) {
            runs.push_back({r, i, 0});
        }
        ++runs.back().length;
    }
    const auto score = [&](const Run& run) {
        const std::int64_t from = at(run.first) - longest;
        const std::int64_t to = at(run.first + run.length - 1) + probe;
        return std::pair(
            std::max<std::int64_t>(0, std::min(to, near.second) - std::max(from, near.first)),
            run.length);
    };
    const Run taken = *std::max_element(
        runs.begin(), runs.end(), [&](const Run& x, const Run& y) { return score(x) < score(y); });
    RowChange change;
    change.row = rows[taken.row];
    for (const Run& run : runs) {
        if (run.row != taken.row && run.length >= kRun &&
            std::find(change.rivals.begin(), change.rivals.end(), rows[run.row]) ==
                change.rivals.end()) {
            change.rivals.push_back(rows[run.row]);
        }
    }
    if (change.rivals.empty()) {
        return std::nullopt;
    }
    change.begin = at(taken.first) - longest;
    change.end = at(taken.first + taken.length - 1) + probe;
    return change;
}

}  // namespace rastel::core::pictures
