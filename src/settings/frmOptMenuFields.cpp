// The number fields and their switches: width and height, the magnifications, the offset.
// The rules are fieldRules'; these handlers put their verdicts into the fields.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

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

void frmOptMenu::optWIDHGT_Click(int /*index*/) {
    // Only width mode exists: the width is typed, the height follows and is only shown.
    tbxWIDTH->setEnabled(true);
    QPalette widthColours = tbxWIDTH->palette();
    widthColours.setColor(QPalette::Base, widthColours.color(QPalette::Active, QPalette::Base));
    tbxWIDTH->setPalette(widthColours);
    tbxHEIGHT->setEnabled(false);
    QPalette heightColours = tbxHEIGHT->palette();
    heightColours.setColor(QPalette::Base, heightColours.color(QPalette::Button));
    tbxHEIGHT->setPalette(heightColours);
}

void frmOptMenu::tbxWIDTH_Change() {
    const std::optional<std::int64_t> pixels = CurrentPixelCount();
    const fieldRules::Edit edit = fieldRules::WidthEdit(Std(tbxWIDTH->text()), pixels);
    if (edit.kind == fieldRules::Edit::kLeave) {
        return;
    }
    if (edit.kind == fieldRules::Edit::kPutBack) {
        PutBackSize();
        return;
    }
    tbxWIDTH->setText(Number(edit.value));
    if (!pixels) {
        return;
    }
    tbxHEIGHT->setText(
        Number(core::RowsFor(*ChosenKind(), mChoice.settings.gFileSize, edit.value)));
    SetTag(tbxWIDTH, tbxWIDTH->text());
    SetTag(tbxHEIGHT, tbxHEIGHT->text());
}

void frmOptMenu::tbxWIDTH_KeyDown(int key) {
    StepField(tbxWIDTH, key);
}

void frmOptMenu::tbxWIDTH_Validate(bool* cancel) {
    if (!fieldRules::WidthOnLeave(Std(tbxWIDTH->text()))) {
        *cancel = true;
    }
}

void frmOptMenu::tbxHEIGHT_Change() {
    fraMENU_MouseMove(4);
}

void frmOptMenu::tbxMagX_Change() {
    MagnificationChange(tbxMagX);
}

void frmOptMenu::tbxMagX_KeyDown(int key) {
    StepField(tbxMagX, key);
}

void frmOptMenu::tbxMagX_Validate(bool* cancel) {
    MagnificationValidate(tbxMagX, tbxMagY, cancel);
}

void frmOptMenu::tbxMagX_GotFocus() {
    fraMENU_MouseMove(5);
}

void frmOptMenu::tbxMagY_Change() {
    MagnificationChange(tbxMagY);
}

void frmOptMenu::tbxMagY_KeyDown(int key) {
    StepField(tbxMagY, key);
}

void frmOptMenu::tbxMagY_Validate(bool* cancel) {
    MagnificationValidate(tbxMagY, tbxMagX, cancel);
}

void frmOptMenu::tbxMagY_GotFocus() {
    fraMENU_MouseMove(5);
}

void frmOptMenu::tbxOFFa_Change() {
    const fieldRules::Edit edit = fieldRules::OffsetEdit(Std(tbxOFFa->text()));
    if (edit.kind == fieldRules::Edit::kPutBack) {
        tbxOFFa->setText(Tag(tbxOFFa));
    } else if (edit.kind == fieldRules::Edit::kAccept) {
        tbxOFFa->setText(Number(edit.value));
        SetTag(tbxOFFa, tbxOFFa->text());
    }
}

void frmOptMenu::tbxOFFa_KeyDown(int key) {
    StepField(tbxOFFa, key);
}

void frmOptMenu::tbxOFFa_Validate(bool* cancel) {
    const std::optional<std::int64_t> value = fieldRules::OffsetOnLeave(Std(tbxOFFa->text()));
    if (!value) {
        *cancel = true;
        return;
    }
    tbxOFFa->setText(Number(*value));
}

void frmOptMenu::tbxOFFa_GotFocus() {
    fraMENU_MouseMove(6);
}

void frmOptMenu::cbxSynXY_Click() {
    if (cbxSynXY->checkState() != Qt::Unchecked) {
        tbxMagY->setText(tbxMagX->text());
    }
}

void frmOptMenu::cbxSynXY_GotFocus() {
    ShowTip(Qs(optMenuTexts::kSynXYTip));
}

void frmOptMenu::cbxSynXY_MouseMove() {
    ShowTip(Qs(optMenuTexts::kSynXYTip));
}

void frmOptMenu::cbxOFFSET_Click() {
    const bool on = cbxOFFSET->checkState() != Qt::Unchecked;
    tbxOFFa->setEnabled(on);
    lblNOP[9]->setEnabled(on);
}

