#include "settings/frmOptMenu.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <memory>

#include "palette/frmCLUT.h"
#include "palette/modCLUT.h"
#include "support/Modal.h"
#include "support/Monkey.h"

namespace rastel {
namespace {

using modBITMAPinfo::gDib;
using modBITMAPinfo::RGBQUAD;

void Reset(std::int64_t fileSize) {
    gDib = {};
    modCLUT::gCustomPal = {};
    modBITMAPinfo::SetForNewFile(gDib.settings, "/data/dump.bin", fileSize);
}

class OptMenu : public ::testing::Test {
  protected:
    void SetUp() override { Reset(1000); }

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
    QRadioButton* Depth(int i) { return Get<QRadioButton>(QString("optCOLBIT(%1)").arg(i)); }
    QRadioButton* Palette(int i) { return Get<QRadioButton>(QString("optPALCOLOR(%1)").arg(i)); }
    QString Text(const char* name) { return Get(name)->text(); }
    QString Label(const char* name) { return Get<QLabel>(name)->text(); }

    // Replaces the whole text at once, as a paste does: one change for the whole new text.
    static void Paste(QLineEdit* field, const QString& text) {
        field->selectAll();
        text.isEmpty() ? field->del() : field->insert(text);
    }

    std::unique_ptr<frmOptMenu> dialog;
};

// The dialog opens with the file's settings; each field, through its widget, takes a text
// (rounded down), undoes one out of range, and steps from the last value taken when empty.
TEST_F(OptMenu, OpensWithTheFileAndEachFieldTakesUndoesAndSteps) {
    gDib.settings.gColBit = modBITMAPinfo::kDepth16;
    gDib.settings.gUseOffset = true;
    Open();
    EXPECT_EQ(dialog->windowTitle(), "描写色とサイズ");
    EXPECT_EQ(Text("tbxFILENAME"), "/data/dump.bin");
    EXPECT_EQ(Text("tbxFILESIZE"), "1000 バイト");
    EXPECT_EQ(Text("tbxHEIGHT"), "16");  // 2000 pixels at 16 colours, 128 to a row
    EXPECT_EQ(gDib.settings.gMagY, 1);   // the first opening turns 0 into 1
    EXPECT_TRUE(Get("tbxWIDTH")->hasFocus());
    EXPECT_FALSE(Get("tbxHEIGHT")->isEnabled());
    EXPECT_FALSE(Palette(3)->isEnabled());
    struct Case {
        const char* field;
        const char *typed, *taken, *refused;
        Qt::Key key;
        const char* stepped;
    };
    for (const Case& c : {Case{"tbxWIDTH", "12.7", "12", "2001", Qt::Key_Up, "13"},
                          {"tbxMagX", "2.9", "2", "9", Qt::Key_Up, "3"},
                          {"tbxMagY", "8", "8", "0.5", Qt::Key_Up, "8"},
                          {"tbxOFFa", "-1.5", "-2", "2130706431", Qt::Key_Down, "-3"}}) {
        SCOPED_TRACE(c.field);
        QLineEdit* field = Get(c.field);
        Paste(field, c.typed);
        EXPECT_EQ(field->text(), c.taken);
        Paste(field, c.refused);
        EXPECT_EQ(field->text(), c.taken);
        Paste(field, "");
        EXPECT_EQ(field->text(), "");
        QTest::keyClick(field, c.key);
        EXPECT_EQ(field->text(), c.stepped);
    }
    EXPECT_EQ(Text("tbxHEIGHT"), "154");  // 2000 pixels, 13 to a row
    Paste(Get("tbxWIDTH"), "2000");
    QTest::keyClick(Get("tbxWIDTH"), Qt::Key_Up);
    EXPECT_EQ(Text("tbxWIDTH"), "2000");
    EXPECT_EQ(Text("tbxHEIGHT"), "1");

    // Turning the offset off keeps its last value but takes no more edits.
    QTest::mouseClick(Get<QCheckBox>("cbxOFFSET"), Qt::LeftButton);
    EXPECT_FALSE(Get("tbxOFFa")->isEnabled());
    EXPECT_FALSE(Get<QLabel>("lblNOP(9)")->isEnabled());
    EXPECT_EQ(Text("tbxOFFa"), "-3");
}

// The depth sets the pixel count: the height follows, the width stays even where a depth
// with fewer pixels could not have taken it, and the orders are the depth's own.
TEST_F(OptMenu, TheDepthSetsHeightOrdersAndStrip) {
    Reset(100);
    gDib.settings.gArray2 = 1;
    Open();
    auto* orders = Get<QComboBox>("cmbPICARRAY");
    for (const auto& [depth, height, count, selected, max] :
         {std::tuple{2, "8", 2, 1, "1"}, {1, "2", 3, 0, "F"}, {0, "2", 3, 0, "FF"}}) {
        QTest::mouseClick(Depth(depth), Qt::LeftButton);
        EXPECT_EQ(Text("tbxHEIGHT"), height) << depth;
        EXPECT_EQ(orders->count(), count) << depth;
        EXPECT_EQ(orders->currentIndex(), selected) << depth;
        EXPECT_EQ(Label("lblMAX"), max) << depth;
        if (depth == 1) {
            Paste(Get("tbxWIDTH"), "150");
            orders->setCurrentIndex(2);  // not confirmed: forgotten with the depth
        }
    }
    EXPECT_EQ(Text("tbxWIDTH"), "150");
    QTest::mouseClick(Depth(1), Qt::LeftButton);
    EXPECT_EQ(orders->currentIndex(), 0);

    // The strip shows the depth's indices in the palette's colours; its text is the depth's.
    QTest::mouseClick(Palette(2), Qt::LeftButton);
    EXPECT_EQ(Label("lblPALtips"), "解析用:0白､1-7水色､8-E赤､F黒");
    const QImage strip = Get<QLabel>("picPALGRAD")->pixmap().toImage();
    ASSERT_EQ(strip.size(), QSize(256, 16));
    EXPECT_EQ(strip.pixel(16, 15), qRgb(0, 255, 255));
    EXPECT_EQ(strip.pixel(128, 0), qRgb(255, 0, 0));
    EXPECT_FALSE(Get<QPushButton>("cmdPALcustom")->isEnabled());
}

TEST_F(OptMenu, MagnificationsAreMadeEqualOnLeavingAndOnChecking) {
    gDib.settings.gSynXY = true;
    Open();
    QLineEdit* magX = Get("tbxMagX");
    QLineEdit* magY = Get("tbxMagY");
    auto* sync = Get<QCheckBox>("cbxSynXY");
    QTest::mouseClick(magX, Qt::LeftButton);
    Paste(magX, "3");
    EXPECT_EQ(magY->text(), "1");  // not on each keystroke
    QTest::keyClick(magX, Qt::Key_Tab);
    EXPECT_EQ(magY->text(), "3");

    QTest::mouseClick(sync, Qt::LeftButton);
    QTest::mouseClick(magY, Qt::LeftButton);
    Paste(magY, "6");
    QTest::mouseClick(magX, Qt::LeftButton);
    EXPECT_EQ(magX->text(), "3");  // unchecked: leaving copies nothing
    Paste(magX, "4");
    QTest::mouseClick(sync, Qt::LeftButton);
    EXPECT_EQ(magY->text(), "4");
}

TEST_F(OptMenu, OkStoresTheEditsAndThePalette) {
    gDib.settings.gArray2 = 1;
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
    EXPECT_EQ(s.gPalColor, modBITMAPinfo::kPalBinary);
    EXPECT_EQ(s.gPicWidth, 100);
    EXPECT_EQ(s.gPicHeight, 20);
    EXPECT_EQ(s.gMagX, 3);
    EXPECT_EQ(s.gMagY, 4);
    EXPECT_TRUE(s.gUseOffset);
    EXPECT_EQ(s.gOffA, -7);
    EXPECT_EQ(gDib.bmiColors[8], (RGBQUAD{0, 0, 255, 0}));  // the 16-colour binary palette
}

TEST_F(OptMenu, OkRefusesAFieldWithoutANumber) {
    Open();
    const modBITMAPinfo::ViewSettings before = gDib.settings;
    QTest::mouseClick(Palette(6), Qt::LeftButton);
    QLineEdit* magX = Get("tbxMagX");
    QTest::mouseClick(magX, Qt::LeftButton);
    Paste(magX, "");
    QTest::keyClick(magX, Qt::Key_Tab);
    QTest::mouseClick(Depth(2), Qt::LeftButton);
    EXPECT_TRUE(magX->hasFocus());
    EXPECT_FALSE(Depth(2)->isChecked());
    // The custom-palette button takes the focus without checking the field.
    Get<QPushButton>("cmdPALcustom")->setFocus();
    ASSERT_FALSE(magX->hasFocus());
    QTest::mouseClick(Get<QPushButton>("cmdOK"), Qt::LeftButton);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(magX->hasFocus());
    QTest::keyClick(magX, Qt::Key_Return);
    EXPECT_TRUE(dialog->isVisible());
    // Cancel is always reachable.
    QTest::mouseClick(Get<QPushButton>("cmdCANCEL"), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(gDib.settings, before);
}

TEST_F(OptMenu, StripIsRedrawnWhenThePaletteEditorCloses) {
    gDib.settings.gPalColor = modBITMAPinfo::kPalCustom;
    Open();
    testing::WhenModal<frmCLUT> user([](frmCLUT* editor) {
        modCLUT::gCustomPal.colors[3] = {10, 20, 30, 0};
        QTest::mouseClick(editor->findChild<QPushButton*>("cmdEXIT"), Qt::LeftButton);
    });
    QTest::mouseClick(Get<QPushButton>("cmdPALcustom"), Qt::LeftButton);
    EXPECT_EQ(Get<QLabel>("picPALGRAD")->pixmap().toImage().pixel(3, 0), qRgb(30, 20, 10));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(gDib.bmiColors[3], RGBQUAD{});  // gDib gets the custom colours only on OK
}

// As the callers run it: modal over an owner, a fresh dialog each time.
bool RunWith(const std::function<void(frmOptMenu*)>& act) {
    QWidget owner;
    owner.show();
    testing::WhenModal<frmOptMenu> user(act);
    return RunOptMenu(&owner);
}

TEST_F(OptMenu, EnterKeepsTheEditsAndCancelEscAndTheCloseBoxDoNot) {
    const std::pair<const char*, std::function<void(frmOptMenu*)>> ways[] = {
        {"Enter", [](frmOptMenu* d) { QTest::keyClick(d->focusWidget(), Qt::Key_Return); }},
        {"Cancel",
         [](frmOptMenu* d) {
             QTest::mouseClick(d->findChild<QPushButton*>("cmdCANCEL"), Qt::LeftButton);
         }},
        {"Esc", [](frmOptMenu* d) { QTest::keyClick(d->focusWidget(), Qt::Key_Escape); }},
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
            way(d);
        });
        EXPECT_EQ(ok, name == std::string("Enter")) << name;
        if (ok) {
            expected.gPicWidth = 10;
            expected.gPicHeight = 100;
            EXPECT_EQ(gDib.bmiColors[200], (RGBQUAD{200, 200, 200, 0}));
        }
        EXPECT_EQ(gDib.settings, expected) << name;
    }
}

class SettingsMonkey : public testing::DialogMonkey {
  public:
    SettingsMonkey() {
        typed_ = "01234567890123456789.-+eE x";
        keys_ = {Qt::Key_Up,  Qt::Key_Down,    Qt::Key_Up,     Qt::Key_Down,      Qt::Key_Left,
                 Qt::Key_Tab, Qt::Key_Backtab, Qt::Key_Tab,    Qt::Key_Backspace, Qt::Key_Space,
                 Qt::Key_End, Qt::Key_Delete,  Qt::Key_Return, Qt::Key_Escape};
        for (char c : std::string("HWXSYLITAZPKBREQCO")) {
            accessKeys_.push_back(static_cast<Qt::Key>(c));
        }
        controls_ = {"tbxWIDTH",     "tbxMagX",     "tbxMagY",        "tbxOFFa",
                     "cbxSynXY",     "cbxOFFSET",   "optCOLBIT(0)",   "optCOLBIT(1)",
                     "optCOLBIT(2)", "cmbPICARRAY", "optPALCOLOR(0)", "optPALCOLOR(6)",
                     "cmdPALcustom", "cmdOK",       "cmdCANCEL",      "tbxWIDTH"};
        // The palette editor is modal: it runs its own loop, in which this closes it.
        QObject::connect(&closer_, &QTimer::timeout, [this] {
            if (dialog()) {
                for (frmCLUT* editor : dialog()->findChildren<frmCLUT*>()) {
                    editor->reject();
                }
            }
        });
        closer_.start(5);
    }

