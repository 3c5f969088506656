#include "palette/frmCLUT.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <memory>

#include "palette/modCLUT.h"
#include "toolkit/ControlArray.h"
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

class PaletteEditor : public ::testing::Test {
  protected:
    void SetUp() override { gCustomPal = {}; }

    void Open() {
        window = std::make_unique<frmCLUT>();
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        index = Find<QLineEdit>("tbxCOLINDEX");
        color = toolkit::Elements<QLineEdit>(window.get(), "tbxCOLOR");
        bar = toolkit::Elements<QScrollBar>(window.get(), "scrCOLOR");
        swatch = toolkit::Elements<toolkit::Shape>(window.get(), "Shape1");
        hit = toolkit::Elements<QWidget>(window.get(), "Image1");
        opt = toolkit::Elements<QRadioButton>(window.get(), "optGRD");
        start = Find<QLineEdit>("tbxGRDA");
        end = Find<QLineEdit>("tbxGRDZ");
        ASSERT_EQ(color.size(), 3);
        ASSERT_EQ(swatch.size(), 256);
        ASSERT_EQ(hit.size(), 256);
    }

    template <typename T>
    T* Find(const char* name) {
        return window->findChild<T*>(QString::fromLatin1(name));
    }

    QColor Preview() { return Find<toolkit::Shape>("Shape2")->fillColor(); }
    QStringList ColorTexts() { return {color[0]->text(), color[1]->text(), color[2]->text()}; }

    void Type(QLineEdit* field, const QString& text) {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
    }

    std::unique_ptr<frmCLUT> window;
    QLineEdit* index = nullptr;
    QList<QLineEdit*> color;
    QList<QScrollBar*> bar;
    QList<toolkit::Shape*> swatch;
    QList<QWidget*> hit;
    QList<QRadioButton*> opt;
    QLineEdit* start = nullptr;
    QLineEdit* end = nullptr;
};

TEST_F(PaletteEditor, OpensOnEntryZeroWithTheWholeRange) {
    gCustomPal.colors[0] = Rgb(1, 2, 3);
    gCustomPal.colors[200] = Rgb(40, 50, 60);
    Open();
    EXPECT_EQ(window->windowTitle(), "パレットウインドウ");
    EXPECT_EQ(window->size(), QSize(540, 372));
    EXPECT_EQ(index->text(), "0");
    EXPECT_EQ(ColorTexts(), QStringList({"1", "2", "3"}));
    EXPECT_EQ(Preview(), QColor(1, 2, 3));
    EXPECT_EQ(start->text(), "0");
    EXPECT_EQ(end->text(), "255");
    EXPECT_TRUE(opt[0]->isChecked());
    EXPECT_EQ(Find<QWidget>("ShapeC")->geometry(), QRect(8, 28, 18, 15));
    EXPECT_EQ(swatch[17]->geometry(), QRect(26, 43, 18, 15));
    EXPECT_EQ(hit[255]->geometry(), QRect(278, 253, 18, 15));
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(swatch[i]->fillColor(), ColorOf(gCustomPal.colors[i])) << i;
    }
    EXPECT_EQ(Find<QLabel>("Label1")->text(), "");
}

TEST_F(PaletteEditor, DraggingAScrollBarWritesTheSelectedEntryAsTheThumbMoves) {
    gCustomPal.colors[37] = Rgb(10, 20, 30);
    Open();
    QTest::mouseClick(hit[37], Qt::LeftButton);
    EXPECT_EQ(ColorTexts(), QStringList({"10", "20", "30"}));
    bar[0]->setSliderDown(true);
    for (int red : {60, 130, 200}) {
        bar[0]->setSliderPosition(red);
        EXPECT_EQ(color[0]->text(), QString::number(red));
        EXPECT_EQ(Preview(), QColor(red, 20, 30));
        EXPECT_EQ(gCustomPal.colors[37], Rgb(red, 20, 30));
        EXPECT_EQ(swatch[37]->fillColor(), QColor(red, 20, 30));
    }
    bar[0]->setSliderDown(false);
    EXPECT_EQ(bar[0]->value(), 200);
    EXPECT_EQ(gCustomPal.colors[37], Rgb(200, 20, 30));
}