void frmOptMenu::cbxOFFSET_GotFocus() {
    fraMENU_MouseMove(6);
}

std::optional<core::Layout> frmOptMenu::ChosenKind() const {
    const core::PixelFormat* format = SelectedFormat();
    const std::optional<std::int32_t> depth = SelectedDepth();
    if (format == nullptr && !depth) {
        return std::nullopt;
    }
    core::Layout kind;
    // The order moves pixels within their bytes, so it counts none.
    kind.format =
        format != nullptr ? format : core::IndexFormat(depth.value_or(modBITMAPinfo::kDepth256), 0);
    kind.stride = format != nullptr ? AcceptedStride() : 0;
    kind.frameHeight = format != nullptr ? AcceptedFrameHeight() : 0;
    return kind;
}

std::optional<std::int64_t> frmOptMenu::CurrentPixelCount() const {
    const std::optional<core::Layout> kind = ChosenKind();
    return kind ? std::optional(core::PixelCountOf(*kind, mChoice.settings.gFileSize))
                : std::nullopt;
}

void frmOptMenu::PutBackSize() {
    tbxWIDTH->setText(Tag(tbxWIDTH));
    tbxHEIGHT->setText(Tag(tbxHEIGHT));
}

void frmOptMenu::MagnificationChange(QLineEdit* field) {
    const fieldRules::Edit edit = fieldRules::MagnificationEdit(Std(field->text()));
    if (edit.kind == fieldRules::Edit::kPutBack) {
        field->setText(Tag(field));
    } else if (edit.kind == fieldRules::Edit::kAccept) {
        field->setText(Number(edit.value));
        SetTag(field, field->text());
    }
}

void frmOptMenu::MagnificationValidate(QLineEdit* field, QLineEdit* other, bool* cancel) {
    const std::optional<std::int64_t> value = fieldRules::MagnificationOnLeave(Std(field->text()));
    if (!value) {
        *cancel = true;
        return;
    }
    field->setText(Number(*value));
    if (cbxSynXY->checkState() != Qt::Unchecked) {
        other->setText(field->text());
    }
}

void frmOptMenu::StepField(QLineEdit* field, int key) {
    if (key != Qt::Key_Up && key != Qt::Key_Down) {
        return;
    }
    const int delta = key == Qt::Key_Up ? 1 : -1;
    field->setText(
        QString::fromStdString(fieldRules::StepText(Std(field->text()), Std(Tag(field)), delta)));
}

QLineEdit* frmOptMenu::FirstUnacceptableField() {
    using fieldRules::Edit;
    // The width is checked against the 32-bit bound only: a width kept from a depth with more
    // pixels per byte is legitimately above the current pixel count.
    if (fieldRules::WidthEdit(Std(tbxWIDTH->text()), std::nullopt).kind != Edit::kAccept ||
        !fieldRules::IsNumeric(Std(tbxHEIGHT->text()))) {
        return tbxWIDTH;
    }
    if (fieldRules::MagnificationEdit(Std(tbxMagX->text())).kind != Edit::kAccept) {
        return tbxMagX;
    }
    if (fieldRules::MagnificationEdit(Std(tbxMagY->text())).kind != Edit::kAccept) {
        return tbxMagY;
    }
    if (tbxOFFa->isEnabled() &&
        fieldRules::OffsetEdit(Std(tbxOFFa->text())).kind != Edit::kAccept) {
        return tbxOFFa;
    }
    // A direct format has no pixels past its own to show: the width must stay within them, and
    // its rows within the stride.
    const core::PixelFormat* format = SelectedFormat();
    if (format == nullptr) {
        return nullptr;
    }
    if (fieldRules::WidthEdit(Std(tbxWIDTH->text()), CurrentPixelCount()).kind != Edit::kAccept) {
        ShowTip(Qs(optMenuTexts::kWidthTooLargeTip));
        return tbxWIDTH;
    }
    const Edit stride = fieldRules::StrideEdit(Std(tbxSTRIDE->text()));
    if (stride.kind != Edit::kAccept) {
        return tbxSTRIDE;
    }
    if (!StrideHoldsARow(stride.value)) {
        ShowTip(Qs(optMenuTexts::kStrideTooSmallTip));
        return tbxSTRIDE;
    }
    const Edit frame = fieldRules::FrameHeightEdit(Std(tbxFRAMEH->text()));
    if (frame.kind != Edit::kAccept) {
        return tbxFRAMEH;
    }
    if (!FileHoldsAFrame(frame.value)) {
        ShowTip(Qs(optMenuTexts::kFrameTooTallTip));
        return tbxFRAMEH;
    }
    return nullptr;
}

}  // namespace rastel
