// A frame of YUV in planes shows in a file as a picture of its Y with, right after it, the
// pictures of its chroma: a plane of U and one of V at half its rows' length, or one plane of
// U and V pairs at its own. The search finds them one by one; here they become one region, the
// frame, in the format its planes make.
#pragma once

#include <vector>

#include "image/search/PictureExtent.h"
#include "image/search/PictureScan.h"

namespace rastel::core::pictures {

// Joins each region of single bytes whose chroma follows it within a row, in the planes of
// 4:2:0 or 4:2:2, into one region of the frame: yuv420p, yuv422p, nv12 or nv16, from the Y's
// start, its rows' length, the frame's bytes long. The chroma's regions go. A region whose
// rows turn, two thirds or half way along, from single bytes into pairs is a frame of Y and
// U V pairs of the same rows' length, found as one. failed is set when a read failed.
void JoinPlanes(std::vector<PictureRegion>& found, Peek& peek, bool& failed);

}  // namespace rastel::core::pictures
