#include "settings/frmOptMenu.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "image/modBITMAPinfo.h"
#include "palette/frmCLUT.h"
#include "palette/modCLUT.h"
#include "toolkit/ControlArray.h"

namespace rastel {
namespace {

using modBITMAPinfo::gDib;

class OptMenu : public ::testing::Test {
  protected:
    void SetUp() override { Reset(1000); }

    static void Reset(std::int64_t fileSize) {
        gDib = {};
        modCLUT::gCustomPal = {};
        modBITMAPinfo::SetForNewFile(gDib.settings, "/data/dump.bin", fileSize);
    }

    void Open() {
        dialog = std::make_unique<frmOptMenu>();
        dialog->show();
        dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    }

    template <class T = QLineEdit>
    T* Get(const QString& name) {
        T* w = dialog->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    template <class T>
    T* Item(const char* array, int i) {
        T* w = toolkit::Element<T>(dialog.get(), array, i);
        EXPECT_NE(w, nullptr) << array << '(' << i << ')';
        return w;
    }
    QRadioButton* Depth(int i) { return Item<QRadioButton>("optCOLBIT", i); }
    QRadioButton* Palette(int i) { return Item<QRadioButton>("optPALCOLOR", i); }
    QString Text(const char* name) { return Get(name)->text(); }
    QString Label(const char* name) { return Get<QLabel>(name)->text(); }

    // Replaces the whole text at once, as a paste does: one change for the whole new text.
    static void Paste(QLineEdit* field, const QString& text) {
        field->selectAll();
        if (text.isEmpty()) {
            field->del();
        } else {
            field->insert(text);
        }
    }

    std::unique_ptr<frmOptMenu> dialog;
};

TEST_F(OptMenu, OpensWithTheSettingsOfTheFile) {
    gDib.settings.gArray16 = 2;
    gDib.settings.gColBit = modBITMAPinfo::kDepth16;
    Open();
    EXPECT_EQ(dialog->windowTitle(), "描写色とサイズ");
    EXPECT_EQ(dialog->size(), QSize(413, 416));
    EXPECT_EQ(Text("tbxFILENAME"), "/data/dump.bin");
    EXPECT_EQ(Text("tbxFILESIZE"), "1000 バイト");
    EXPECT_EQ(Text("tbxWIDTH"), "128");
    EXPECT_EQ(Text("tbxHEIGHT"), "16");  // 2000 pixels at 16 colours
    EXPECT_TRUE(Get("tbxWIDTH")->isEnabled());
    EXPECT_FALSE(Get("tbxHEIGHT")->isEnabled());
    EXPECT_TRUE(Get("tbxWIDTH")->hasFocus());
    // The first opening turns the unset magnifications into 1, in the settings too.
    EXPECT_EQ(Text("tbxMagX"), "1");
    EXPECT_EQ(Text("tbxMagY"), "1");
    EXPECT_EQ(gDib.settings.gMagX, 1);
    EXPECT_EQ(gDib.settings.gMagY, 1);
    EXPECT_FALSE(Get<QCheckBox>("cbxSynXY")->isChecked());
    EXPECT_TRUE(Depth(1)->isChecked());
    EXPECT_TRUE(Palette(0)->isChecked());
    auto* orders = Get<QComboBox>("cmbPICARRAY");
    EXPECT_TRUE(orders->isEnabled());
    EXPECT_EQ(orders->count(), 3);
    EXPECT_EQ(orders->currentIndex(), 2);
    EXPECT_EQ(orders->currentText(), "2上→2下→1上→1下　　4321…");
    EXPECT_EQ(Label("lblMIN"), "0");
    EXPECT_EQ(Label("lblMAX"), "F");
    EXPECT_FALSE(Get<QCheckBox>("cbxOFFSET")->isChecked());
    EXPECT_FALSE(Get("tbxOFFa")->isEnabled());
    EXPECT_FALSE(Item<QLabel>("lblNOP", 9)->isEnabled());
    EXPECT_FALSE(Get("tbxOFFz")->isVisible());
    EXPECT_FALSE(Get<QPushButton>("cmdSETdef")->isVisible());
    EXPECT_FALSE(Get<QPushButton>("cmdPALcustom")->isEnabled());
    for (int i : {3, 4, 5}) {
        EXPECT_FALSE(Palette(i)->isEnabled());
    }
    // Setting the height while loading already put the height tip on the tip line.
    EXPECT_EQ(Label("lblALLtips"), "画像として取り出すための幅を決めます。高さは自動です.");

    Reset(1);
    Open();
    EXPECT_EQ(Text("tbxFILESIZE"), "1 バイト");
    EXPECT_EQ(Text("tbxWIDTH"), "1");
    EXPECT_EQ(Text("tbxHEIGHT"), "1");
}

TEST_F(OptMenu, HeightFollowsTheDepth) {
    Open();
    const std::pair<int, const char*> cases[] = {{1, "16"}, {2, "63"}, {0, "8"}, {2, "63"}};
    for (const auto& [depth, height] : cases) {
        QTest::mouseClick(Depth(depth), Qt::LeftButton);
        EXPECT_EQ(Text("tbxWIDTH"), "128") << depth;
        EXPECT_EQ(Text("tbxHEIGHT"), height) << depth;
    }
}

TEST_F(OptMenu, WidthIsAcceptedOrPutBack) {
    Open();
    struct Case {
        const char* typed;
        const char* width;
        const char* height;
    };
    const Case cases[] = {
        {"1000", "1000", "1"}, {"1001", "1000", "1"}, {"7", "7", "143"},   {"12.7", "12", "84"},
        {"0", "12", "84"},     {"-5", "12", "84"},    {"abc", "12", "84"}, {"0.5", "12", "84"},
        {"", "", "84"},        {"128", "128", "8"},
    };
    for (const Case& c : cases) {
        Paste(Get("tbxWIDTH"), c.typed);
        EXPECT_EQ(Text("tbxWIDTH"), c.width) << '"' << c.typed << '"';
        EXPECT_EQ(Text("tbxHEIGHT"), c.height) << '"' << c.typed << '"';
    }
}

TEST_F(OptMenu, AWidthFromADepthWithMorePixelsIsKept) {
    Reset(100);
    gDib.settings.gColBit = modBITMAPinfo::kDepth16;
    Open();
    Paste(Get("tbxWIDTH"), "150");
    EXPECT_EQ(Text("tbxHEIGHT"), "2");
    QTest::mouseClick(Depth(0), Qt::LeftButton);
    EXPECT_EQ(Text("tbxWIDTH"), "150");
    EXPECT_EQ(Text("tbxHEIGHT"), "2");
}

TEST_F(OptMenu, AnEmptyOrBadFieldKeepsTheFocus) {
    Open();
    for (const char* name : {"tbxWIDTH", "tbxMagX", "tbxMagY"}) {
        QLineEdit* field = Get(name);
        QTest::mouseClick(field, Qt::LeftButton);
        ASSERT_TRUE(field->hasFocus()) << name;
        Paste(field, "");
        QTest::keyClick(field, Qt::Key_Tab);
        EXPECT_TRUE(field->hasFocus()) << name;
        QTest::mouseClick(Depth(2), Qt::LeftButton);
        EXPECT_TRUE(field->hasFocus()) << name;
        EXPECT_FALSE(Depth(2)->isChecked()) << name;
        Paste(field, "2");
        QTest::keyClick(field, Qt::Key_Tab);
        EXPECT_FALSE(field->hasFocus()) << name;
    }
}

TEST_F(OptMenu, MagnificationsStayFromOneToEight) {
    Open();
    QLineEdit* magX = Get("tbxMagX");
    const std::pair<const char*, const char*> typed[] = {
        {"5", "5"}, {"9", "5"}, {"0", "5"}, {"2.9", "2"}, {"x", "2"}, {"0.5", "2"}, {"8", "8"},
    };
    for (const auto& [text, shown] : typed) {
        Paste(magX, text);
        EXPECT_EQ(magX->text(), shown) << '"' << text << '"';
    }
    QTest::keyClick(magX, Qt::Key_Up);
    EXPECT_EQ(magX->text(), "8");
    QTest::keyClick(magX, Qt::Key_Down);
    EXPECT_EQ(magX->text(), "7");
    Paste(magX, "1");
    QTest::keyClick(magX, Qt::Key_Down);
    EXPECT_EQ(magX->text(), "1");
    // An empty field steps from its last good value.
    Paste(magX, "");
    QTest::keyClick(magX, Qt::Key_Up);
    EXPECT_EQ(magX->text(), "2");
}

TEST_F(OptMenu, MagnificationsAreMadeEqualOnLeavingAndOnChecking) {
    gDib.settings.gSynXY = true;
    Open();
    QLineEdit* magX = Get("tbxMagX");
    QLineEdit* magY = Get("tbxMagY");
    auto* sync = Get<QCheckBox>("cbxSynXY");
    ASSERT_TRUE(sync->isChecked());
    QTest::mouseClick(magX, Qt::LeftButton);
    Paste(magX, "3");
    EXPECT_EQ(magY->text(), "1");  // not on each keystroke
    QTest::keyClick(magX, Qt::Key_Tab);
    EXPECT_EQ(magY->text(), "3");

    QTest::mouseClick(sync, Qt::LeftButton);
    ASSERT_FALSE(sync->isChecked());
    QTest::mouseClick(magY, Qt::LeftButton);
    Paste(magY, "6");
    QTest::mouseClick(magX, Qt::LeftButton);
    EXPECT_EQ(magX->text(), "3");  // unchecked: leaving copies nothing
    Paste(magX, "4");
    QTest::mouseClick(sync, Qt::LeftButton);
    EXPECT_TRUE(sync->isChecked());
    EXPECT_EQ(magY->text(), "4");
}

TEST_F(OptMenu, OffsetStaysInsideItsLimits) {
    gDib.settings.gUseOffset = true;
    Open();
    QLineEdit* offset = Get("tbxOFFa");
    ASSERT_TRUE(offset->isEnabled());
    const std::pair<const char*, const char*> typed[] = {
        {"-5", "-5"},
        {"1.5", "1"},
        {"-1.5", "-2"},
        {"2130706431", "-2"},
        {"2130706430", "2130706430"},
        {"-", "2130706430"},
    };
    for (const auto& [text, shown] : typed) {
        Paste(offset, text);
        EXPECT_EQ(offset->text(), shown) << '"' << text << '"';
    }
    QTest::keyClick(offset, Qt::Key_Up);
    EXPECT_EQ(offset->text(), "2130706430");
    Paste(offset, "-2130706430");
    QTest::keyClick(offset, Qt::Key_Down);
    EXPECT_EQ(offset->text(), "-2130706430");
    Paste(offset, "");
    QTest::keyClick(offset, Qt::Key_Up);
    EXPECT_EQ(offset->text(), "-2130706429");

    auto* use = Get<QCheckBox>("cbxOFFSET");
    QTest::mouseClick(use, Qt::LeftButton);
    EXPECT_FALSE(offset->isEnabled());
    EXPECT_FALSE(Item<QLabel>("lblNOP", 9)->isEnabled());
    EXPECT_EQ(offset->text(), "-2130706429");
}

TEST_F(OptMenu, WidthStepsBetweenOneAndThePixelCount) {
    Reset(10);
    Open();
    QLineEdit* width = Get("tbxWIDTH");
    QTest::keyClick(width, Qt::Key_Up);
    EXPECT_EQ(width->text(), "10");
    EXPECT_EQ(Text("tbxHEIGHT"), "1");
    Paste(width, "1");
    QTest::keyClick(width, Qt::Key_Down);
    EXPECT_EQ(width->text(), "1");
    EXPECT_EQ(Text("tbxHEIGHT"), "10");
}

TEST_F(OptMenu, OrderListFollowsTheDepth) {
    gDib.settings.gArray16 = 2;
    gDib.settings.gArray2 = 1;
    Open();
    auto* orders = Get<QComboBox>("cmbPICARRAY");
    struct Case {
        int depth;
        QStringList items;
        int selected;
        const char *min, *max;
    };
    const Case cases[] = {
        {1,
         {"下位(小)→上位(大)　　1212…", "上位(大)→下位(小)　　2121…", "2上→2下→1上→1下　　4321…"},
         2,
         "0",
         "F"},
        {2, {"順列　　12345678…", "逆列　　87654321…"}, 1, "0", "1"},
        {0,
         {"Byte   格納された順番通り", "Single (２バイト : 2121…)", "Long   (４バイト : 4321…)"},
         0,
         "00",
         "FF"},
    };
    for (const Case& c : cases) {
        QTest::mouseClick(Depth(c.depth), Qt::LeftButton);
        QStringList items;
        for (int i = 0; i < orders->count(); ++i) {
            items << orders->itemText(i);
        }
        EXPECT_EQ(items, c.items) << c.depth;
        EXPECT_EQ(orders->currentIndex(), c.selected) << c.depth;
        EXPECT_EQ(Label("lblMIN"), c.min);
        EXPECT_EQ(Label("lblMAX"), c.max);
    }
    // An order chosen but not confirmed is forgotten when the depth changes.
    QTest::mouseClick(Depth(1), Qt::LeftButton);
    orders->setCurrentIndex(0);
    QTest::mouseClick(Depth(0), Qt::LeftButton);
    QTest::mouseClick(Depth(1), Qt::LeftButton);
    EXPECT_EQ(orders->currentIndex(), 2);
}

TEST_F(OptMenu, PaletteDescriptionsAndCustomButton) {
    Open();
    const char* descriptions[][3] = {
        {"黒から白のグラデーション", "黒から白のグラデーション", "0=黒、1=白"},
        {"緑→オレンジ→赤のグラデーション", "緑→オレンジ→赤のグラデーション", "0=緑、1=赤"},
        {"解析用:00白､01-1F水色､20-7F赤､80-FE紺､FF黒", "解析用:0白､1-7水色､8-E赤､F黒",
         "0=水色､1=赤"},
    };
    auto* custom = Get<QPushButton>("cmdPALcustom");
    for (int depth = 0; depth < 3; ++depth) {
        QTest::mouseClick(Depth(depth), Qt::LeftButton);
        for (int palette : {0, 1, 2, 6}) {
            QTest::mouseClick(Palette(palette), Qt::LeftButton);
            EXPECT_EQ(Label("lblPALtips"), palette == 6 ? "カスタム設定です。自由に設定できます"
                                                        : descriptions[palette][depth])
                << "palette " << palette << ", depth " << depth;
            EXPECT_EQ(custom->isEnabled(), palette == 6) << palette;
        }
    }
    // Changing the depth redescribes the palette chosen.
    QTest::mouseClick(Palette(2), Qt::LeftButton);
    QTest::mouseClick(Depth(1), Qt::LeftButton);
    EXPECT_EQ(Label("lblPALtips"), "解析用:0白､1-7水色､8-E赤､F黒");
}

TEST_F(OptMenu, StripShowsEveryIndexOfTheDepthInThePaletteColours) {
    Open();
    QTest::mouseClick(Depth(1), Qt::LeftButton);
    QTest::mouseClick(Palette(2), Qt::LeftButton);
    const QImage strip = Get<QLabel>("picPALGRAD")->pixmap().toImage();
    ASSERT_EQ(strip.size(), QSize(256, 16));
    for (int y : {0, 15}) {
        EXPECT_EQ(strip.pixel(0, y), qRgb(255, 255, 255));
        EXPECT_EQ(strip.pixel(16, y), qRgb(0, 255, 255));
        EXPECT_EQ(strip.pixel(127, y), qRgb(0, 255, 255));
        EXPECT_EQ(strip.pixel(128, y), qRgb(255, 0, 0));
        EXPECT_EQ(strip.pixel(255, y), qRgb(0, 0, 0));
    }
}

TEST_F(OptMenu, TipsFollowTheMouseAndTheFocus) {
    Open();
    QTest::mouseMove(Item<QGroupBox>("fraMENU", 6), QPoint(80, 95));
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return Label("lblALLtips") == "画像の開始位置を前倒します。余った部分は0で埋まります";
    }));
    QTest::mouseMove(dialog.get(), QPoint(405, 30));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return Label("lblALLtips") == "画像生成の設定です(ここにTipsを表示します)。"; }));
    QTest::mouseMove(Get<QPushButton>("cmdOK"), QPoint(5, 5));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return Label("lblALLtips") == "この設定で画像を生成します"; }));

    QTest::keyClick(Get("tbxWIDTH"), Qt::Key_Tab);
    EXPECT_EQ(Label("lblALLtips"), "画像を引き伸ばします。");
    QTest::keyClick(Get("tbxMagX"), Qt::Key_Tab);
    EXPECT_EQ(Label("lblALLtips"), "引き伸ばしの縦横倍率を一致させます");
    Get<QComboBox>("cmbPICARRAY")->setFocus();
    EXPECT_EQ(Label("lblALLtips"), "順番を入れ替えることによって、見え方を変えます");
    Get<QPushButton>("cmdCANCEL")->setFocus();
    EXPECT_EQ(Label("lblALLtips"), "設定を破棄して表示ウインドウに戻ります");
}