TEST_F(PaletteEditor, ColoursOutliveTheWindowButTheSelectionDoesNot) {
    Open();
    opt[1]->setChecked(true);
    QTest::mouseClick(hit[9], Qt::LeftButton);
    bar[1]->setValue(77);
    QTest::mouseClick(Find<QPushButton>("cmdEXIT"), Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(gCustomPal.colors[9], Rgb(0, 77, 0));

    Open();
    EXPECT_EQ(swatch[9]->fillColor(), QColor(0, 77, 0));
    EXPECT_EQ(index->text(), "0");
    EXPECT_EQ(start->text(), "0");
    EXPECT_EQ(end->text(), "255");
    EXPECT_TRUE(opt[0]->isChecked());
}

TEST_F(PaletteEditor, ColourFieldsTakeOnlyZeroTo255AndTypingAloneChangesNothing) {
    Open();
    Type(color[0], "300");
    EXPECT_EQ(color[0]->text(), "30");
    color[0]->selectAll();
    color[0]->insert("12.7");  // a paste
    EXPECT_EQ(color[0]->text(), "12");
    Type(color[0], "x");
    EXPECT_EQ(color[0]->text(), "12");
    color[0]->setText("-1");
    EXPECT_EQ(color[0]->text(), "12");
    EXPECT_EQ(gCustomPal.colors[0], Rgb(0, 0, 0));
    EXPECT_EQ(bar[0]->value(), 0);

    // Leaving the field hands the value on.
    QTest::keyClick(color[0], Qt::Key_Tab);
    EXPECT_FALSE(color[0]->hasFocus());
    EXPECT_EQ(bar[0]->value(), 12);
    EXPECT_EQ(gCustomPal.colors[0], Rgb(12, 0, 0));
    EXPECT_EQ(Preview(), QColor(12, 0, 0));
}

TEST_F(PaletteEditor, AnEmptyFieldCannotBeLeft) {
    Open();
    for (QLineEdit* field : {color[1], index}) {
        Type(field, "");
        QTest::keyClick(field, Qt::Key_Backspace);
        ASSERT_EQ(field->text(), "");
        QTest::keyClick(field, Qt::Key_Tab);
        EXPECT_TRUE(field->hasFocus()) << field->objectName().toStdString();
        QTest::mouseClick(Find<QPushButton>("cmdEXIT"), Qt::LeftButton);
        EXPECT_TRUE(window->isVisible());
        field->setText("0");
    }
}

TEST_F(PaletteEditor, ArrowKeysInAColourFieldStepItsScrollBar) {
    gCustomPal.colors[0] = Rgb(255, 0, 7);
    Open();
    QTest::keyClick(color[0], Qt::Key_Up);
    QTest::keyClick(color[1], Qt::Key_Down);
    QTest::keyClick(color[1], Qt::Key_Left);
    EXPECT_EQ(ColorTexts(), QStringList({"255", "0", "7"}));

    Type(color[0], "100");
    QTest::keyClick(color[0], Qt::Key_Up);
    EXPECT_EQ(bar[0]->value(), 101);
    EXPECT_EQ(color[0]->text(), "101");
    QTest::keyClick(color[2], Qt::Key_Right);
    QTest::keyClick(color[2], Qt::Key_Left);
    QTest::keyClick(color[2], Qt::Key_Left);
    EXPECT_EQ(gCustomPal.colors[0], Rgb(101, 0, 6));

    // Empty: Up and Down step from the last accepted text, Left and Right do nothing.
    Type(color[2], "");
    QTest::keyClick(color[2], Qt::Key_Backspace);
    QTest::keyClick(color[2], Qt::Key_Right);
    EXPECT_EQ(color[2]->text(), "");
    QTest::keyClick(color[2], Qt::Key_Up);
    EXPECT_EQ(color[2]->text(), "7");
    EXPECT_EQ(bar[2]->value(), 6);  // the field's own text reaches the bar only on leaving
}

TEST_F(PaletteEditor, TypingAnIndexSelectsThatEntry) {
    gCustomPal.colors[5] = Rgb(50, 60, 70);
    Open();
    Type(index, "5");
    EXPECT_EQ(Find<QWidget>("ShapeC")->geometry(), swatch[5]->geometry());
    EXPECT_EQ(ColorTexts(), QStringList({"50", "60", "70"}));
    EXPECT_EQ(Preview(), QColor(50, 60, 70));
    EXPECT_EQ(start->text(), "5");
    EXPECT_EQ(end->text(), "255");
    Type(index, "07");
    EXPECT_EQ(index->text(), "7");
    Type(index, "256");
    EXPECT_EQ(index->text(), "25");

    QTest::keyClick(index, Qt::Key_Up);
    EXPECT_EQ(index->text(), "26");
    EXPECT_EQ(start->text(), "26");
}

TEST_F(PaletteEditor, StepsPastTheEndsLeaveSelectionAndGradientEndsAlone) {
    Open();
    Type(index, "255");
    opt[1]->setChecked(true);  // the end is active, the start still holds 255
    QTest::keyClick(index, Qt::Key_Up);
    EXPECT_EQ(index->text(), "255");
    EXPECT_EQ(start->text(), "255");
    EXPECT_EQ(end->text(), "255");

    Type(index, "0");
    EXPECT_EQ(end->text(), "0");
    opt[0]->setChecked(true);
    QTest::keyClick(index, Qt::Key_Down);
    EXPECT_EQ(index->text(), "0");
    EXPECT_EQ(start->text(), "255");
}

TEST_F(PaletteEditor, APressWritesItsIndexIntoOneGradientEnd) {
    Open();
    QTest::mouseClick(hit[10], Qt::LeftButton);
    QTest::mouseClick(hit[50], Qt::RightButton);
    EXPECT_TRUE(opt[1]->isChecked());
    EXPECT_EQ(start->text(), "10");
    EXPECT_EQ(end->text(), "50");

    QTest::mouseClick(hit[20], Qt::LeftButton);
    EXPECT_EQ(start->text(), "10");
    EXPECT_EQ(end->text(), "20");

    // Through the window, onto the selected swatch where the frame lies.
    QTest::mouseClick(window->windowHandle(), Qt::RightButton, {}, hit[20]->geometry().center());
    EXPECT_TRUE(opt[0]->isChecked());
    EXPECT_EQ(start->text(), "20");
    EXPECT_EQ(end->text(), "20");
}

TEST_F(PaletteEditor, HoveringASwatchReadsItsEntry) {
    gCustomPal.colors[10] = Rgb(255, 128, 0);
    Open();
    auto* readout = Find<QLabel>("Label1");
    QTest::mouseMove(window->windowHandle(), hit[10]->geometry().center());
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return readout->text() == "パレット番号 10(0A) | R:255 G:128 B:  0[#0080FF]";
    })) << readout->text().toStdString();
    QTest::mouseMove(window->windowHandle(), hit[0]->geometry().center());
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return readout->text() == "パレット番号  0(00) | R:  0 G:  0 B:  0[#000000]";
    })) << readout->text().toStdString();
    QTest::mouseMove(window->windowHandle(), QPoint(450, 250));
    QTest::qWait(20);
    EXPECT_EQ(readout->text(), "パレット番号  0(00) | R:  0 G:  0 B:  0[#000000]");
}

