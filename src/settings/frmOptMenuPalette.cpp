// Depth, order and palette: the choices that decide how bytes become colours, the palette
// strip that previews them, and the tips line that names what each part of the dialog does.
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>

#include "image/pixels/PaletteBuilder.h"
#include "image/pixels/modCLUT.h"
#include "palette/frmCLUT.h"
#include "settings/OptMenuQt.h"
#include "settings/OptMenuTexts.h"
#include "settings/frmOptMenu.h"
#include "toolkit/DoEvents.h"
#include "toolkit/PictureDrawing.h"

namespace rastel {

using optMenuQt::Qs;

namespace {

void RunPaletteEditor(QWidget* owner) {
    frmCLUT editor(owner);
    editor.exec();
}

}  // namespace

void frmOptMenu::optCOLBIT_Click(int index) {
    for (int i = 0; i < static_cast<int>(optPALCOLOR.size()); ++i) {
        if (optPALCOLOR[i]->isChecked()) {
            optPALCOLOR_Click(i);
        }
    }
    cmbPICARRAY->clear();
    for (std::string_view item : optMenuTexts::OrderItems(index)) {
        cmbPICARRAY->addItem(Qs(item));
    }
    cmbPICARRAY->setEnabled(true);
    const modBITMAPinfo::ViewSettings& s = mChoice.settings;
    const std::int32_t stored = index == modBITMAPinfo::kDepth16  ? s.gArray16
                                : index == modBITMAPinfo::kDepth2 ? s.gArray2
                                                                  : s.gArray256;
    // A stored order the list does not have falls back to the first one.
    cmbPICARRAY->setCurrentIndex(stored >= 0 && stored < cmbPICARRAY->count() ? stored : 0);
    lblMIN->setText(Qs(optMenuTexts::MinIndexText(index)));
    lblMAX->setText(Qs(optMenuTexts::MaxIndexText(index)));
    tbxWIDTH_Change();
}

void frmOptMenu::optCOLBIT_GotFocus(int /*index*/) {
    fraMENU_MouseMove(0);
}

void frmOptMenu::cmbPICARRAY_GotFocus() {
    fraMENU_MouseMove(1);
}

void frmOptMenu::optPALCOLOR_Click(int index) {
    cmdPALcustom->setEnabled(false);
    const std::int32_t depth = SelectedDepth().value_or(modBITMAPinfo::kDepth256);
    const bool hasPalette =
        index == modBITMAPinfo::kPalGrey || index == modBITMAPinfo::kPalThermo ||
        index == modBITMAPinfo::kPalBinary || index == modBITMAPinfo::kPalCustom;
    if (index == modBITMAPinfo::kPalCustom) {
        cmdPALcustom->setEnabled(true);
    }
    if (hasPalette) {
        lblPALtips->setText(Qs(optMenuTexts::PaletteDescription(index, depth)));
        modBITMAPinfo::BuildPaletteStrip(mPaletteStrip, depth);
        modBITMAPinfo::BuildPalette(mPaletteStrip, index, depth, modCLUT::gCustomPal.colors);
    }
    DrawPaletteStrip();
}

void frmOptMenu::optPALCOLOR_GotFocus(int /*index*/) {
    fraMENU_MouseMove(2);
}

void frmOptMenu::cmdPALcustom_Click() {
    RunPaletteEditor(this);
    for (int i = 0; i < static_cast<int>(optPALCOLOR.size()); ++i) {
        if (optPALCOLOR[i]->isChecked()) {
            optPALCOLOR_Click(i);
        }
    }
}

void frmOptMenu::cmdPALcustom_GotFocus() {
    fraMENU_MouseMove(2);
}

std::optional<std::int32_t> frmOptMenu::SelectedDepth() const {
    for (int i = 0; i < static_cast<int>(optCOLBIT.size()); ++i) {
        if (optCOLBIT[i]->isChecked()) {
            return i;
        }
    }
    return std::nullopt;
}

void frmOptMenu::DrawPaletteStrip() {
    const QImage image =
        toolkit::ExpandIndexed(mPaletteStrip, 1, 1, 0, 0, mPaletteStrip.bmiHeader.biWidth,
                               mPaletteStrip.bmiHeader.biHeight);
    if (!image.isNull()) {
        picPALGRAD->setPixmap(QPixmap::fromImage(image));
    }
    picPALGRAD->repaint();
    // Paint at once, but let no click start another handler in the middle of this one.
    toolkit::DoEvents(QEventLoop::ExcludeUserInputEvents);
}

void frmOptMenu::Form_MouseMove() {
    ShowTip(Qs(optMenuTexts::kDefaultTip));
}

void frmOptMenu::cmdOK_GotFocus() {
    ShowTip(Qs(optMenuTexts::kOKTip));
}

void frmOptMenu::cmdOK_MouseMove() {
    ShowTip(Qs(optMenuTexts::kOKTip));
}

void frmOptMenu::cmdCANCEL_GotFocus() {
    ShowTip(Qs(optMenuTexts::kCancelTip));
}

void frmOptMenu::cmdCANCEL_MouseMove() {
    ShowTip(Qs(optMenuTexts::kCancelTip));
}

void frmOptMenu::fraMENU_MouseMove(int index) {
    const std::string_view tip = optMenuTexts::Tip(index);
    if (!tip.empty()) {
        ShowTip(Qs(tip));
    }
}

void frmOptMenu::ShowTip(const QString& text) {
    lblALLtips->setText(text);
    lblALLtips->adjustSize();
}

}  // namespace rastel