TEST_F(OptMenu, OkStoresTheEditsAndThePalette) {
    gDib.settings.gArray2 = 1;
    gDib.settings.gArray256 = 1;
    Open();
    QTest::mouseClick(Depth(1), Qt::LeftButton);
    Get<QComboBox>("cmbPICARRAY")->setCurrentIndex(2);
    QTest::mouseClick(Palette(2), Qt::LeftButton);
    Paste(Get("tbxWIDTH"), "100");
    Paste(Get("tbxMagX"), "3");
    Paste(Get("tbxMagY"), "4");
    QTest::mouseClick(Get<QCheckBox>("cbxOFFSET"), Qt::LeftButton);
    Paste(Get("tbxOFFa"), "-7");
    QTest::mouseClick(Get<QPushButton>("cmdOK"), Qt::LeftButton);

    EXPECT_TRUE(dialog->optOKCancel);
    EXPECT_FALSE(dialog->isVisible());
    const modBITMAPinfo::ViewSettings& s = gDib.settings;
    EXPECT_EQ(s.gColBit, modBITMAPinfo::kDepth16);
    EXPECT_EQ(s.gArray16, 2);
    EXPECT_EQ(s.gArray2, 1);
    EXPECT_EQ(s.gArray256, 1);
    EXPECT_EQ(s.gPalColor, modBITMAPinfo::kPalBinary);
    EXPECT_EQ(s.gPicWidth, 100);
    EXPECT_EQ(s.gPicHeight, 20);
    EXPECT_EQ(s.gMagX, 3);
    EXPECT_EQ(s.gMagY, 4);
    EXPECT_FALSE(s.gSynXY);
    EXPECT_TRUE(s.gUseOffset);
    EXPECT_EQ(s.gOffA, -7);
    EXPECT_EQ(s.gFileSize, 1000);
    // The 16-entry binary palette with the question mark beyond it.
    EXPECT_EQ(gDib.bmiColors[0], (modBITMAPinfo::RGBQUAD{255, 255, 255, 0}));
    EXPECT_EQ(gDib.bmiColors[8], (modBITMAPinfo::RGBQUAD{0, 0, 255, 0}));
    EXPECT_EQ(gDib.bmiColors[53], (modBITMAPinfo::RGBQUAD{64, 64, 64, 0}));
}

