// The pixel format and the row stride. A direct format reads colours straight from the bytes:
// the depth, order and palette step aside, keeping their choices for when the palette indices
// come back; the width counts the format's pixels, the offset bytes.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "image/rules/FieldRules.h"
#include "settings/OptMenuQt.h"
#include "settings/OptMenuTexts.h"
#include "settings/frmOptMenu.h"
#include "toolkit/Tag.h"

namespace rastel {

using optMenuQt::Number;
using optMenuQt::Qs;
using optMenuQt::Std;
using toolkit::SetTag;
using toolkit::Tag;

void frmOptMenu::cmbFORMAT_Click() {
    const int item = cmbFORMAT->currentIndex();
    if (item < 0) {
        return;
    }
    const int choice = cmbFORMAT->itemData(item).toInt();
    if (choice < 0) {  // a heading, put there by a call: the last choice stays
        ShowFormatChoice(mFormatShown);
        return;
    }
    const core::PixelFormat* format = core::ChosenFormat(choice);
    if (format != nullptr && core::CheckFormatWidth(*format, mChoice.settings.gFileSize, 1).why ==
                                 core::Outcome::Why::kFileTooShort) {
        ShowFormatChoice(mFormatShown);
        ShowTip(Qs(optMenuTexts::kFormatTooLargeTip));
        return;
    }
    mFormatShown = choice;
    const bool indices = format == nullptr;
    for (const int i : {0, 1, 2}) {
        fraMENU[i]->setEnabled(indices);
    }
    lblNOP[11]->setEnabled(!indices);
    tbxSTRIDE->setEnabled(!indices);
    // A format without planes keeps the frame height for when one with planes comes back.
    const bool planes = format != nullptr && format->family == core::FormatFamily::Planar;
    lblNOP[13]->setEnabled(planes);
    tbxFRAMEH->setEnabled(planes);
    tbxWIDTH_Change();  // the width's limit and the height are the format's
}

void frmOptMenu::ShowFormatChoice(int choice) {
    cmbFORMAT->setCurrentIndex(std::max(0, cmbFORMAT->findData(choice)));
}

void frmOptMenu::cmbFORMAT_GotFocus() {
    ShowTip(Qs(optMenuTexts::kFormatTip));
}

void frmOptMenu::tbxSTRIDE_Change() {
    const fieldRules::Edit edit = fieldRules::StrideEdit(Std(tbxSTRIDE->text()));
    if (edit.kind == fieldRules::Edit::kPutBack) {
        tbxSTRIDE->setText(Tag(tbxSTRIDE));
    } else if (edit.kind == fieldRules::Edit::kAccept) {
        tbxSTRIDE->setText(Number(edit.value));
        SetTag(tbxSTRIDE, tbxSTRIDE->text());
        tbxWIDTH_Change();  // rows of the stride's bytes make the height
    }
}

void frmOptMenu::tbxSTRIDE_KeyDown(int key) {
    StepField(tbxSTRIDE, key);
}

// A stride shorter than a row of the width cannot be left; the tip line says why.
void frmOptMenu::tbxSTRIDE_Validate(bool* cancel) {
    const std::optional<std::int64_t> value = fieldRules::StrideOnLeave(Std(tbxSTRIDE->text()));
    if (!value || !StrideHoldsARow(*value)) {
        *cancel = true;
        if (value) {
            ShowTip(Qs(optMenuTexts::kStrideTooSmallTip));
        }
        return;
    }
    tbxSTRIDE->setText(Number(*value));
}

void frmOptMenu::tbxSTRIDE_GotFocus() {
    ShowTip(Qs(optMenuTexts::kStrideTip));
}

void frmOptMenu::tbxFRAMEH_Change() {
    const fieldRules::Edit edit = fieldRules::FrameHeightEdit(Std(tbxFRAMEH->text()));
    if (edit.kind == fieldRules::Edit::kPutBack) {
        tbxFRAMEH->setText(Tag(tbxFRAMEH));
    } else if (edit.kind == fieldRules::Edit::kAccept) {
        tbxFRAMEH->setText(Number(edit.value));
        SetTag(tbxFRAMEH, tbxFRAMEH->text());
        tbxWIDTH_Change();  // whole frames make the height
    }
}

void frmOptMenu::tbxFRAMEH_KeyDown(int key) {
    StepField(tbxFRAMEH, key);
}

// A frame taller than the file's rows cannot be left; the tip line says why.
void frmOptMenu::tbxFRAMEH_Validate(bool* cancel) {
    const std::optional<std::int64_t> value =
        fieldRules::FrameHeightOnLeave(Std(tbxFRAMEH->text()));
    if (!value || !FileHoldsAFrame(*value)) {
        *cancel = true;
        if (value) {
            ShowTip(Qs(optMenuTexts::kFrameTooTallTip));
        }
        return;
    }
    tbxFRAMEH->setText(Number(*value));
}

void frmOptMenu::tbxFRAMEH_GotFocus() {
    ShowTip(Qs(optMenuTexts::kFrameHeightTip));
}

void frmOptMenu::fraFORMAT_MouseMove() {
    ShowTip(Qs(optMenuTexts::kFormatTip));
}

std::int64_t frmOptMenu::AcceptedStride() const {
    return fieldRules::WholePart(fieldRules::ParseNumber(Std(Tag(tbxSTRIDE))).value_or(0));
}

std::int64_t frmOptMenu::AcceptedFrameHeight() const {
    return fieldRules::WholePart(fieldRules::ParseNumber(Std(Tag(tbxFRAMEH))).value_or(0));
}

bool frmOptMenu::FileHoldsAFrame(std::int64_t rows) const {
    const core::PixelFormat* format = SelectedFormat();
    const std::int64_t width =
        fieldRules::WholePart(fieldRules::ParseNumber(Std(Tag(tbxWIDTH))).value_or(1));
    return format == nullptr || core::CheckFrameHeight(*format, mChoice.settings.gFileSize, width,
                                                       AcceptedStride(), rows)
                                    .ok();
}

bool frmOptMenu::StrideHoldsARow(std::int64_t stride) const {
    const core::PixelFormat* format = SelectedFormat();
    const std::int64_t width =
        fieldRules::WholePart(fieldRules::ParseNumber(Std(Tag(tbxWIDTH))).value_or(1));
    return format == nullptr || core::CheckStride(*format, width, stride).ok();
}

}  // namespace rastel
