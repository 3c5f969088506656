// A fresh main window for each test, with the globals reset, the message boxes and file
// dialogs answered by a script, and the settings dialog replaced by an editable answer; and
// the same with a file already open.
#pragma once

#include <QAction>
#include <QDir>
#include <QTemporaryDir>
#include <fstream>
#include <iterator>

#include "image/PaletteBuilder.h"
#include "palette/modCLUT.h"
#include "startup/modSTARTUP.h"
#include "support/ExpectBox.h"
#include "support/Widgets.h"
#include "toolkit/FileNames.h"
#include "toolkit/ScrollBar.h"
#include "view/PictureBoxes.h"
#include "view/frmMainView.h"

namespace rastel::testing {

using modBITMAPinfo::gDib;
using toolkit::MsgButtons;
using toolkit::MsgIcon;
using toolkit::MsgResult;

// A whole file's bytes; empty when it cannot be read.
inline std::vector<std::uint8_t> ReadAll(const QString& path) {
    std::ifstream in(toolkit::EncodeName(path).constData(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline std::vector<std::uint8_t> Pattern(std::size_t n) {
    std::vector<std::uint8_t> bytes(n);
    for (std::size_t i = 0; i < n; ++i) {
        bytes[i] = static_cast<std::uint8_t>((i * 7 + i / 256) & 0xFF);
    }
    return bytes;
}

class MainViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        gDib = {};
        gRawData.clear();
        modSTARTUP::gCommandLine.clear();
        modCLUT::gCustomPal = {};
        ASSERT_TRUE(dir.isValid());
        window = std::make_unique<frmMainView>();
        window->SetOptionsDialog([this](QWidget*) {
            ++dialogRuns;
            seen = gDib.settings;
            auto& s = gDib.settings;
            s.gMagX = std::max(1, s.gMagX);
            s.gMagY = std::max(1, s.gMagY);
            if (edit) {
                edit(s);
            }
            if (answer) {
                modBITMAPinfo::BuildPalette(gDib, s.gPalColor, s.gColBit,
                                            modCLUT::gCustomPal.colors);
            }
            return answer;
        });
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    void TearDown() override { window.reset(); }

    // name may hold bytes that are not UTF-8; the path comes back as the program names it.
    QString WriteFile(const QByteArray& name, const std::vector<std::uint8_t>& bytes) {
        std::ofstream(QFile::encodeName(dir.path()) + "/" + name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return toolkit::DecodeName(QFile::encodeName(dir.path()) + "/" + name);
    }

    // Loads through the open dialog, as the user would.
    void OpenThroughMenu(const QString& path) {
        dialogs.fileAnswers.push_back(path);
        Action("fMnuFILEload")->trigger();
    }
    // Exports through the save dialog, as the user would.
    void SaveThroughMenu(const QString& path) {
        dialogs.fileAnswers.push_back(path);
        Action("fMnuFILEsave")->trigger();
    }

    QAction* Action(const char* name) const { return window->findChild<QAction*>(name); }
    ImageBox* Picture() const { return window->findChild<ImageBox*>("picPICT"); }
    ViewportBox* Viewport() const { return window->findChild<ViewportBox*>("picBASE"); }
    toolkit::ScrollBar* HBar() const {
        return static_cast<toolkit::ScrollBar*>(window->findChild<QScrollBar*>("HscPicBASE"));
    }
    toolkit::ScrollBar* VBar() const {
        return static_cast<toolkit::ScrollBar*>(window->findChild<QScrollBar*>("VscPicBASE"));
    }
    // Whether the four commands that need a picture are on; they go on and off together.
    bool PictureMenus() const {
        int on = 0;
        for (const char* name :
             {"fMnuEDIToption", "fMnuEDITcapture", "fMnuFILEclose", "fMnuFILEsave"}) {
            on += Action(name)->isEnabled();
        }
        EXPECT_TRUE(on == 0 || on == 4) << on << " of the picture's commands are on";
        return on == 4;
    }

    // What the user sees and what the program holds, to compare before and after.
    struct State {
        modBITMAPinfo::ViewSettings settings;
        std::vector<std::uint8_t> bits, raw;
        std::vector<modBITMAPinfo::RGBQUAD> palette;
        QString caption;
        bool menus;
        std::int64_t shownWidth, shownHeight;
        bool operator==(const State&) const = default;
    };
    State Now() const {
        return {gDib.settings,
                gDib.bits,
                gRawData,
                {std::begin(gDib.bmiColors), std::end(gDib.bmiColors)},
                window->windowTitle(),
                PictureMenus(),
                Picture()->Width(),
                Picture()->Height()};
    }

    QTemporaryDir dir;
    toolkit::ScriptedDialogs dialogs;
    std::unique_ptr<frmMainView> window;
    // The settings dialog's answer and edits; seen is what it was opened with.
    bool answer = true;
    std::function<void(modBITMAPinfo::ViewSettings&)> edit;
    modBITMAPinfo::ViewSettings seen;
    int dialogRuns = 0;
};

// With a 1000-byte file open at the settings a new file gets: a 128 x 8 picture.
class LoadedTest : public MainViewTest {
  protected:
    void SetUp() override {
        MainViewTest::SetUp();
        first = WriteFile("first", Pattern(1000));
        OpenThroughMenu(first);
        ASSERT_EQ(window->windowTitle(), "Rastel - " + first);
    }
    QString first;
};

}  // namespace rastel::testing
