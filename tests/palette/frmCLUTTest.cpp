#include "palette/frmCLUT.h"

#include "image/pixels/modCLUT.h"
#include "support/Monkey.h"
#include "toolkit/Shape.h"

namespace rastel {
namespace {

using modBITMAPinfo::RGBQUAD;
using modCLUT::gCustomPal;

RGBQUAD Rgb(int r, int g, int b) {
    return {static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(g),
            static_cast<std::uint8_t>(r), 0};
}

QColor ColorOf(const RGBQUAD& c) {
    return QColor(c.rgbRed, c.rgbGreen, c.rgbBlue);
}

// The editor's controls, its arrays in index order.
struct Controls {
    explicit Controls(QWidget* w)
        : index(w->findChild<QLineEdit*>("tbxCOLINDEX")),
          start(w->findChild<QLineEdit*>("tbxGRDA")),
          end(w->findChild<QLineEdit*>("tbxGRDZ")),
          frame(w->findChild<toolkit::Shape*>("ShapeC")),
          preview(w->findChild<toolkit::Shape*>("Shape2")),
          color(toolkit::Elements<QLineEdit>(w, "tbxCOLOR")),
          bar(toolkit::Elements<QScrollBar>(w, "scrCOLOR")),
          swatch(toolkit::Elements<toolkit::Shape>(w, "Shape1")),
          hit(toolkit::Elements<QWidget>(w, "Image1")),
          opt(toolkit::Elements<QRadioButton>(w, "optGRD")) {}
    QLineEdit *index, *start, *end;
    toolkit::Shape *frame, *preview;
    QList<QLineEdit*> color;
    QList<QScrollBar*> bar;
    QList<toolkit::Shape*> swatch;
    QList<QWidget*> hit;
    QList<QRadioButton*> opt;
};

class PaletteEditor : public testing::WindowTest<frmCLUT> {
  protected:
    void SetUp() override {
        gCustomPal = {};
        Open();
        c = std::make_unique<Controls>(window.get());
        ASSERT_EQ(c->hit.size(), 256);
    }
    QStringList ColorTexts() const {
        return {c->color[0]->text(), c->color[1]->text(), c->color[2]->text()};
    }
    void Type(QLineEdit* field, const QString& text) {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
    }
    void Press(int entry, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(c->hit[entry], button);
    }
    std::unique_ptr<Controls> c;
};

TEST_F(PaletteEditor, BarsAndFieldsWriteTheSelectedEntry) {
    gCustomPal.colors[37] = Rgb(10, 20, 30);
    EXPECT_EQ(window->windowTitle(), "パレットウインドウ");
    // Sixteen entries to a row; a press selects an entry and names it in the fields.
    const QRect first = c->swatch[0]->geometry();
    EXPECT_EQ(c->hit[255]->geometry(), first.translated(15 * first.width(), 15 * first.height()));
    Press(37);
    EXPECT_EQ(c->frame->geometry(), c->swatch[37]->geometry());
    EXPECT_EQ(c->index->text(), "37");
    EXPECT_EQ(ColorTexts(), QStringList({"10", "20", "30"}));
    c->bar[0]->setSliderDown(true);
    for (int red : {60, 200}) {
        c->bar[0]->setSliderPosition(red);
        EXPECT_EQ(c->color[0]->text(), QString::number(red));
        EXPECT_EQ(c->preview->fillColor(), QColor(red, 20, 30));
        EXPECT_EQ(gCustomPal.colors[37], Rgb(red, 20, 30));
        EXPECT_EQ(c->swatch[37]->fillColor(), QColor(red, 20, 30));
    }
    c->bar[0]->setSliderDown(false);
    EXPECT_EQ(c->bar[0]->value(), 200);

    // A colour field takes 0 to 255, rounded down, and hands its value on when left or stepped.
    Type(c->color[1], "300");
    EXPECT_EQ(c->color[1]->text(), "30");
    EXPECT_EQ(gCustomPal.colors[37], Rgb(200, 20, 30));  // typing alone changes nothing
    QTest::keyClick(c->color[1], Qt::Key_Tab);
    EXPECT_EQ(gCustomPal.colors[37], Rgb(200, 30, 30));
    Type(c->color[2], "100");
    QTest::keyClick(c->color[2], Qt::Key_Up);
    EXPECT_EQ(std::pair(c->bar[2]->value(), gCustomPal.colors[37]),
              std::pair(101, Rgb(200, 30, 101)));
}

TEST_F(PaletteEditor, APressWritesItsIndexIntoOneGradientEndAndARightPressSwitchesEnds) {
    Press(10);
    Press(50, Qt::RightButton);
    EXPECT_TRUE(c->opt[1]->isChecked());
    EXPECT_EQ(c->start->text(), "10");
    EXPECT_EQ(c->end->text(), "50");
    Press(20);
    EXPECT_EQ(c->end->text(), "20");
    // Through the window, onto the selected swatch where the frame lies.
    QTest::mouseClick(window->windowHandle(), Qt::RightButton, {}, c->hit[20]->geometry().center());
    EXPECT_TRUE(c->opt[0]->isChecked());
    EXPECT_EQ(c->start->text(), "20");
}

TEST_F(PaletteEditor, GradientFillsBetweenTheEndsAndLeavesTheControlsStale) {
    gCustomPal.colors[2] = Rgb(9, 9, 9);
    gCustomPal.colors[4] = Rgb(255, 0, 0);
    Press(4);
    Press(0, Qt::RightButton);
    // Every selection writes an end, so an entry between them is selected only this way.
    Type(c->index, "2");
    c->end->setText("0");
    QTest::mouseClick(window->findChild<QPushButton*>("cmdGRD"), Qt::LeftButton);
    EXPECT_EQ(gCustomPal.colors[3], Rgb(192, 0, 0));
    EXPECT_EQ(gCustomPal.colors[1], Rgb(64, 0, 0));
    EXPECT_EQ(c->swatch[2]->fillColor(), QColor(128, 0, 0));
    EXPECT_EQ(ColorTexts(), QStringList({"9", "9", "9"}));
    EXPECT_EQ(c->preview->fillColor(), QColor(9, 9, 9));
    // A later edit writes only the one component.
    c->bar[1]->setValue(10);
    EXPECT_EQ(gCustomPal.colors[2], Rgb(128, 10, 0));
}

class PaletteMonkey : public testing::DialogMonkey {
  public:
    PaletteMonkey() {
        typed_ = "0123456789012345.-+eE x,";
        keys_ = {Qt::Key_Up,      Qt::Key_Down,   Qt::Key_Left, Qt::Key_Right, Qt::Key_Tab,
                 Qt::Key_Backtab, Qt::Key_Home,   Qt::Key_End,  Qt::Key_Tab,   Qt::Key_Backspace,
                 Qt::Key_Delete,  Qt::Key_Return, Qt::Key_Up,   Qt::Key_Down,  Qt::Key_Escape};
        accessKeys_ = {Qt::Key_N, Qt::Key_R, Qt::Key_G, Qt::Key_B,
                       Qt::Key_A, Qt::Key_Z, Qt::Key_P, Qt::Key_C};
        controls_ = {"tbxCOLINDEX", "tbxCOLOR", "scrCOLOR", "optGRD",  "cmdGRD",
                     "Command1",    "Command4", "Combo1",   "cmdEXIT", "Label1",
                     "Frame1",      "Image1",   "Image1"};
        rightClicked_ = "Image1";
    }