TEST_F(PaletteEditor, GradientFillsBetweenTheEndsAndLeavesTheControlsStale) {
    gCustomPal.colors[2] = Rgb(9, 9, 9);
    gCustomPal.colors[4] = Rgb(255, 0, 0);
    Open();
    QTest::mouseClick(hit[4], Qt::LeftButton);
    QTest::mouseClick(hit[0], Qt::RightButton);
    ASSERT_EQ(start->text(), "4");
    ASSERT_EQ(end->text(), "0");
    // Every selection writes an end, so an entry between them is selected only this way.
    Type(index, "2");
    end->setText("0");
    ASSERT_EQ(ColorTexts(), QStringList({"9", "9", "9"}));

    QTest::mouseClick(Find<QPushButton>("cmdGRD"), Qt::LeftButton);
    EXPECT_EQ(gCustomPal.colors[3], Rgb(192, 0, 0));
    EXPECT_EQ(gCustomPal.colors[2], Rgb(128, 0, 0));
    EXPECT_EQ(gCustomPal.colors[1], Rgb(64, 0, 0));
    EXPECT_EQ(swatch[2]->fillColor(), QColor(128, 0, 0));
    EXPECT_EQ(ColorTexts(), QStringList({"9", "9", "9"}));
    EXPECT_EQ(Preview(), QColor(9, 9, 9));
    EXPECT_EQ(index->text(), "2");
    EXPECT_EQ(start->text(), "4");

    // A later edit writes only the one component.
    bar[1]->setValue(10);
    EXPECT_EQ(gCustomPal.colors[2], Rgb(128, 10, 0));
}

