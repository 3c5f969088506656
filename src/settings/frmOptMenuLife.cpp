// The dialog's life: its load puts the settings it was given into the controls, whose handlers
// then bring the rest of the dialog in line; OK makes the controls its choice of settings and
// palette, Cancel and the window's close box choose nothing.
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

#include "image/pixels/PaletteBuilder.h"
#include "image/pixels/modCLUT.h"
#include "image/rules/FieldRules.h"
#include "settings/OptMenuQt.h"
#include "settings/frmOptMenu.h"
#include "toolkit/Tag.h"

namespace rastel {

using optMenuQt::Number;
using optMenuQt::Std;
using toolkit::SetTag;
using toolkit::Tag;

namespace {

// The number an accepted field holds; only called once the field's rules accepted its text.
std::int64_t FieldValue(const QLineEdit* field) {
    return fieldRules::WholePart(fieldRules::ParseNumber(Std(field->text())).value_or(0));
}

}  // namespace

void frmOptMenu::Form_Load() {
    modBITMAPinfo::ViewSettings& s = mChoice.settings;
    optOKCancel = false;
    cmbPICARRAY->setCurrentIndex(0);
    tbxFILENAME->setText(QString::fromStdString(s.gFileName));
    tbxFILESIZE->setText(Number(s.gFileSize) + " バイト");
    tbxWIDTH->setText(Number(s.gPicWidth));
    SetTag(tbxWIDTH, Number(s.gPicWidth));
    tbxHEIGHT->setText(Number(s.gPicHeight));
    SetTag(tbxHEIGHT, Number(s.gPicHeight));
    // The very first opening turns the unset magnifications into 1, before any OK: in the
    // dialog's own copy, which Cancel drops.
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
    SetTag(tbxSTRIDE, Number(s.gStride));
    tbxSTRIDE->setText(Number(s.gStride));
    SetTag(tbxFRAMEH, Number(s.gFrameHeight));
    tbxFRAMEH->setText(Number(s.gFrameHeight));
    const std::int32_t format = s.gFormat != nullptr ? core::ChoiceOf(*s.gFormat) : 0;
    ShowFormatChoice(format);
}

void frmOptMenu::cmdOK_Click() {
    // Enter in a field, or OK after a button that skips the checks, can arrive with a field
    // that holds no acceptable number: store nothing and send the user back to it.
    if (QLineEdit* bad = FirstUnacceptableField()) {
        bad->setFocus();
        bad->selectAll();
        return;
    }
    const std::int32_t depth = SelectedDepth().value_or(modBITMAPinfo::kDepth256);
    optOKCancel = true;
    modBITMAPinfo::ViewSettings& s = mChoice.settings;
    for (int i = 0; i < static_cast<int>(optPALCOLOR.size()); ++i) {
        if (optPALCOLOR[i]->isChecked()) {
            modBITMAPinfo::BuildPalette(mChoice.palette, i, depth, modCLUT::gCustomPal.colors);
            s.gPalColor = i;
        }
    }
    s.gPicWidth = FieldValue(tbxWIDTH);
    s.gPicHeight = FieldValue(tbxHEIGHT);
    s.gColBit = depth;
    s.gMagX = static_cast<std::int32_t>(FieldValue(tbxMagX));
    s.gMagY = static_cast<std::int32_t>(FieldValue(tbxMagY));
    s.gSynXY = cbxSynXY->checkState() != Qt::Unchecked;
    s.gUseOffset = cbxOFFSET->checkState() != Qt::Unchecked;
    // A disabled offset field may hold a half-typed text; its last good value is what counts.
    s.gOffA = fieldRules::OffsetEdit(Std(tbxOFFa->text())).kind == fieldRules::Edit::kAccept
                  ? FieldValue(tbxOFFa)
                  : fieldRules::WholePart(fieldRules::ParseNumber(Std(Tag(tbxOFFa))).value_or(0));
    s.gFormat = SelectedFormat();
    // As for the offset: a disabled field's last good value.
    s.gStride = fieldRules::StrideEdit(Std(tbxSTRIDE->text())).kind == fieldRules::Edit::kAccept
                    ? FieldValue(tbxSTRIDE)
                    : AcceptedStride();
    s.gFrameHeight =
        fieldRules::FrameHeightEdit(Std(tbxFRAMEH->text())).kind == fieldRules::Edit::kAccept
            ? FieldValue(tbxFRAMEH)
            : AcceptedFrameHeight();
    const std::int32_t order = std::max(cmbPICARRAY->currentIndex(), 0);
    switch (depth) {
        case modBITMAPinfo::kDepth16:
            s.gArray16 = order;
            break;
        case modBITMAPinfo::kDepth2:
            s.gArray2 = order;
            break;
        default:
            s.gArray256 = order;
            break;
    }
    Unload();
}

void frmOptMenu::cmdCANCEL_Click() {
    optOKCancel = false;
    Unload();
}

void frmOptMenu::Form_QueryUnload(bool& cancel, UnloadMode mode) {
    // Closing the window any other way than by OK or Cancel counts as Cancel.
    if (mode != UnloadMode::Code) {
        optOKCancel = false;
    }
    cancel = false;
}

void frmOptMenu::closeEvent(QCloseEvent* event) {
    bool cancel = false;
    Form_QueryUnload(cancel, mUnloadingByCode ? UnloadMode::Code : UnloadMode::ControlMenu);
    mUnloadingByCode = false;
    if (cancel) {
        event->ignore();
        return;
    }
    event->accept();
    QDialog::done(optOKCancel ? Accepted : Rejected);
}

void frmOptMenu::reject() {
    // Esc presses Cancel.
    if (cmdCANCEL->isEnabled()) {
        cmdCANCEL->click();
    }
}

void frmOptMenu::Unload() {
    mUnloadingByCode = true;
    close();
}

std::optional<modBITMAPinfo::ViewChoice> RunOptMenu(QWidget* owner,
                                                    const modBITMAPinfo::ViewChoice& start) {
    frmOptMenu dialog(owner, start);
    dialog.cmdCANCEL->setEnabled(true);
    dialog.exec();
    if (!dialog.optOKCancel) {
        return std::nullopt;
    }
    return dialog.mChoice;
}

}  // namespace rastel
