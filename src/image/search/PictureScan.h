// The pictures inside a file: regions whose bytes fall into rows, each with its start, length,
// row length, the element its rows are made of, the direct format most likely to show it and
// its width in that format's pixels. Found at about the speed of reading the file: a first
// pass over every byte leaves out all but the smooth cells (PictureCells.h); the width
// suggestions' own search then runs on windows around them, and the rows found are followed
// to where they stop.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stop_token>
#include <vector>

#include "image/base/ByteSource.h"
#include "image/pixels/PixelFormat.h"
#include "image/search/PictureCells.h"

namespace rastel::core {

struct PictureRegion {
    std::int64_t start = 0;   // the first byte of its first row
    std::int64_t length = 0;  // bytes, to where its rows stop
    std::int64_t rowBytes = 0;
    // The bytes of the values or pixels the rows are made of, 1 when none was found.
    int elementBytes = 1;
    // The format that shows it: 2 bytes gray16le, gray16be or rgb565le, 3 rgb24, 4 bgr0 or
    // bgra; none (palette indices at 256 colours) for single bytes and other elements.
    const PixelFormat* format = nullptr;
    std::int64_t width = 0;  // in pixels of the format, or in bytes when none
    // From 0 to 1: how much closer bytes a row apart are than bytes a quarter row more or less
    // apart, over its rows.
    double score = 0;
    // Records of rowBytes, alike only field under field, rather than a picture: no format,
    // its width a row's bytes.
    bool table = false;
};

// What a long scan reports and listens to; either may be left empty.
struct ScanControl {
    std::stop_token stop;  // once requested, the scan gives up and returns nothing
    // The share of the work done, from 0 to 1, now and then; on the scan's thread.
    std::function<void(double)> progress;
    // The threads it may use: 0 for as many as the machine has, two at most. What it finds is
    // the same whatever their number.
    int threads = 0;
};

// The pictures in source, best first, then the tables, best first: its bytes are read once in
// pieces, then here and there.
// Unreadable when a read failed, cancelled when a stop was requested.
Result<std::vector<PictureRegion>> FindPictures(ByteSource& source,
                                                const ScanControl& control = {});

}  // namespace rastel::core
