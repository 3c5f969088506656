// Renders one file as rastel-render's options say.
#pragma once

#include <ostream>

#include "cli/RenderOptions.h"

namespace rastel::cli {

// Writes the picture, or with suggestWidth the suggested widths and with overview the blocks to
// listing, and returns the exit status: 0, or 1 with one line on err.
int Render(const RenderOptions& options, std::ostream& listing, std::ostream& err);

}  // namespace rastel::cli
