#include <sys/stat.h>
#include <unistd.h>

#include <QMimeData>
#include <QUrl>

#include "toolkit/DeferredTimer.h"
#include "view/MainViewFixture.h"

namespace rastel::testing {
namespace {

TEST_F(MainViewTest, NewFilesGetWidth128OrTheirSizeAndTheHeightRoundedUp) {
    struct Case {
        std::size_t size;
        std::int64_t width, height;
    };
    for (const Case c :
         {Case{1, 1, 1}, {127, 127, 1}, {128, 128, 1}, {129, 128, 2}, {1000, 128, 8}}) {
        const QString path = WriteFile(QString::number(c.size), Pattern(c.size));
        OpenThroughMenu(path);
        SCOPED_TRACE(c.size);
        EXPECT_EQ(seen.gPicWidth, c.width);
        EXPECT_EQ(seen.gPicHeight, c.height);
        EXPECT_EQ(seen.gFileSize, static_cast<std::int64_t>(c.size));
        EXPECT_EQ(gRawData, Pattern(c.size));
        EXPECT_EQ(window->windowTitle(), "Rastel - " + path);
        EXPECT_TRUE(PictureMenusEnabled());
        EXPECT_TRUE(Picture()->Visible());
        EXPECT_EQ(Picture()->Width(), c.width);
        EXPECT_EQ(Picture()->Height(), c.height);
    }
    EXPECT_TRUE(dialogs.messages.empty());
    ASSERT_FALSE(dialogs.files.empty());
    EXPECT_FALSE(dialogs.files[0].save);
    EXPECT_EQ(dialogs.files[0].filter, "すべてのファイル(*.*)|*.*");
    EXPECT_TRUE(dialogs.files[0].fileMustExist);
    // The open dialog proposes the file opened last.
    EXPECT_EQ(dialogs.files[1].fileName, dir.filePath("1"));
}

TEST_F(MainViewTest, FoldersEmptyAndTooLargeFilesAreRefusedBeforeTheDialog) {
    const QString empty = WriteFile("empty", {});
    const QString huge = dir.filePath("huge");
    ASSERT_EQ(::truncate(WriteFile("huge", {1}).toLocal8Bit().constData(), 0x7F000000), 0);
    struct Case {
        QString path;
        int code;
        const char* text;
        const char* title;
    };
    for (const Case& c :
         {Case{dir.path(), 9, "フォルダの展開はできません", "エラー9: ファイル読み込み"},
          Case{empty, 8, "ファイルサイズが0です", "エラー8: ファイル読み込み"},
          Case{huge, 10, "ファイルが大きすぎます", "エラー10: ファイル読み込み"}}) {
        dialogs.messages.clear();
        EXPECT_EQ(window->LoadBinary(c.path), c.code);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, QString::fromUtf8(c.text));
        EXPECT_EQ(dialogs.messages[0].title, QString::fromUtf8(c.title));
        EXPECT_EQ(dialogs.messages[0].icon, MsgIcon::Critical);
        EXPECT_EQ(dialogs.messages[0].buttons, MsgButtons::Ok);
    }
    EXPECT_EQ(dialogRuns, 0);
    EXPECT_TRUE(PictureMenusDisabled());
    EXPECT_EQ(gDib.settings, modBITMAPinfo::ViewSettings{});

