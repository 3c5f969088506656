// Loading the settings of the file into the dialog's controls; their handlers then bring the
// rest of the dialog in line.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include "settings/OptMenuQt.h"
#include "settings/frmOptMenu.h"
#include "toolkit/Tag.h"

namespace rastel {

using modBITMAPinfo::gDib;
using optMenuQt::Number;
using toolkit::SetTag;

void frmOptMenu::Form_Load() {
    modBITMAPinfo::ViewSettings& s = gDib.settings;
    optOKCancel = false;
    cmbPICARRAY->setCurrentIndex(0);
    tbxFILENAME->setText(QString::fromStdString(s.gFileName));
    tbxFILESIZE->setText(Number(s.gFileSize) + " バイト");
    tbxWIDTH->setText(Number(s.gPicWidth));
    SetTag(tbxWIDTH, Number(s.gPicWidth));
    tbxHEIGHT->setText(Number(s.gPicHeight));
    SetTag(tbxHEIGHT, Number(s.gPicHeight));
    // The very first opening turns the unset magnifications into 1, before any OK.
    if (s.gMagX == 0) {
        s.gMagX = 1;
    }
    if (s.gMagY == 0) {
        s.gMagY = 1;
    }
    tbxMagX->setText(Number(s.gMagX));
    tbxMagY->setText(Number(s.gMagY));
    SetTag(tbxMagX, Number(s.gMagX));
    SetTag(tbxMagY, Number(s.gMagY));
    cbxSynXY->setChecked(s.gSynXY);
    if (s.gPalColor >= 0 && s.gPalColor < static_cast<int>(optPALCOLOR.size())) {
        optPALCOLOR[s.gPalColor]->setChecked(true);
    }
    if (s.gColBit >= 0 && s.gColBit < static_cast<int>(optCOLBIT.size())) {
        optCOLBIT[s.gColBit]->setChecked(true);
    }
    optWIDHGT[0]->setChecked(s.gEditHeight != 0);
    optWIDHGT[1]->setChecked(s.gEditHeight == 0);
    cbxOFFSET->setChecked(s.gUseOffset);
    tbxOFFa->setText(Number(s.gOffA));
    SetTag(tbxOFFa, Number(s.gOffA));
}

}  // namespace rastel
