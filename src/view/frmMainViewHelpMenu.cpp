// ヘルプ(H): the about window.
#include "view/frmMainView.h"

namespace rastel {

void frmMainView::fMnuHELPabout_Click() {
    mShowAbout(this);
}

}  // namespace rastel