    // One byte less than the limit is accepted (not read here: the dialog is cancelled).
    ASSERT_EQ(::truncate(huge.toLocal8Bit().constData(), 0x7EFFFFFF), 0);
    answer = false;
    EXPECT_EQ(window->LoadBinary(huge), frmMainView::kLoadCancelled);
    EXPECT_EQ(seen.gFileSize, 0x7EFFFFFF);
}

TEST_F(MainViewTest, CancellingTheSettingsKeepsThePreviousFileAndPicture) {
    const QString first = WriteFile("first", Pattern(1000));
    OpenThroughMenu(first);
    const auto settings = gDib.settings;
    const auto bits = gDib.bits;

    answer = false;
    edit = [](auto& s) { s.gMagX = 4; };
    EXPECT_EQ(window->LoadBinary(WriteFile("second", Pattern(300))), frmMainView::kLoadCancelled);
    EXPECT_EQ(gDib.settings, settings);
    EXPECT_EQ(gDib.bits, bits);
    EXPECT_EQ(gRawData, Pattern(1000));
    EXPECT_EQ(window->windowTitle(), "Rastel - " + first);
    EXPECT_EQ(Picture()->Width(), 128);

    // The settings opened afterwards show the first file again.
    Action("fMnuEDIToption")->trigger();
    EXPECT_EQ(seen.gFileName, first.toStdString());
    EXPECT_EQ(seen.gFileSize, 1000);
}

TEST_F(MainViewTest, ANewFileStartsWithTheOffsetOff) {
    edit = [](auto& s) {
        s.gUseOffset = true;
        s.gOffA = 5;
        s.gColBit = modBITMAPinfo::kDepth16;
    };
    OpenThroughMenu(WriteFile("a", Pattern(500)));
    edit = nullptr;
    OpenThroughMenu(WriteFile("b", Pattern(500)));
    EXPECT_FALSE(seen.gUseOffset);
    EXPECT_EQ(seen.gOffA, 0);
    EXPECT_EQ(seen.gColBit, modBITMAPinfo::kDepth16);  // the depth is kept
}

// A file that cannot be read leaves everything as it was before the load.
TEST_F(MainViewTest, AFailedReadChangesNothing) {
    const QString first = WriteFile("first", Pattern(1000));
    OpenThroughMenu(first);
    const auto settings = gDib.settings;
    const std::vector<modBITMAPinfo::RGBQUAD> palette(std::begin(gDib.bmiColors),
                                                      std::end(gDib.bmiColors));
    const QString vanishing = WriteFile("vanishing", Pattern(700));
    edit = [&](auto& s) {
        s.gPalColor = modBITMAPinfo::kPalThermo;
        QFile::remove(vanishing);
    };
    EXPECT_EQ(window->LoadBinary(vanishing), frmMainView::kLoadUnreadable);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "ファイルが読み出せませんでした");
    EXPECT_EQ(dialogs.messages[0].title, "エラー6: ファイル読み込み");
    EXPECT_EQ(dialogs.messages[0].icon, MsgIcon::Critical);
    EXPECT_EQ(gDib.settings, settings);
    EXPECT_TRUE(std::equal(palette.begin(), palette.end(), std::begin(gDib.bmiColors)));
    EXPECT_EQ(gRawData, Pattern(1000));
    EXPECT_EQ(window->windowTitle(), "Rastel - " + first);
}

TEST_F(MainViewTest, AFileThatCannotBeExaminedGetsTheErrorReportBox) {
    OpenThroughMenu(dir.filePath("missing"));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    const auto& box = dialogs.messages[0];
    EXPECT_TRUE(
        box.text.startsWith("エラーが発生しました。こちらのエラーを報告してくださるようお願いします"
                            "。\nエラーコード 2 \n"))
        << box.text.toStdString();
    EXPECT_EQ(box.title, "rastel");
    EXPECT_EQ(box.icon, MsgIcon::None);
    EXPECT_EQ(box.buttons, MsgButtons::Ok);
    EXPECT_EQ(dialogRuns, 0);
    EXPECT_TRUE(PictureMenusDisabled());
}

TEST_F(MainViewTest, CancellingTheOpenDialogShowsNothing) {
    Action("fMnuFILEload")->trigger();
    EXPECT_EQ(dialogs.files.size(), 1u);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(dialogRuns, 0);
}

