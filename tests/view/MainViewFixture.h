// A fresh main window for each test, with the globals reset, the message boxes and file
// dialogs answered by a script, and the settings dialog replaced by an editable answer.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <functional>
#include <memory>

#include "image/PaletteBuilder.h"
#include "palette/modCLUT.h"
#include "startup/modSTARTUP.h"
#include "toolkit/ScriptedDialogs.h"
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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray all = file.readAll();
    return {all.begin(), all.end()};
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
            if (!answer) {
                return false;
            }
            modBITMAPinfo::BuildPalette(gDib, s.gPalColor, s.gColBit, modCLUT::gCustomPal.colors);
            return true;
        });
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    void TearDown() override { window.reset(); }

    QString WriteFile(const QString& name, const std::vector<std::uint8_t>& bytes) {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        return path;
    }

    // Loads through the open dialog, as the user would.
    void OpenThroughMenu(const QString& path) {
        dialogs.fileAnswers.push_back(path);
        Action("fMnuFILEload")->trigger();
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
    bool PictureMenusEnabled() const { return PictureMenus(true); }
    bool PictureMenusDisabled() const { return PictureMenus(false); }
    bool PictureMenus(bool enabled) const {
        bool all = window->findChild<QMenu*>("fMnuVIEW")->menuAction()->isEnabled() == enabled;
        for (const char* name :
             {"fMnuEDIToption", "fMnuEDITcapture", "fMnuFILEclose", "fMnuFILEsave",
              "fMnuVIEWstatus", "fMnuVIEWgoto", "fMnuVIEWwidth"}) {
            all = all && Action(name)->isEnabled() == enabled;
        }
        return all;
    }

    // Runs action on the next modal dialog once its loop runs. Record there, assert after.
    static void WhenModal(std::function<void(QWidget*)> action) {
        auto* poll = new QTimer;
        QObject::connect(poll, &QTimer::timeout, [poll, action] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr || !modal->isVisible() ||
                QThread::currentThread()->loopLevel() == 0) {
                return;
            }
            poll->stop();
            poll->deleteLater();
            action(modal);
        });
        poll->start(0);
    }
    // Goes to each text in turn through the go-to dialog, then closes it with Escape.
    void GoTo(const QStringList& texts) {
        WhenModal([texts](QWidget* dialog) {
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

    QTemporaryDir dir;
    toolkit::ScriptedDialogs dialogs;
    std::unique_ptr<frmMainView> window;
    // The settings dialog's answer and edits; seen is what it was opened with.
    bool answer = true;
    std::function<void(modBITMAPinfo::ViewSettings&)> edit;
    modBITMAPinfo::ViewSettings seen;
    int dialogRuns = 0;
};

}  // namespace rastel::testing
