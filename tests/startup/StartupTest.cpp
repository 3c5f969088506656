#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include "image/modBITMAPinfo.h"
#include "startup/modSTARTUP.h"
#include "toolkit/DeferredTimer.h"
#include "toolkit/ScriptedDialogs.h"
#include "view/frmMainView.h"

namespace rastel::modSTARTUP {
namespace {

TEST(CommandLine, ArgumentsBecomeOnePathWithoutQuotesOrSurroundingSpaces) {
    struct Case {
        QStringList arguments;
        QString path;
    };
    for (const Case& c : {
             Case{{}, ""},
             {{"  /data/a.bin  "}, "/data/a.bin"},
             {{"/data/my", "file.bin"}, "/data/my file.bin"},
             {{"\"/data/my file.bin\""}, "/data/my file.bin"},
             {{"  \" /data/x \"  "}, " /data/x "},  // inside quotes nothing is trimmed
             {{"\""}, ""},                          // a lone quote names nothing
             {{"?"}, "?"},
         }) {
        EXPECT_EQ(Unquote(JoinArguments(c.arguments)), c.path)
            << c.arguments.join('|').toStdString();
    }
}

TEST(CommandLine, OnlyTheTwoHelpSwitchesAskForHelp) {
    for (const char* text : {"/?", "-?", " /? ", "  -?"}) {
        EXPECT_TRUE(IsHelpSwitch(QString::fromUtf8(text))) << text;
    }
    for (const char* text : {"?", "/h", "/?x", "--?", "/ ?", ""}) {
        EXPECT_FALSE(IsHelpSwitch(QString::fromUtf8(text))) << text;
    }
}

class MainTest : public ::testing::Test {
  protected:
    void SetUp() override {
        modBITMAPinfo::gDib = {};
        gRawData.clear();
        gCommandLine.clear();
    }
    std::unique_ptr<frmMainView> Run(const QStringList& arguments) {
        return Main(arguments, [this] { ++splashes; });
    }
    toolkit::ScriptedDialogs dialogs;
    int splashes = 0;
};

TEST_F(MainTest, HelpSwitchesShowTheBoxAndNoWindow) {
    for (const char* argument : {"/?", "-?", "\"/?\"", " -? "}) {
        dialogs.messages.clear();
        EXPECT_EQ(Run({QString::fromUtf8(argument)}), nullptr) << argument;
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, "!");
        EXPECT_EQ(dialogs.messages[0].title, "rastel");
        EXPECT_EQ(dialogs.messages[0].buttons, toolkit::MsgButtons::Ok);
        EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty() ||
                    QApplication::topLevelWidgets().constFirst()->findChild<QWidget*>("picBASE") ==
                        nullptr);
    }
    EXPECT_EQ(splashes, 0);
}

TEST_F(MainTest, WithoutAFileTheSplashComesFirstAndTheWindowWaitsEmpty) {
    const auto window = Run({});
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(splashes, 1);
    EXPECT_EQ(window->windowTitle(), "Rastel - Version 1.1");
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->findChild<toolkit::DeferredTimer*>("timDragDrop")->Enabled());
    for (const char* name :
         {"fMnuFILEsave", "fMnuFILEclose", "fMnuEDITcapture", "fMnuEDIToption"}) {
        EXPECT_FALSE(window->findChild<QAction*>(name)->isEnabled()) << name;
    }
}

TEST_F(MainTest, AQuotedPathWithASpaceIsLoadedOnTheFirstTick) {
    QTemporaryDir dir;
    const QString path = dir.filePath("my file.bin");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(300, 'x'));
    }
    const auto window = Run({"  \"" + path + "\"  "});
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(splashes, 0);
    EXPECT_EQ(gCommandLine, path);
    EXPECT_EQ(window->windowTitle(), "Rastel - Version 1.1");
    int runs = 0;
    window->SetOptionsDialog([&runs](QWidget*) {
        auto& s = modBITMAPinfo::gDib.settings;
        s.gMagX = s.gMagY = 1;
        return ++runs > 0;
    });
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), "Rastel - " + path, 10000);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(gRawData.size(), 300u);
    EXPECT_TRUE(window->findChild<QAction*>("fMnuFILEsave")->isEnabled());
}

// A lone double quote is both the first and the last character: it names nothing, so the
// window waits empty, without the splash and without a message.
TEST_F(MainTest, ALoneDoubleQuoteOpensTheEmptyWindow) {
    const auto window = Run({"\""});
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(splashes, 0);
    EXPECT_TRUE(gCommandLine.isEmpty());
    EXPECT_FALSE(window->findChild<toolkit::DeferredTimer*>("timDragDrop")->Enabled());
    QApplication::processEvents();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Rastel - Version 1.1");
}

TEST_F(MainTest, AFolderOnTheCommandLineIsReportedOnTheTick) {
    QTemporaryDir dir;
    const auto window = Run({dir.path()});
    ASSERT_NE(window, nullptr);
    QTRY_COMPARE_WITH_TIMEOUT(dialogs.messages.size(), std::size_t{1}, 10000);
    EXPECT_EQ(dialogs.messages[0].text, "フォルダの展開はできません");
    EXPECT_EQ(dialogs.messages[0].title, "エラー9: ファイル読み込み");
    EXPECT_EQ(window->windowTitle(), "Rastel - Version 1.1");
}

}  // namespace
}  // namespace rastel::modSTARTUP
