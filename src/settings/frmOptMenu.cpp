// Stands in for the settings dialog until it exists: accepts the settings as they are.
#include "settings/frmOptMenu.h"

#include "image/PaletteBuilder.h"
#include "image/modBITMAPinfo.h"
#include "palette/modCLUT.h"

namespace rastel {

bool RunOptMenu(QWidget*) {
    using modBITMAPinfo::gDib;
    auto& s = gDib.settings;
    // The dialog turns an unset magnification into 1 when it opens.
    if (s.gMagX == 0) {
        s.gMagX = 1;
    }
    if (s.gMagY == 0) {
        s.gMagY = 1;
    }
    modBITMAPinfo::BuildPalette(gDib, s.gPalColor, s.gColBit, modCLUT::gCustomPal.colors);
    return true;
}

}  // namespace rastel