  private:
    QDialog* Open() override {
        static const std::int64_t kSizes[] = {1, 3, 127, 1000, 65537, 0x7EFFFFFF};
        if (!window_ || Pick(2) == 0) {
            fileSize_ = kSizes[Pick(std::size(kSizes))];
            modBITMAPinfo::SetForNewFile(gDib.settings, "/data/monkey.bin", fileSize_);
        }
        window_ = std::make_unique<frmOptMenu>();
        window_->findChild<QPushButton*>("cmdCANCEL")->setEnabled(true);  // as its callers do
        window_->show();
        return window_.get();
    }

    std::int64_t MaxWidth() const {
        return std::min(fieldRules::kMaxWidth, fieldRules::PixelCount(fileSize_, 2));
    }

    std::vector<testing::MonkeyField> Fields() const override {
        auto field = [this](const char* name) { return window_->findChild<QLineEdit*>(name); };
        const std::int64_t off = fieldRules::kOffsetLimit - 1;
        auto rule = [](auto leave) {
            return [leave](const std::string& text) { return leave(text).has_value(); };
        };
        return {{field("tbxWIDTH"), 1, MaxWidth(), false, rule(fieldRules::WidthOnLeave)},
                {field("tbxMagX"), 1, 8, false, rule(fieldRules::MagnificationOnLeave)},
                {field("tbxMagY"), 1, 8, false, rule(fieldRules::MagnificationOnLeave)},
                {field("tbxOFFa"), -off, off, false, rule(fieldRules::OffsetOnLeave)}};
    }

    std::string Broken() const override {
        const auto& s = gDib.settings;
        const std::int64_t off = fieldRules::kOffsetLimit - 1;
        if (!window_->isVisible() && window_->optOKCancel &&
            (s.gPicWidth < 1 || s.gPicWidth > MaxWidth() || s.gPicHeight < 1 || s.gMagX < 1 ||
             s.gMagX > 8 || s.gMagY < 1 || s.gMagY > 8 || std::abs(s.gOffA) > off ||
             s.gColBit < 0 || s.gColBit > 2 || s.gPalColor < 0 || s.gPalColor > 6)) {
            return "OK wrote settings out of range";
        }
        const auto* order = window_->findChild<QComboBox*>("cmbPICARRAY");
        if (order->isEnabled() &&
            (order->currentIndex() < 0 || order->currentIndex() >= order->count())) {
            return "no pixel order chosen";
        }
        return "";
    }

    QTimer closer_;
    std::unique_ptr<frmOptMenu> window_;
    std::int64_t fileSize_ = 1000;
};

TEST(SettingsDialogMonkey, KeepsEveryFieldAndTheSettingsValid) {
    Reset(1000);
    SettingsMonkey().Run(20261207);
}

}  // namespace
}  // namespace rastel