  private:
    QDialog* Open() override {
        window_ = std::make_unique<frmCLUT>();
        window_->show();
        c_ = std::make_unique<Controls>(window_.get());
        return window_.get();
    }

    std::vector<testing::MonkeyField> Fields() const override {
        std::vector<testing::MonkeyField> fields;
        for (QLineEdit* f : {c_->index, c_->color[0], c_->color[1], c_->color[2]}) {
            fields.push_back({f, 0, 255, true, [](const std::string& text) {
                                  return fieldRules::ByteValue(text).has_value();
                              }});
        }
        return fields;
    }

    // The frame is on the selected entry, and every swatch shows its entry.
    std::string Broken() const override {
        const int selected = toolkit::Tag(c_->index).toInt();
        if (c_->frame->geometry() != c_->swatch[selected]->geometry()) {
            return "the frame is not on entry " + std::to_string(selected);
        }
        for (int i = 0; i < 256; ++i) {
            const RGBQUAD& e = gCustomPal.colors[i];
            if (e.rgbReserved != 0 || c_->swatch[i]->fillColor() != ColorOf(e)) {
                return "entry " + std::to_string(i) + " is not shown as it is";
            }
        }
        return "";
    }

    std::unique_ptr<frmCLUT> window_;
    std::unique_ptr<Controls> c_;
};

TEST(PaletteEditorMonkey, KeepsEveryFieldAndThePaletteValid) {
    gCustomPal = {};
    PaletteMonkey().Run(20261206);
}

}  // namespace
}  // namespace rastel