TEST_F(MainViewTest, ClearingAsksThenEmptiesThePictureButKeepsTheBytes) {
    OpenThroughMenu(WriteFile("a", Pattern(1000)));
    dialogs.messageAnswers = {MsgResult::Cancel};
    Action("fMnuFILEclose")->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "画像を消去しメモリをクリアします");
    EXPECT_EQ(dialogs.messages[0].title, "確認");
    EXPECT_EQ(dialogs.messages[0].icon, MsgIcon::Question);
    EXPECT_EQ(dialogs.messages[0].buttons, MsgButtons::OkCancel);
    EXPECT_EQ(dialogs.messages[0].defaultButton, MsgResult::Cancel);
    EXPECT_TRUE(Picture()->Visible());

    dialogs.messageAnswers = {MsgResult::Ok};
    Action("fMnuFILEclose")->trigger();
    EXPECT_EQ(window->windowTitle(), "Rastel");
    EXPECT_FALSE(Picture()->Visible());
    EXPECT_EQ(Picture()->Width(), 1);
    EXPECT_TRUE(PictureMenusDisabled());
    EXPECT_TRUE(HBar()->isHidden());
    EXPECT_TRUE(VBar()->isHidden());
    EXPECT_EQ(gDib.bits, std::vector<std::uint8_t>{0});
    EXPECT_EQ(gDib.settings.gFileName, "");
    EXPECT_EQ(gRawData, Pattern(1000));

    OpenThroughMenu(WriteFile("b", Pattern(10)));
    EXPECT_TRUE(PictureMenusEnabled());
}

class DropTest : public MainViewTest {
  protected:
    // Drags data over a box and drops it there; true when the drag was accepted.
    bool Drop(QWidget* target, QMimeData* data) {
        QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        if (!enter.isAccepted()) {
            return false;
        }
        QDropEvent drop(QPointF(1, 1), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        return true;
    }
    QMimeData* Files(const QStringList& paths) {
        auto* data = new QMimeData;
        QList<QUrl> urls;
        for (const QString& p : paths) {
            urls << QUrl::fromLocalFile(p);
        }
        data->setUrls(urls);
        owned.emplace_back(data);
        return data;
    }
    std::vector<std::unique_ptr<QMimeData>> owned;
};

TEST_F(DropTest, TextAndFoldersAreRefused) {
    auto* text = new QMimeData;
    text->setText("hello");
    owned.emplace_back(text);
    EXPECT_FALSE(Drop(Viewport(), text));
    EXPECT_FALSE(Drop(Viewport(), Files({dir.path()})));
    QTest::qWait(20);
    EXPECT_EQ(dialogRuns, 0);
    EXPECT_TRUE(modSTARTUP::gCommandLine.isEmpty());
}

TEST_F(DropTest, OnlyTheFirstOfSeveralFilesIsLoadedOnTheTimersTick) {
    const QString a = WriteFile("a", Pattern(300));
    const QString b = WriteFile("b", Pattern(400));
    const QString c = WriteFile("c", Pattern(500));
    ASSERT_TRUE(Drop(Viewport(), Files({a, b, c})));
    EXPECT_EQ(dialogRuns, 0);  // the drop only schedules the load
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), "Rastel - " + a, 10000);
    EXPECT_EQ(dialogRuns, 1);
    EXPECT_EQ(gRawData, Pattern(300));
    EXPECT_TRUE(PictureMenusEnabled());
    EXPECT_FALSE(window->findChild<toolkit::DeferredTimer*>("timDragDrop")->Enabled());

    // The picture accepts drops too.
    ASSERT_TRUE(Picture()->isVisible());
    ASSERT_TRUE(Drop(Picture(), Files({b})));
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), "Rastel - " + b, 10000);
}

TEST_F(DropTest, AMissingDroppedFileIsReportedAndTheTimerStops) {
    ASSERT_TRUE(Drop(Viewport(), Files({dir.filePath("gone")})));
    QTRY_COMPARE_WITH_TIMEOUT(dialogs.messages.size(), std::size_t{1}, 10000);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("エラーが発生しました。"));
    QTRY_VERIFY_WITH_TIMEOUT(!window->findChild<toolkit::DeferredTimer*>("timDragDrop")->Enabled(),
                             10000);
}

}  // namespace
}  // namespace rastel::testing
