// The settings dialog: how the loaded file becomes a picture (depth, order, palette or a direct
// pixel format, width, magnification, offset, row stride). It takes the settings and palette to
// start from, edits its own controls, and on OK hands back the ones chosen; it writes nothing else.
#pragma once

#include <QDialog>
#include <array>
#include <cstdint>
#include <optional>

#include "image/pixels/Layout.h"
#include "image/pixels/PixelFormat.h"
#include "image/pixels/modBITMAPinfo.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace rastel {

class frmOptMenu : public QDialog {
    Q_OBJECT
  public:
    // Builds the controls and runs the load sequence from start; the dialog is not shown yet.
    frmOptMenu(QWidget* owner, const modBITMAPinfo::ViewChoice& start);

    // True only when the dialog was closed with OK; read by the caller after it has closed.
    bool optOKCancel = false;
    // What it started from (magnifications of 0 made 1), and once OK was pressed, the choice.
    const modBITMAPinfo::ViewChoice& Choice() const { return mChoice; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    friend std::optional<modBITMAPinfo::ViewChoice> RunOptMenu(
        QWidget* owner, const modBITMAPinfo::ViewChoice& start);

    enum class UnloadMode { ControlMenu, Code };

    // building the controls (frmOptMenu.cpp)
    void createControls();
    void createSizeFrames();
    void createDepthAndOffsetFrames();
    void createPaletteFrame();
    void createFormatFrame();
    void createTabOrder();
    void wireEvents();

    // loading the settings into them (frmOptMenuLife.cpp)
    void Form_Load();

    // handlers: size, magnification and offset fields (frmOptMenuFields.cpp)
    void optWIDHGT_Click(int index);
    void tbxWIDTH_Change();
    void tbxWIDTH_KeyDown(int key);
    void tbxWIDTH_Validate(bool* cancel);
    void tbxHEIGHT_Change();
    void tbxMagX_Change();
    void tbxMagX_KeyDown(int key);
    void tbxMagX_Validate(bool* cancel);
    void tbxMagX_GotFocus();
    void tbxMagY_Change();
    void tbxMagY_KeyDown(int key);
    void tbxMagY_Validate(bool* cancel);
    void tbxMagY_GotFocus();
    void tbxOFFa_Change();
    void tbxOFFa_KeyDown(int key);
    void tbxOFFa_Validate(bool* cancel);
    void tbxOFFa_GotFocus();
    void cbxSynXY_Click();
    void cbxSynXY_GotFocus();
    void cbxSynXY_MouseMove();
    void cbxOFFSET_Click();
    void cbxOFFSET_GotFocus();
    // The kind of pixels chosen (format or depth, with the stride); nothing while no depth is.
    std::optional<core::Layout> ChosenKind() const;
    std::optional<std::int64_t> CurrentPixelCount() const;
    void PutBackSize();
    void MagnificationChange(QLineEdit* field);
    void MagnificationValidate(QLineEdit* field, QLineEdit* other, bool* cancel);
    void StepField(QLineEdit* field, int key);
    QLineEdit* FirstUnacceptableField();

    // handlers: depth, order, palette and tips (frmOptMenuPalette.cpp)
    void optCOLBIT_Click(int index);
    void optCOLBIT_GotFocus(int index);
    void cmbPICARRAY_GotFocus();
    void optPALCOLOR_Click(int index);
    void optPALCOLOR_GotFocus(int index);
    void cmdPALcustom_Click();
    void cmdPALcustom_GotFocus();
    void Form_MouseMove();
    void cmdOK_GotFocus();
    void cmdOK_MouseMove();
    void cmdCANCEL_GotFocus();
    void cmdCANCEL_MouseMove();
    void fraMENU_MouseMove(int index);
    std::optional<std::int32_t> SelectedDepth() const;
    void DrawPaletteStrip();
    void ShowTip(const QString& text);

    // handlers: the pixel format and the row stride (frmOptMenuFormat.cpp)
    void cmbFORMAT_Click();
    void cmbFORMAT_GotFocus();
    void tbxSTRIDE_Change();
    void tbxSTRIDE_KeyDown(int key);
    void tbxSTRIDE_Validate(bool* cancel);
    void tbxSTRIDE_GotFocus();
    void tbxFRAMEH_Change();
    void tbxFRAMEH_KeyDown(int key);
    void tbxFRAMEH_Validate(bool* cancel);
    void tbxFRAMEH_GotFocus();
    void fraFORMAT_MouseMove();
    const core::PixelFormat* SelectedFormat() const { return core::ChosenFormat(mFormatShown); }
    // Shows the list's item of that choice; palette indices where there is none.
    void ShowFormatChoice(int choice);
    std::int64_t AcceptedStride() const;
    bool StrideHoldsARow(std::int64_t stride) const;
    // The frame height last accepted; 0 until one is.
    std::int64_t AcceptedFrameHeight() const;
    // Whether the file holds a frame of that many rows at the width and stride in their fields.
    bool FileHoldsAFrame(std::int64_t rows) const;

    // handlers: leaving the dialog (frmOptMenuLife.cpp)
    void Form_QueryUnload(bool& cancel, UnloadMode mode);
    void cmdOK_Click();
    void cmdCANCEL_Click();
    void Unload();

    // Top of the window.
    std::array<QLabel*, 14> lblNOP{};  // 2 and 3 do not exist
    QLineEdit* tbxFILENAME = nullptr;
    QLineEdit* tbxFILESIZE = nullptr;

    std::array<QGroupBox*, 7> fraMENU{};

    // Width and height.
    QLineEdit* tbxWIDTH = nullptr;
    QLineEdit* tbxHEIGHT = nullptr;
    std::array<QRadioButton*, 2> optWIDHGT{};

    // Magnification.
    QLineEdit* tbxMagX = nullptr;
    QLineEdit* tbxMagY = nullptr;
    QCheckBox* cbxSynXY = nullptr;

    // Depth, order and offset.
    std::array<QRadioButton*, 3> optCOLBIT{};
    QComboBox* cmbPICARRAY = nullptr;
    QCheckBox* cbxOFFSET = nullptr;
    QLineEdit* tbxOFFa = nullptr;
    QLineEdit* tbxOFFz = nullptr;

    // Palette.
    std::array<QRadioButton*, 7> optPALCOLOR{};
    QLabel* picPALGRAD = nullptr;
    QLabel* lblMIN = nullptr;
    QLabel* lblMAX = nullptr;
    QLabel* lblPALtips = nullptr;
    QPushButton* cmdPALcustom = nullptr;
    QPushButton* cmdLIBedit = nullptr;
    QComboBox* cmbCLUT = nullptr;

    // Pixel format and row stride.
    QGroupBox* fraFORMAT = nullptr;
    QComboBox* cmbFORMAT = nullptr;
    QLineEdit* tbxSTRIDE = nullptr;
    QLineEdit* tbxFRAMEH = nullptr;

    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCANCEL = nullptr;
    QPushButton* cmdSETdef = nullptr;
    QLabel* lblALLtips = nullptr;

    modBITMAPinfo::ViewChoice mChoice;
    modBITMAPinfo::DibImage mPaletteStrip;
    bool mUnloadingByCode = false;
    std::int32_t mFormatShown = 0;  // the choice last accepted: 0 palette indices, then formats
};

// Runs the dialog as its callers do: a fresh instance from start, Cancel enabled, modal over
// owner. The settings and palette chosen with OK; nothing on Cancel or the close box.
std::optional<modBITMAPinfo::ViewChoice> RunOptMenu(QWidget* owner,
                                                    const modBITMAPinfo::ViewChoice& start);

}  // namespace rastel
