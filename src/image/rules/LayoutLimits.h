// How far a picture's layout may reach: the layouts check it, the fields and the renderer's
// options refuse what lies beyond.
#pragma once

#include <cstdint>

#include "image/rules/InputFile.h"

namespace rastel::core {

// Rows no longer than the largest file a picture is made of.
constexpr std::int64_t kMaxStride = kFileSizeLimit - 1;
// Offsets stay strictly inside +-this.
constexpr std::int64_t kOffsetLimit = 2130706431;

}  // namespace rastel::core