TEST_F(OptMenu, OkRefusesAFieldWithoutANumber) {
    Open();
    const modBITMAPinfo::ViewSettings before = gDib.settings;
    QTest::mouseClick(Palette(6), Qt::LeftButton);
    QLineEdit* magX = Get("tbxMagX");
    QTest::mouseClick(magX, Qt::LeftButton);
    Paste(magX, "");
    QTest::mouseClick(Depth(1), Qt::LeftButton);
    EXPECT_TRUE(magX->hasFocus());
    // The custom-palette button takes the focus without checking the field.
    Get<QPushButton>("cmdPALcustom")->setFocus();
    ASSERT_FALSE(magX->hasFocus());
    QTest::mouseClick(Get<QPushButton>("cmdOK"), Qt::LeftButton);
    EXPECT_FALSE(dialog->optOKCancel);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(magX->hasFocus());
    EXPECT_EQ(gDib.settings, before);

    // Enter in the bad field does not get through either.
    QTest::keyClick(magX, Qt::Key_Return);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(gDib.settings, before);
}

// Plays the user in the next modal window of type W once it is shown and active. Polls rather
// than waits: the settings dialog lets pending events run while it loads, which would start a
// waiting callback before the dialog is even shown.
template <class W>
class WhenShown {
  public:
    explicit WhenShown(std::function<void(W*)> act) : act_(std::move(act)) {
        QObject::connect(&poll_, &QTimer::timeout, [this] { Try(); });
        poll_.start(10);
    }

