// The search for pictures on files made of the input: its bytes around a picture it describes
// (rows of a given length, each the one before it changed a little), so that regions are
// found and their bounds, formats and order can be checked, not only random bytes looked at.
#include <algorithm>
#include <utility>
#include <vector>

#include "Check.h"
#include "image/search/PictureCells.h"
#include "image/search/PictureScan.h"

namespace rastel::fuzz {

namespace {

// The file: gap bytes of the input, then rows of rowBytes bytes, each the one before plus
// a step from the input at every byte, then the rest of the input.
std::vector<std::uint8_t> MakeFile(InputReader& in) {
    const auto gap = static_cast<std::size_t>(in.range(0, 4096));
    const std::int64_t rowBytes = in.range(1, 2048);
    const std::int64_t rows = in.range(0, 64);
    const std::uint8_t steps = in.u8();
    const Input rest = in.rest();
    std::vector<std::uint8_t> file(rest.begin(), rest.begin() + std::min(gap, rest.size()));
    std::vector<std::uint8_t> row(static_cast<std::size_t>(rowBytes));
    for (std::size_t i = 0; i < row.size(); ++i) {
        row[i] = rest.empty() ? static_cast<std::uint8_t>(i) : rest[i % rest.size()];
    }
    for (std::int64_t r = 0; r < rows; ++r) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            row[i] = static_cast<std::uint8_t>(row[i] + ((steps >> (i % 8)) & 1));
        }
        file.insert(file.end(), row.begin(), row.end());
    }
    if (gap < rest.size()) {
        file.insert(file.end(), rest.begin() + static_cast<std::ptrdiff_t>(gap), rest.end());
    }
    return file;
}

}  // namespace

void CheckPictureScan(Input input) {
    InputReader in(input);
    const auto piece = static_cast<std::size_t>(in.range(1, 5000));
    const std::vector<std::uint8_t> file = MakeFile(in);
    core::SpanSource source(file);
    const auto found = core::FindPictures(source);
    Expect(found.has_value(), "a scan of bytes in memory failed");
    const auto size = static_cast<std::int64_t>(file.size());
    for (std::size_t i = 0; i < found->size(); ++i) {
        const core::PictureRegion& r = (*found)[i];
        Expect(r.start >= 0 && r.length > 0 && r.start + r.length <= size,
               "a region lies outside the file");
        Expect(r.rowBytes > 0 && r.length >= r.rowBytes, "a region is shorter than its row");
        Expect(r.elementBytes >= 1 && r.rowBytes % r.elementBytes == 0,
               "a row is not a whole number of elements");
        // A mosaic's element is two sites, each a pixel.
        Expect(r.format == nullptr ? r.width == r.rowBytes
                                   : r.elementBytes % r.format->bytes == 0 &&
                                         r.width * r.format->bytes == r.rowBytes,
               "the width is not the row in pixels of the format");
        Expect(r.score >= 0 && r.score <= 1, "a score outside 0 to 1");
        Expect(i == 0 || std::pair((*found)[i - 1].table, -(*found)[i - 1].score) <=
                             std::pair(r.table, -r.score),
               "the regions are not the pictures best first, then the tables");
        for (std::size_t j = 0; j < i; ++j) {
            const core::PictureRegion& o = (*found)[j];
            Expect(o.start + o.length <= r.start || r.start + r.length <= o.start,
                   "two regions overlap");
        }
    }
    // The first pass gives the same cells whatever the pieces of whole cells the file comes
    // in, and the scan the same regions with one thread or two.
    const std::int64_t cellsAPiece = static_cast<std::int64_t>(piece % 8) + 1;
    core::pictures::SmoothCells whole(size);
    core::pictures::SmoothCells pieces(size);
    whole.Judge(0, file);
    for (std::int64_t at = 0; at < size; at += cellsAPiece * core::pictures::kCell) {
        const std::int64_t n = std::min(cellsAPiece * core::pictures::kCell, size - at);
        pieces.Judge(
            at, std::span(file).subspan(static_cast<std::size_t>(at), static_cast<std::size_t>(n)));
    }
    for (std::int64_t c = 0; c < whole.count(); ++c) {
        Expect(whole.Smooth(c) == pieces.Smooth(c), "cells judged in pieces differ");
    }
    const auto one = core::FindPictures(source, {{}, {}, 1});
    const auto two = core::FindPictures(source, {{}, {}, 2});
    Expect(one && two && one->size() == two->size(), "two threads find other regions than one");
    for (std::size_t i = 0; one && two && i < std::min(one->size(), two->size()); ++i) {
        Expect((*one)[i].start == (*two)[i].start && (*one)[i].length == (*two)[i].length &&
                   (*one)[i].rowBytes == (*two)[i].rowBytes,
               "two threads find other regions than one");
    }
}

}  // namespace rastel::fuzz
