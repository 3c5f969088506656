// The settings dialog's wiring: the field rules themselves are the core tables' and the fuzz
// check's business, and the monkey keeps every field valid whatever is typed or clicked.
#include "settings/frmOptMenu.h"

#include <QRegularExpression>

#include "image/pixels/modCLUT.h"
#include "palette/frmCLUT.h"
#include "support/Modal.h"
#include "support/Monkey.h"

namespace rastel {
namespace {

using modBITMAPinfo::RGBQUAD;

// What the dialog opens with.
modBITMAPinfo::ViewChoice start;

void Reset(std::int64_t fileSize) {
    start = {};
    modCLUT::gCustomPal = {};
    modBITMAPinfo::SetForNewFile(start.settings, "/data/dump.bin", fileSize);
}

// Replaces the whole text at once, as a paste does: one change for the whole new text.
void Paste(QLineEdit* field, const QString& text) {
    field->selectAll();
    text.isEmpty() ? field->del() : field->insert(text);
}

// The format list's items hold their choice: 0 palette indices, then the formats in the
// table's order; the headings between them hold none.
int Chosen(const QComboBox* formats) {
    return formats->currentData().toInt();
}
void Choose(QComboBox* formats, int choice) {
    formats->setCurrentIndex(formats->findData(choice));
}

class OptMenu : public testing::WindowTest<frmOptMenu> {
  protected:
    void SetUp() override { Reset(1000); }
    void Open() { WindowTest::Open(nullptr, start); }
    QString Text(const char* name) { return Get(name)->text(); }
};

// The dialog opens with the file's settings; each field, through its widget, takes a text
// (rounded down), undoes one out of range, and steps from the last value taken when empty.
TEST_F(OptMenu, OpensWithTheFileAndEachFieldTakesUndoesAndSteps) {
    start.settings.gColBit = modBITMAPinfo::kDepth16;
    start.settings.gUseOffset = true;
    Open();
    EXPECT_EQ(window->windowTitle(), "描写色とサイズ");
    EXPECT_EQ(Text("tbxFILENAME"), "/data/dump.bin");
    EXPECT_EQ(Text("tbxFILESIZE"), "1000 バイト");
    EXPECT_EQ(Text("tbxHEIGHT"), "16");  // 2000 pixels at 16 colours, 128 to a row
    EXPECT_EQ(Text("tbxMagY"), "1");     // the first opening turns 0 into 1
    struct Case {
        const char *field, *typed, *taken, *refused;
        Qt::Key key;
        const char* stepped;
    };
    // clang-format off
    for (const Case& c : {Case{"tbxWIDTH", "12.7", "12", "2001", Qt::Key_Up, "13"},
                              {"tbxMagX", "2.9", "2", "9", Qt::Key_Up, "3"},
                              {"tbxMagY", "8", "8", "0.5", Qt::Key_Up, "8"},
                              {"tbxOFFa", "-1.5", "-2", "2130706431", Qt::Key_Down, "-3"}}) {
        // clang-format on
        QLineEdit* field = Get(c.field);
        Paste(field, c.typed);
        EXPECT_EQ(field->text(), c.taken) << c.field;
        Paste(field, c.refused);
        EXPECT_EQ(field->text(), c.taken) << c.field;
        Paste(field, "");
        QTest::keyClick(field, c.key);
        EXPECT_EQ(field->text(), c.stepped) << c.field;
    }
    EXPECT_EQ(Text("tbxHEIGHT"), "154");  // 2000 pixels, 13 to a row
    // Turning the offset off keeps its last value but takes no more edits.
    Click(Get<QCheckBox>("cbxOFFSET"));
    EXPECT_FALSE(Get("tbxOFFa")->isEnabled());
    EXPECT_FALSE(Get<QLabel>("lblNOP", 9)->isEnabled());
    EXPECT_EQ(Text("tbxOFFa"), "-3");
}

// The depth sets the pixel count, which the height follows; the orders and the palette's
// text are the depth's.
TEST_F(OptMenu, TheDepthSetsHeightOrdersAndPaletteText) {
    Reset(100);
    start.settings.gArray2 = 1;
    Open();
    auto* orders = Get<QComboBox>("cmbPICARRAY");
    for (const auto& [depth, height, count, selected, max] :
         {std::tuple{0, "1", 3, 0, "FF"}, {2, "8", 2, 1, "1"}, {1, "2", 3, 0, "F"}}) {
        Click(Get<QRadioButton>("optCOLBIT", depth));
        EXPECT_EQ(Text("tbxHEIGHT"), height) << depth;
        EXPECT_EQ(orders->count(), count) << depth;
        EXPECT_EQ(orders->currentIndex(), selected) << depth;
        EXPECT_EQ(Get<QLabel>("lblMAX")->text(), max) << depth;
    }
    Click(Get<QRadioButton>("optPALCOLOR", modBITMAPinfo::kPalCustom));
    EXPECT_TRUE(Get<QPushButton>("cmdPALcustom")->isEnabled());
    Click(Get<QRadioButton>("optPALCOLOR", 2));
    EXPECT_FALSE(Get<QPushButton>("cmdPALcustom")->isEnabled());
    EXPECT_EQ(Get<QLabel>("lblPALtips")->text(), "解析用:0白､1-7水色､8-E赤､F黒");
    // Index 1 of 16 in the strip, in binary colours.
    EXPECT_EQ(Get<QLabel>("picPALGRAD")->pixmap().toImage().pixel(16, 15), qRgb(0, 255, 255));
}

TEST_F(OptMenu, MagnificationsAreMadeEqualOnLeavingAndOnChecking) {
    start.settings.gSynXY = true;
    Open();
    QLineEdit *magX = Get("tbxMagX"), *magY = Get("tbxMagY");
    Click(magX);
    Paste(magX, "3");
    EXPECT_EQ(magY->text(), "1");  // not on each keystroke
    QTest::keyClick(magX, Qt::Key_Tab);
    EXPECT_EQ(magY->text(), "3");
    Click(Get<QCheckBox>("cbxSynXY"));
    Click(magY);
    Paste(magY, "6");
    Click(magX);
    EXPECT_EQ(magX->text(), "3");  // unchecked: leaving copies nothing
    Paste(magX, "4");
    Click(Get<QCheckBox>("cbxSynXY"));
    EXPECT_EQ(magY->text(), "4");
}

TEST_F(OptMenu, OkStoresTheEditsAndThePalette) {
    start.settings.gArray2 = 1;
    Open();
    Click(Get<QRadioButton>("optCOLBIT", 1));
    Get<QComboBox>("cmbPICARRAY")->setCurrentIndex(2);
    Click(Get<QRadioButton>("optPALCOLOR", 2));
    Paste(Get("tbxWIDTH"), "100");
    Paste(Get("tbxMagX"), "3");
    Paste(Get("tbxMagY"), "4");
    Click(Get<QCheckBox>("cbxOFFSET"));
    Paste(Get("tbxOFFa"), "-7");
    Click(Get<QPushButton>("cmdOK"));
    EXPECT_FALSE(window->isVisible());
    const modBITMAPinfo::ViewSettings& s = window->Choice().settings;
    EXPECT_EQ(std::tuple(s.gColBit, s.gArray16, s.gArray2, s.gPalColor), std::tuple(1, 2, 1, 2));
    EXPECT_EQ(std::tuple(s.gPicWidth, s.gPicHeight, s.gOffA), std::tuple(100, 20, -7));
    EXPECT_EQ(std::tuple(s.gMagX, s.gMagY, s.gUseOffset), std::tuple(3, 4, true));
    EXPECT_EQ(window->Choice().palette[8], (RGBQUAD{0, 0, 255, 0}));  // 16-colour binary
}

// A direct format stands in for the depth, order and palette, which keep their choices; the
// width's limit and the height are the format's, and the stride must hold a row.
TEST_F(OptMenu, AFormatStandsInForTheDepthOrderAndPalette) {
    start.settings.gColBit = modBITMAPinfo::kDepth16;
    Open();
    auto* formats = Get<QComboBox>("cmbFORMAT");
    QLineEdit* stride = Get("tbxSTRIDE");
    EXPECT_EQ(formats->itemText(0), "パレット番号（単位と配列のとおり）");
    EXPECT_FALSE(stride->isEnabled());
    auto groupsOn = [this] {
        return std::tuple(
            Get<QGroupBox>("fraMENU", 0)->isEnabled(), Get<QGroupBox>("fraMENU", 1)->isEnabled(),
            Get<QGroupBox>("fraMENU", 2)->isEnabled(), !Get("tbxSTRIDE")->isEnabled());
    };
    Choose(formats, 1);  // RGB: 334 pixels, 128 to a row
    EXPECT_EQ(groupsOn(), std::tuple(false, false, false, false));
    EXPECT_EQ(Text("tbxHEIGHT"), "3");
    Paste(Get("tbxWIDTH"), "335");
    EXPECT_EQ(Text("tbxWIDTH"), "128");
    Click(stride);
    Paste(stride, "-1");
    EXPECT_EQ(stride->text(), "0");
    Paste(stride, "383");  // a byte short of a row: typed, but not left
    QTest::keyClick(stride, Qt::Key_Tab);
    EXPECT_TRUE(stride->hasFocus());
    EXPECT_EQ(Get<QLabel>("lblALLtips")->text(),
              "行のバイト数が1行分(幅×1ピクセルのバイト数)より少なくなっています");
    QTest::keyClick(stride, Qt::Key_Up);
    QTest::keyClick(stride, Qt::Key_Tab);
    EXPECT_FALSE(stride->hasFocus());
    EXPECT_EQ(Text("tbxHEIGHT"), "3");  // 1000 bytes in rows of 384
    Paste(stride, "500");
    EXPECT_EQ(Text("tbxHEIGHT"), "2");  // of 500, though 334 pixels make 3 rows of 128
    Choose(formats, 0);
    EXPECT_EQ(groupsOn(), std::tuple(true, true, true, true));
    EXPECT_EQ(Text("tbxHEIGHT"), "16");
    EXPECT_TRUE(Get<QRadioButton>("optCOLBIT", 1)->isChecked());
    Choose(formats, 5);  // RGBA: rows of 512 bytes now
    Click(Get<QPushButton>("cmdOK"));
    EXPECT_TRUE(stride->hasFocus());
    Paste(stride, "512");
    Click(Get<QPushButton>("cmdOK"));
    EXPECT_FALSE(window->isVisible());
    const modBITMAPinfo::ViewSettings& s = window->Choice().settings;
    EXPECT_EQ(std::tuple(s.gFormat, s.gStride, s.gPicWidth, s.gPicHeight, s.gColBit),
              std::tuple(core::ChosenFormat(5), 512, 128, 2, 1));
    // The next opening starts from them.
    start = window->Choice();
    Open();
    EXPECT_EQ(std::tuple(Chosen(Get<QComboBox>("cmbFORMAT")), Text("tbxSTRIDE"), groupsOn()),
              std::tuple(5, "512", std::tuple(false, false, false, false)));

    // A format with planes takes a frame height, which whole frames make the height of; the
    // other formats keep it, disabled.
    QLineEdit* frame = Get("tbxFRAMEH");
    EXPECT_FALSE(frame->isEnabled());
    Choose(Get<QComboBox>("cmbFORMAT"), core::ChoiceOf(*core::FindFormat("nv12")));
    EXPECT_TRUE(frame->isEnabled());
    Paste(Get("tbxSTRIDE"), "0");
    Paste(Get("tbxWIDTH"), "20");
    EXPECT_EQ(Text("tbxHEIGHT"), "33");  // one frame: 33 rows and their chroma, 1000 bytes
    Click(frame);
    Paste(frame, "51");  // 51 rows of 20 bytes are more than the file's
    QTest::keyClick(frame, Qt::Key_Tab);
    EXPECT_TRUE(frame->hasFocus());
    EXPECT_EQ(Get<QLabel>("lblALLtips")->text(),
              "フレームの高さがファイルの行数(輝度の行)を超えています");
    Paste(frame, "10");
    EXPECT_EQ(Text("tbxHEIGHT"), "30");  // frames of 300 bytes: 3 whose luma the file holds
    Choose(Get<QComboBox>("cmbFORMAT"), 1);
    EXPECT_EQ(std::tuple(frame->isEnabled(), frame->text()), std::tuple(false, "10"));

    // A file shorter than one pixel of the format cannot be shown in it.
    Reset(2);
    Open();
    Choose(Get<QComboBox>("cmbFORMAT"), 1);
    EXPECT_EQ(Chosen(Get<QComboBox>("cmbFORMAT")), 0);
    EXPECT_EQ(Get<QLabel>("lblALLtips")->text(),
              "ファイルが1ピクセル分より短いため、この形式は選べません");
}

// Each item of the format list is the format it names, in the table's order under its family's
// heading, taken by OK and shown again on the next opening; a heading cannot be chosen, and
// typing a name finds its format.
TEST_F(OptMenu, EveryFormatItemIsTheFormatItNames) {
    Reset(4096);  // 128 pixels of every format
    Open();
    auto* list = Get<QComboBox>("cmbFORMAT");
    int choice = 0;
    QStringList headings;
    for (int item = 1; item < list->count(); ++item) {
        if (list->itemData(item).toInt() < 0) {
            headings << list->itemText(item);
            list->setCurrentIndex(item);
            EXPECT_EQ(Chosen(list), choice) << item;
            continue;
        }
        EXPECT_EQ(list->itemData(item).toInt(), ++choice);
        list->setCurrentIndex(item);
    }
    EXPECT_EQ(choice, std::ssize(core::kColourFormats));
    EXPECT_EQ(headings.size(), 9) << headings.join(" | ").toStdString();
    list->setFocus();
    QTest::keyClicks(list, "NV2");
    EXPECT_EQ(core::ChosenFormat(Chosen(list))->name, "nv21");
    for (int i = 1; i <= std::ssize(core::kColourFormats); ++i) {
        Open();
        auto* formats = Get<QComboBox>("cmbFORMAT");
        QString words = formats->itemText(formats->findData(i));
        words.replace("グレー", "gray").replace("ベイヤー", "bayer");
        words.replace(" 32ビット", "").remove("ビット");
        words.replace("リトルエンディアン", "le").replace("ビッグエンディアン", "be");
        Choose(formats, i);
        Click(Get<QPushButton>("cmdOK"));
        start = window->Choice();
        const core::PixelFormat* format = start.settings.gFormat;
        ASSERT_NE(format, nullptr) << i;
        EXPECT_EQ(words.remove(QRegularExpression("[^0-9A-Za-z]")).toLower(),
                  QString::fromUtf8(format->name).remove('_'));
        Open();
        EXPECT_EQ(Chosen(Get<QComboBox>("cmbFORMAT")), i);
    }
}

// OK, Enter, a click and Tab stay in a field without a number; Cancel always goes.
TEST_F(OptMenu, ABadFieldKeepsTheFocusAndOkButNotCancel) {
    Open();
    Click(Get<QRadioButton>("optPALCOLOR", 6));
    QLineEdit* magX = Get("tbxMagX");
    Click(magX);
    Paste(magX, "");
    QWidgetList took;  // not even for a moment before the field is put back
    const auto watch = QObject::connect(qApp, &QApplication::focusChanged,
                                        [&took](QWidget*, QWidget* now) { took << now; });
    QTest::keyClick(magX, Qt::Key_Tab);
    QObject::disconnect(watch);
    EXPECT_TRUE(took.isEmpty());
    Click(Get<QRadioButton>("optCOLBIT", 2));
    EXPECT_TRUE(magX->hasFocus());
    EXPECT_FALSE(Get<QRadioButton>("optCOLBIT", 2)->isChecked());
    Get<QPushButton>("cmdPALcustom")->setFocus();  // takes the focus without asking the field
    Click(Get<QPushButton>("cmdOK"));
    EXPECT_TRUE(magX->hasFocus());
    QTest::keyClick(magX, Qt::Key_Return);
    EXPECT_TRUE(window->isVisible());
    Click(Get<QPushButton>("cmdCANCEL"));
    EXPECT_FALSE(window->isVisible());
}

// As its callers run it, modal over an owner: Cancel, Esc and the close box choose nothing.
TEST_F(OptMenu, CancelEscAndTheCloseBoxChangeNothing) {
    const std::function<void(frmOptMenu*)> ways[] = {
        [](frmOptMenu* d) {
            QTest::mouseClick(d->findChild<QWidget*>("cmdCANCEL"), Qt::LeftButton);
        },
        [](frmOptMenu* d) { QTest::keyClick(d->focusWidget(), Qt::Key_Escape); },
        [](frmOptMenu* d) { d->close(); },
    };
    for (const auto& way : ways) {
        QWidget owner;
        owner.show();
        testing::WhenModal<frmOptMenu> user(way);
        EXPECT_FALSE(RunOptMenu(&owner, start)) << &way - ways;
    }
}

class SettingsMonkey : public testing::DialogMonkey {
  public:
    SettingsMonkey() {
        typed_ = "01234567890123456789.-+eE x";
        keys_ = {Qt::Key_Up,  Qt::Key_Down,    Qt::Key_Up,     Qt::Key_Down,      Qt::Key_Left,
                 Qt::Key_Tab, Qt::Key_Backtab, Qt::Key_Tab,    Qt::Key_Backspace, Qt::Key_Space,
                 Qt::Key_End, Qt::Key_Delete,  Qt::Key_Return, Qt::Key_Escape};
        for (char c : std::string("HWXSYLITAZPKBREQCOF")) {
            accessKeys_.push_back(static_cast<Qt::Key>(c));
        }
        controls_ = {"tbxWIDTH",  "tbxMagX",   "tbxMagY",     "tbxOFFa",     "cbxSynXY",
                     "cbxOFFSET", "optCOLBIT", "cmbPICARRAY", "optPALCOLOR", "cmdPALcustom",
                     "cmdOK",     "cmdCANCEL", "tbxWIDTH",    "optCOLBIT",   "cmbFORMAT",
                     "tbxSTRIDE", "cmbFORMAT", "tbxFRAMEH"};
        // The palette editor is modal: it runs its own loop, in which this closes it.
        QObject::connect(&closer_, &QTimer::timeout, [this] {
            for (frmCLUT* editor :
                 window_ ? window_->findChildren<frmCLUT*>() : QList<frmCLUT*>()) {
                editor->reject();
            }
        });
        closer_.start(5);
    }