  private:
    void Try() {
        auto* window = qobject_cast<W*>(QApplication::activeModalWidget());
        if (!window || !window->isVisible() || !window->isActiveWindow()) {
            return;
        }
        poll_.stop();
        act_(window);
        // Whatever happened, never leave the test waiting on an open window.
        if (window->isVisible()) {
            ADD_FAILURE() << "the window is still open";
            window->done(QDialog::Rejected);
        }
    }

    std::function<void(W*)> act_;
    QTimer poll_;
};

// Runs the caller protocol over an owner window, with act playing the user.
bool RunWith(const std::function<void(frmOptMenu*)>& act) {
    QWidget owner;
    owner.resize(600, 500);
    owner.show();
    WhenShown<frmOptMenu> user(act);
    return RunOptMenu(&owner);
}

TEST_F(OptMenu, StripIsRedrawnWhenThePaletteEditorCloses) {
    gDib.settings.gPalColor = modBITMAPinfo::kPalCustom;
    Open();
    auto* strip = Get<QLabel>("picPALGRAD");
    EXPECT_EQ(strip->pixmap().toImage().pixel(3, 0), qRgb(0, 0, 0));
    WhenShown<frmCLUT> user([](frmCLUT* editor) {
        modCLUT::gCustomPal.colors[3] = {10, 20, 30, 0};
        QTest::mouseClick(editor->findChild<QPushButton*>("cmdEXIT"), Qt::LeftButton);
    });
    QTest::mouseClick(Get<QPushButton>("cmdPALcustom"), Qt::LeftButton);
    EXPECT_EQ(strip->pixmap().toImage().pixel(3, 0), qRgb(30, 20, 10));
    EXPECT_TRUE(dialog->isVisible());
    // gDib itself gets the custom colours only on OK.
    EXPECT_EQ(gDib.bmiColors[3], (modBITMAPinfo::RGBQUAD{}));
}

