// The palette editor: the 256 entries of the custom palette as a grid of swatches, an index
// field and red, green and blue controls for the selected entry, and the gradient tool. Every
// edit goes straight into modCLUT::gCustomPal; there is nothing to confirm or undo.
#pragma once

#include <QDialog>
#include <array>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace rastel {

namespace toolkit {
class Shape;
}

class frmCLUT : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kEntries = 256;

    explicit frmCLUT(QWidget* owner = nullptr);

    // Fills every swatch with its entry's colour.
    void colorset();

    // Selects an entry; button 2 (right) first flips the active gradient end, any other value
    // acts as a left press. The window itself passes 0.
    void Image1_MouseDown(int index, int button);
    void Image1_MouseMove(int index);

  private:  // build-up
    void createControls();
    void createSwatchControls();
    void createEditControls();
    void createGradientControls();
    void createBottomControls();
    void wireEvents();
    void Form_Load();

  private:  // handlers
    void tbxCOLINDEX_Change();
    void tbxCOLINDEX_KeyDown(int key);
    void tbxCOLINDEX_Validate(bool* cancel);
    void tbxCOLOR_Change(int k);
    void tbxCOLOR_KeyDown(int k, int key);
    void tbxCOLOR_Validate(int k, bool* cancel);
    void scrCOLOR_Change(int k);
    void scrCOLOR_Scroll(int k);
    void cmdGRD_Click();
    void cmdEXIT_Click();

  private:
    void ComponentChange(int k);
    void FillPreview();
    // Puts a field's last accepted text back.
    void RevertToTag(QLineEdit* field);

    // Controls, named as the tests find them.
    QLabel* Label1 = nullptr;
    std::array<toolkit::Shape*, kEntries> Shape1{};
    std::array<QWidget*, kEntries> Image1{};
    toolkit::Shape* ShapeC = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* tbxCOLINDEX = nullptr;
    toolkit::Shape* Shape2 = nullptr;
    std::array<QLabel*, 3> lblCOLOR{};
    std::array<QLineEdit*, 3> tbxCOLOR{};
    std::array<QScrollBar*, 3> scrCOLOR{};
    QGroupBox* Frame2 = nullptr;
    QWidget* Frame3 = nullptr;
    std::array<QRadioButton*, 2> optGRD{};
    QLineEdit* tbxGRDA = nullptr;
    QLineEdit* tbxGRDZ = nullptr;
    QPushButton* cmdGRD = nullptr;
    QLabel* lblNOP = nullptr;
    QGroupBox* Frame4 = nullptr;
    QComboBox* Combo1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* cmdEXIT = nullptr;

    // A press is selecting: the selection that setting the index field causes writes no
    // gradient end, so a press writes exactly one.
    bool mSelecting = false;
    // The index field is getting its last accepted text back; that entry is already selected.
    bool mReverting = false;
};

}  // namespace rastel
