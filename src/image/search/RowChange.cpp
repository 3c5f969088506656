#include "image/search/RowChange.h"

#include <algorithm>
#include <cstdlib>

namespace rastel::core::pictures {

namespace {

// Rows up to kNear elements longer or shorter, an eighth of the row at most: a row farther
// off is too far from the row's own to pass for it. A row a few bytes off too, of a part
// that is not made of the region's element. Fractions of the row down to a kParts-th.
constexpr std::int64_t kNear = 16;
constexpr std::int64_t kParts = 8;
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
    std::int64_t length = 0;
    std::int64_t first = 0;  // the first place of it
};

}  // namespace

std::optional<RowChange> FindRowChange(Peek& peek, const RowShape& shape, std::int64_t begin,
                                       std::int64_t end, std::int64_t minRow, bool& failed) {
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
    // The longest run of places fitting each row.
    std::vector<Run> runs(rows.size());
    for (std::int64_t i = 0, from = 0; i < places; ++i) {
        const std::size_t r = fits[static_cast<std::size_t>(i)];
        if (i > 0 && fits[static_cast<std::size_t>(i - 1)] != r) {
            from = i;
        }
        if (i - from + 1 > runs[r].length) {
            runs[r] = {i - from + 1, from};
        }
    }
    const auto most = static_cast<std::size_t>(
        std::max_element(runs.begin(), runs.end(),
                         [](const Run& a, const Run& b) { return a.length < b.length; }) -
        runs.begin());
    RowChange change;
    change.row = rows[most];
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (r != most && runs[r].length >= kRun) {
            change.rivals.push_back(rows[r]);
        }
    }
    if (change.rivals.empty()) {
        return std::nullopt;
    }
    const auto at = [&](std::int64_t i) { return begin + longest + span * i / (places - 1); };
    change.begin = at(runs[most].first) - longest;
    change.end = at(runs[most].first + runs[most].length - 1) + probe;
    return change;
}

}  // namespace rastel::core::pictures
