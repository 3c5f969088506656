// The values or pixels a file's data is made of (16-bit samples, RGB pixels), found in the
// sample of the width suggestions, and the sample folded by each pixel's place in them.
#pragma once

#include <cstdint>
#include <vector>

#include "image/search/WidthSampling.h"

namespace rastel::core::widths {

struct Element {
    std::int64_t pixels = 1;  // of the depth
    int bytes = 1;
    double score = 0;  // from 0 to 1: how much closer pixels at its multiples are
};

// The element the sample is made of, from the comb it leaves in the distances: pixels a
// whole number of elements apart are alike at the same place in their elements. A single
// pixel when no element of several bytes stands out; ppb: pixels of the depth in a byte.
Element FindElement(const Sample& sample, std::int64_t ppb);

// How alike each place in an element of the given pixels is from one element to the next, as
// the file counts places: 1 less the mean squared step over twice the place's spread, 0 for a
// place of one value. Empty when a place has fewer than two pixels.
std::vector<double> PlaceLikeness(const Sample& sample, std::int64_t element);

// Folds the sample by place in the element, as the file counts it: each place's values
// around their own mean, scaled to the same spread, and by how much alike neighbouring
// elements are there. The low bytes of samples are mostly noise, which would drown the rows
// the high bytes show. Records alike only from one row to the next are left as they are.
// Returns the PlaceLikeness the sample had before, which it measures on the way.
std::vector<double> WeighPlaces(Sample& sample, std::int64_t element);

}  // namespace rastel::core::widths
