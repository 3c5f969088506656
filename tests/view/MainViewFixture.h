// A fresh main window for each test, with the globals reset, the message boxes and file
// dialogs answered by a script, and the settings dialog replaced by an editable answer that
// works out the height as the dialog does; and the same with a file already open.
#pragma once

#include <QAction>
#include <QMenu>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "image/pixels/PaletteBuilder.h"
#include "image/pixels/modCLUT.h"
#include "support/ExpectBox.h"
#include "support/Modal.h"
#include "support/Widgets.h"
#include "toolkit/FileNames.h"
#include "toolkit/ScrollBar.h"
#include "view/PictureBoxes.h"
#include "view/frmGoTo.h"
#include "view/frmMainView.h"

namespace rastel::testing {

using modBITMAPinfo::gDib;
using modBITMAPinfo::gRawData;
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

// What the settings dialog answers with; what is left unset stays as it was opened with.
struct Look {
    std::optional<std::int64_t> width{}, height{}, offset{}, stride{};
    std::optional<int> magX{}, magY{}, depth{}, order{}, palette{}, format{};
    std::optional<bool> useOffset{};  // else on exactly when an offset is given
};

class MainViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        gDib = {};
        gRawData = {};
        gCommandLine.clear();
        modCLUT::gCustomPal = {};
        ASSERT_TRUE(dir.isValid());
        window = std::make_unique<frmMainView>();
        window->SetOptionsDialog([this](QWidget*, modBITMAPinfo::ViewChoice chosen) {
            ++dialogRuns;
            seen = chosen.settings;
            auto& s = chosen.settings;
            s.gMagX = look.magX.value_or(std::max(1, s.gMagX));
            s.gMagY = look.magY.value_or(std::max(1, s.gMagY));
            s.gPicWidth = look.width.value_or(s.gPicWidth);
            s.gColBit = look.depth.value_or(s.gColBit);
            s.gFormat = look.format ? core::ChosenFormat(*look.format) : s.gFormat;
            s.gStride = look.stride.value_or(s.gStride);
            const core::PixelFormat* format = s.gFormat;
            s.gPicHeight = look.height.value_or(
                format ? core::FormatHeight(*format, s.gFileSize, s.gPicWidth, s.gStride)
                       : modBITMAPinfo::HeightForWidth(
                             modBITMAPinfo::PixelCount(s.gFileSize, s.gColBit), s.gPicWidth));
            s.gPalColor = look.palette.value_or(s.gPalColor);
            if (look.order) {
                s.gArray256 = s.gArray16 = s.gArray2 = *look.order;
            }
            if (look.offset) {
                s.gUseOffset = true;
                s.gOffA = *look.offset;
            }
            s.gUseOffset = look.useOffset.value_or(s.gUseOffset);
            if (edit) {
                edit();
            }
            modBITMAPinfo::BuildPalette(chosen.palette, s.gPalColor, s.gColBit,
                                        modCLUT::gCustomPal.colors);
            return answer ? std::optional(chosen) : std::nullopt;
        });
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    void TearDown() override { window.reset(); }

    // name may hold bytes that are not UTF-8; the path comes back as the program names it.
    QString WriteFile(const QByteArray& name, const std::vector<std::uint8_t>& bytes) {
        const QByteArray path = QFile::encodeName(dir.path()) + "/" + name;
        std::ofstream(path.constData(), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return toolkit::DecodeName(path);
    }

    // Sparse, so it costs no disk.
    QString SparseFile(const QByteArray& name, std::int64_t size) {
        const QString path = WriteFile(name, {});
        std::filesystem::resize_file(toolkit::EncodeName(path).constData(), size);
        return path;
    }

    // Through the open and save dialogs, as the user would.
    void OpenThroughMenu(const QString& path) {
        dialogs.fileAnswers.push_back(path);
        Action("fMnuFILEload")->trigger();
    }
    void SaveThroughMenu(const QString& path) {
        dialogs.fileAnswers.push_back(path);
        Action("fMnuFILEsave")->trigger();
    }

    QAction* Action(const char* name) const { return window->findChild<QAction*>(name); }
    ImageBox* Picture() const { return window->findChild<ImageBox*>("picPICT"); }
    ViewportBox* Viewport() const { return window->findChild<ViewportBox*>("picBASE"); }
    toolkit::ScrollBar* Bar(const char* name) const {
        return static_cast<toolkit::ScrollBar*>(window->findChild<QScrollBar*>(name));
    }
    toolkit::ScrollBar* HBar() const { return Bar("HscPicBASE"); }
    toolkit::ScrollBar* VBar() const { return Bar("VscPicBASE"); }
    // One wheel event over target.
    void Wheel(QWidget* target, int delta, Qt::KeyboardModifiers modifiers = {}) {
        QWheelEvent event(QPointF(5, 5), target->mapToGlobal(QPointF(5, 5)), QPoint(),
                          QPoint(0, delta), Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &event);
    }
    // Whether the commands that need a picture are on; they go on and off together.
    bool PictureMenus() const {
        int on = window->findChild<QMenu*>("fMnuVIEW")->menuAction()->isEnabled();
        for (const char* name :
             {"fMnuEDIToption", "fMnuEDITcapture", "fMnuFILEclose", "fMnuFILEsave",
              "fMnuVIEWstatus", "fMnuVIEWgoto", "fMnuVIEWwidth"}) {
            on += Action(name)->isEnabled();
        }
        EXPECT_TRUE(on == 0 || on == 8) << on << " of the picture's commands are on";
        return on == 8;
    }

    // Enters each text in turn in the go-to dialog, then closes it with Escape if still open.
    void GoTo(const QStringList& texts) {
        WhenModal<frmGoTo> user([&texts](frmGoTo* dialog) {
            auto* field = dialog->findChild<QLineEdit*>("tbxOFFSET");
            for (const QString& text : texts) {
                field->setText(text);
                QTest::keyClick(field, Qt::Key_Return);
            }
            if (dialog->isVisible()) {
                QTest::keyClick(dialog, Qt::Key_Escape);
            }
        });
        Action("fMnuVIEWgoto")->trigger();
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
                {gRawData.data(), gRawData.data() + gRawData.size()},
                {std::begin(gDib.bmiColors), std::end(gDib.bmiColors)},
                window->windowTitle(),
                PictureMenus(),
                Picture()->Width(),
                Picture()->Height()};
    }

    QTemporaryDir dir;
    toolkit::ScriptedDialogs dialogs;
    std::unique_ptr<frmMainView> window;
    // The settings dialog's answer; seen is what it was opened with.
    bool answer = true;
    Look look;
    std::function<void()> edit;  // what else happens while the dialog is open
    modBITMAPinfo::ViewSettings seen;
    int dialogRuns = 0;
};

// With a 1000-byte file open at the settings a new file gets: a 128 x 8 picture at the margin,
// without scroll bars.
class LoadedTest : public MainViewTest {
  protected:
    void SetUp() override {
        MainViewTest::SetUp();
        first = WriteFile("first", Pattern(1000));
        OpenThroughMenu(first);
        ASSERT_EQ(window->windowTitle(), "Rastel - " + first);
        ASSERT_EQ(gRawData, Pattern(1000));
        ASSERT_TRUE(PictureMenus());
        ASSERT_EQ(Picture()->geometry(), QRect(2, 2, 128, 8));
        ASSERT_TRUE(HBar()->isHidden() && VBar()->isHidden());
    }
    QString first;
};

}  // namespace rastel::testing