TEST_F(PaletteEditor, GradientNeedsTwoIndicesWithAnEntryBetween) {
    gCustomPal.colors[9] = Rgb(90, 90, 90);
    Open();
    auto* cmdGRD = Find<QPushButton>("cmdGRD");
    const std::pair<const char*, const char*> refused[] = {
        {"8", "9"}, {"9", "9"}, {"x", "9"}, {"", "9"}, {"7.0", "9"}, {" 7", "9"}, {"7", "300"},
    };
    for (const auto& [a, z] : refused) {
        start->setText(a);
        end->setText(z);
        QTest::mouseClick(cmdGRD, Qt::LeftButton);
        EXPECT_EQ(gCustomPal.colors[8], Rgb(0, 0, 0)) << a << " to " << z;
    }
    start->setText("7");
    end->setText("9");
    QTest::mouseClick(cmdGRD, Qt::LeftButton);
    EXPECT_EQ(gCustomPal.colors[8], Rgb(45, 45, 45));
    EXPECT_EQ(swatch[8]->fillColor(), QColor(45, 45, 45));
}

TEST_F(PaletteEditor, AccessKeysReachTheirControls) {
    Open();
    QTest::keyClick(window.get(), Qt::Key_G, Qt::AltModifier);
    EXPECT_TRUE(color[1]->hasFocus());
    QTest::keyClick(window.get(), Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(index->hasFocus());
    // Access keys of buttons press them after a short animation.
    QTest::keyClick(window.get(), Qt::Key_Z, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return opt[1]->isChecked(); }));
    QTest::keyClick(window.get(), Qt::Key_C, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }));
}

TEST_F(PaletteEditor, ThePaletteFileControlsDoNothing) {
    gCustomPal.colors[3] = Rgb(3, 4, 5);
    Open();
    QTest::mouseClick(hit[3], Qt::LeftButton);
    for (const char* name : {"Command1", "Command2", "Command3", "Command4", "Command5"}) {
        QTest::mouseClick(Find<QPushButton>(name), Qt::LeftButton);
    }
    auto* combo = Find<QComboBox>("Combo1");
    EXPECT_EQ(combo->currentText(), "Combo1");
    EXPECT_EQ(combo->count(), 0);
    QTest::keyClicks(combo, "abc");
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(gCustomPal.colors[3], Rgb(3, 4, 5));
    EXPECT_EQ(gCustomPal.colors[0], Rgb(0, 0, 0));
    EXPECT_EQ(index->text(), "3");
    EXPECT_EQ(start->text(), "3");
}

}  // namespace
}  // namespace rastel
