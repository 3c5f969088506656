// Renders one file as rastel-render's options say.
#pragma once

#include <ostream>

#include "cli/RenderOptions.h"

namespace rastel::cli {

// Writes the picture and returns the exit status: 0, or 1 with one line on err.
int Render(const RenderOptions& options, std::ostream& err);

}  // namespace rastel::cli
