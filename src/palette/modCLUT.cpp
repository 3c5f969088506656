#include "palette/modCLUT.h"

namespace rastel::modCLUT {

CustomPalette gCustomPal;

}  // namespace rastel::modCLUT