  private:
    QDialog* Open() override {
        static const std::int64_t kSizes[] = {1, 3, 127, 1000, 65537, 0x7EFFFFFF};
        if (!window_ || Pick(2) == 0) {
            fileSize_ = kSizes[Pick(std::size(kSizes))];
            modBITMAPinfo::SetForNewFile(start.settings, "/data/monkey.bin", fileSize_);
        }
        window_ = std::make_unique<frmOptMenu>(nullptr, start);
        window_->show();
        return window_.get();
    }

    std::vector<testing::MonkeyField> Fields() const override {
        auto field = [this](const char* name) { return window_->findChild<QLineEdit*>(name); };
        auto rule = [](auto leave) {
            return [leave](const std::string& text) { return leave(text).has_value(); };
        };
        const std::int64_t off = fieldRules::kOffsetLimit - 1,
                           width = std::min(fieldRules::kMaxWidth,
                                            modBITMAPinfo::PixelCount(fileSize_, 2));
        // A stride is left only holding a row of the width accepted, in the format chosen.
        auto stride = [this, field](const std::string& text) {
            const auto value = fieldRules::StrideOnLeave(text);
            const auto* format = core::ChosenFormat(Formats()->currentData().toInt());
            return value &&
                   (!format ||
                    core::CheckStride(*format, toolkit::Tag(field("tbxWIDTH")).toLongLong(), *value)
                        .ok());
        };
        // A frame height is left only where the file holds a frame's rows.
        auto frame = [this, field](const std::string& text) {
            const auto value = fieldRules::FrameHeightOnLeave(text);
            const auto* format = core::ChosenFormat(Formats()->currentData().toInt());
            return value &&
                   (!format || core::CheckFrameHeight(
                                   *format, fileSize_, toolkit::Tag(field("tbxWIDTH")).toLongLong(),
                                   toolkit::Tag(field("tbxSTRIDE")).toLongLong(), *value)
                                   .ok());
        };
        return {{field("tbxWIDTH"), 1, width, false, rule(fieldRules::WidthOnLeave)},
                {field("tbxMagX"), 1, 8, false, rule(fieldRules::MagnificationOnLeave)},
                {field("tbxMagY"), 1, 8, false, rule(fieldRules::MagnificationOnLeave)},
                {field("tbxOFFa"), -off, off, false, rule(fieldRules::OffsetOnLeave)},
                {field("tbxSTRIDE"), 0, core::kMaxStride, false, stride},
                {field("tbxFRAMEH"), 0, core::kMaxStride, false, frame}};
    }

    // The palette indices' groups are on exactly while they are chosen, the stride the other
    // way round, and a format is chosen only when the file holds one of its pixels.
    std::string Broken() const override {
        const int chosen = Formats()->currentData().toInt();
        const auto* format = core::ChosenFormat(chosen);
        for (int i : {0, 1, 2}) {
            if (toolkit::Element<QGroupBox>(window_.get(), "fraMENU", i)->isEnabled() != !format) {
                return "group " + std::to_string(i) + " is not on with the palette indices only";
            }
        }
        if (window_->findChild<QLineEdit*>("tbxSTRIDE")->isEnabled() != (format != nullptr)) {
            return "the stride is not on with a direct format only";
        }
        if (window_->findChild<QLineEdit*>("tbxFRAMEH")->isEnabled() !=
            (format != nullptr && format->family == core::FormatFamily::Planar)) {
            return "the frame height is not on with a format of planes only";
        }
        return format && format->bytes > fileSize_ ? "a format larger than the file is chosen" : "";
    }

    QComboBox* Formats() const { return window_->findChild<QComboBox*>("cmbFORMAT"); }

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
