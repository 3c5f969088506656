#include <QAction>
#include <QTemporaryDir>

#include "startup/modSTARTUP.h"
#include "support/ExpectBox.h"
#include "support/Widgets.h"
#include "toolkit/DeferredTimer.h"
#include "toolkit/Version.h"
#include "view/PictureBoxes.h"
#include "view/frmMainView.h"

namespace rastel::modSTARTUP {
namespace {

using modBITMAPinfo::gRawData;
using testing::ExpectBox;

class MainTest : public ::testing::Test {
  protected:
    void SetUp() override {
        modBITMAPinfo::gDib = {};
        gRawData = {};
        gCommandLine.clear();
    }
    std::unique_ptr<frmMainView> Run(const QStringList& arguments) {
        return Main(arguments, [this] { ++splashes; });
    }
    const QString caption = "Rastel - Version " + toolkit::VersionCaption();
    toolkit::ScriptedDialogs dialogs;
    int splashes = 0;
};

// That no text of the command line is lost or made up on the way is the command line fuzz
// check's business.
TEST_F(MainTest, HelpSwitchesShowTheBoxAndNoWindow) {
    for (const char* argument : {"/?", "\"-?\"", " -? "}) {
        EXPECT_EQ(Run({QString::fromUtf8(argument)}), nullptr) << argument;
        ExpectBox(dialogs, {"!", "rastel"});
    }
    EXPECT_EQ(splashes, 0);
}

// Without a file, or with a lone quote that names none, the window waits empty, its picture
// hidden at the margin and no bars on its client area of 380 x 315; only the first shows the
// splash.
TEST_F(MainTest, WithoutAFileTheWindowWaitsEmpty) {
    for (const auto& [arguments, splash] : {std::pair{QStringList{}, 1}, {{"\""}, 0}}) {
        splashes = 0;
        const auto window = Run(arguments);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(splashes, splash);
        EXPECT_EQ(window->windowTitle(), caption);
        EXPECT_TRUE(window->isVisible());
        EXPECT_FALSE(window->findChild<toolkit::DeferredTimer*>("timDragDrop")->Enabled());
        EXPECT_EQ(window->findChild<QWidget*>("mClient")->size(), QSize(380, 315));
        EXPECT_FALSE(window->findChild<ImageBox*>("picPICT")->Visible());
        for (const char* hidden : {"HscPicBASE", "VscPicBASE"}) {
            EXPECT_TRUE(window->findChild<QWidget*>(hidden)->isHidden()) << hidden;
        }
        for (const char* off :
             {"fMnuFILEsave", "fMnuFILEclose", "fMnuEDITcapture", "fMnuEDIToption"}) {
            EXPECT_FALSE(window->findChild<QAction*>(off)->isEnabled()) << off;
        }
        EXPECT_TRUE(window->findChild<QAction*>("fMnuEDITpaste")->isEnabled());
        QApplication::processEvents();
        EXPECT_TRUE(dialogs.messages.empty());
    }
}

// A path, quoted with spaces around, is loaded on the timer's first tick: here a folder, which
// is reported there; a file's whole road is the end-to-end test's.
TEST_F(MainTest, APathIsLoadedOnTheFirstTick) {
    QTemporaryDir dir;
    const auto window = Run({"  \"" + dir.path() + "\"  "});
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(std::pair(splashes, gCommandLine), std::pair(0, dir.path()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dialogs.messages.empty(); }, 10000));
    ExpectBox(dialogs, {"フォルダの展開はできません", "エラー9: ファイル読み込み",
                        toolkit::MsgIcon::Critical});
    EXPECT_EQ(window->windowTitle(), caption);
    EXPECT_FALSE(window->findChild<toolkit::DeferredTimer*>("timDragDrop")->Enabled());
}

}  // namespace
}  // namespace rastel::modSTARTUP