TEST_F(OptMenu, CallerProtocolReturnsTheEditsOnOk) {
    const bool ok = RunWith([](frmOptMenu* d) {
        auto* width = d->findChild<QLineEdit*>("tbxWIDTH");
        width->selectAll();
        width->insert("10");
        QTest::keyClick(width, Qt::Key_Return);
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(gDib.settings.gPicWidth, 10);
    EXPECT_EQ(gDib.settings.gPicHeight, 100);
    EXPECT_EQ(gDib.bmiColors[200], (modBITMAPinfo::RGBQUAD{200, 200, 200, 0}));
}

TEST_F(OptMenu, CancelEscAndTheCloseBoxChangeNothing) {
    const std::pair<const char*, std::function<void(frmOptMenu*)>> ways[] = {
        {"Cancel",
         [](frmOptMenu* d) {
             QTest::mouseClick(d->findChild<QPushButton*>("cmdCANCEL"), Qt::LeftButton);
         }},
        {"Esc",
         [](frmOptMenu* d) {
             QTest::keyClick(d->findChild<QLineEdit*>("tbxMagX"), Qt::Key_Escape);
         }},
        {"close box", [](frmOptMenu* d) { d->close(); }},
    };
    for (const auto& [name, way] : ways) {
        Reset(1000);
        modBITMAPinfo::ViewSettings expected = gDib.settings;
        expected.gMagX = expected.gMagY = 1;  // the opening itself sets these
        const bool ok = RunWith([&](frmOptMenu* d) {
            auto* width = d->findChild<QLineEdit*>("tbxWIDTH");
            width->selectAll();
            width->insert("10");
            toolkit::Element<QRadioButton>(d, "optCOLBIT", 2)->setChecked(true);
            way(d);
        });
        EXPECT_FALSE(ok) << name;
        EXPECT_EQ(gDib.settings, expected) << name;
    }
}

}  // namespace
}  // namespace rastel
