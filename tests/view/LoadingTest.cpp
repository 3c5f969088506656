// The road of one file, and the files, names and drops that fight back: each load either works
// or says why, and leaves the program as it was.
#include <sys/stat.h>
#include <unistd.h>

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <cerrno>
#include <utility>

#include "image/base/Background.h"
#include "image/files/BmpFile.h"
#include "toolkit/DeferredTimer.h"
#include "toolkit/LongWork.h"
#include "view/MainViewFixture.h"
#include "view/OverviewStrip.h"

namespace rastel::testing {
namespace {

// Cancel in the settings dialog, a refused file and a read that fails all leave the previous
// file and picture, and the settings opened afterwards are the previous file's. FIFOs and
// devices are refused before anything blocks; a file that changes while the settings dialog
// is open is read as it was or not at all, even when another file takes its name.
TEST_F(LoadedTest, RefusedFilesAndFailedReadsChangeNothing) {
    const auto fifo = [&](const char* name) {
        QFile::remove(dir.filePath(name));
        ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath(name)).constData(), 0600), 0);
    };
    const QString target = dir.filePath("target.bin");
    const auto fresh = [&] {
        QFile::remove(target);  // it may be a FIFO, which an open for writing would wait on
        WriteFile("target.bin", Pattern(700));
    };
    const auto failRead = [&] {
        window->SetFileReader([](int, void*, std::size_t) -> std::ptrdiff_t {
            errno = EIO;
            return -1;
        });
    };
    const char *kNotAFile = "通常のファイルではないため読み込めません",
               *kUnreadable = "ファイルが読み出せませんでした";
    struct Case {
        const char* name;
        std::function<void()> arrange, duringDialog;
        int number;        // of the error box; 0: cancelled in the settings dialog, no box
        const char* text;  // nullptr: the error report box
    };
    const Case cases[] = {
        {"target.bin", fresh, {}, 0, ""},
        {"", {}, {}, 9, "フォルダの展開はできません"},
        {"missing", {}, {}, ENOENT, nullptr},
        {"empty", [&] { WriteFile("empty", {}); }, {}, 8, "ファイルサイズが0です"},
        {"sparse", [&] { SparseFile("sparse", 0x7F000000); }, {}, 10, "ファイルが大きすぎます"},
        {"fifo", [&] { fifo("fifo"); }, {}, 6, kNotAFile},
        {"target.bin", fresh,
         [&] { std::filesystem::resize_file(QFile::encodeName(target).data(), 100); }, 6,
         kUnreadable},
        {"target.bin", fresh, failRead, 6, kUnreadable},
    };
    Action("fMnuFILEload")->trigger();                // cancelled: nothing happens
    EXPECT_EQ(dialogs.files.back().fileName, first);  // the file opened last is proposed
    EXPECT_EQ(dialogs.files.back().filter, "すべてのファイル(*.*)|*.*");
    EXPECT_TRUE(dialogs.files.back().fileMustExist);
    look = {.magX = 4, .palette = modBITMAPinfo::kPalThermo};
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        if (c.arrange) {
            c.arrange();
        }
        answer = c.duringDialog != nullptr;  // refused on reading: it must get that far
        edit = c.duringDialog;
        const State before = Now();
        const int runs = dialogRuns;
        OpenThroughMenu(c.name[0] == '/' ? QString(c.name) : dir.filePath(c.name));
        window->SetFileReader(nullptr);
        EXPECT_EQ(Now(), before);
        EXPECT_EQ(dialogRuns - runs, c.duringDialog || c.number == 0 ? 1 : 0);
        if (c.number == 0) {
            EXPECT_TRUE(dialogs.messages.empty());
        } else {
            const QString title = QStringLiteral("エラー%1: ファイル読み込み").arg(c.number);
            ExpectBox(dialogs,
                      c.text ? Box{c.text, title, MsgIcon::Critical} : ErrorReport(c.number));
        }
    }
    edit = nullptr;
    Action("fMnuEDIToption")->trigger();
    EXPECT_EQ(std::tuple(seen.gFileName, seen.gFileSize), std::tuple(first.toStdString(), 1000));
    fresh();
    edit = [&] { fifo("target.bin"); };
    OpenThroughMenu(target);
    EXPECT_EQ(gRawData, Pattern(700));

    // Settings that make no picture of the file read: said, and nothing changes.
    edit = nullptr;
    look = {.format = 1};
    const State before = Now();
    OpenThroughMenu(WriteFile("two", Pattern(2)));
    EXPECT_EQ(Now(), before);
    ExpectBox(dialogs, {"画像の幅と高さが正しくありません", "rastel", MsgIcon::Exclamation});
}

// The file's bytes that cannot be had are refused with a message; a pixel array that cannot
// be had is no failure: the picture is decoded where it is shown.
TEST_F(LoadedTest, MemoryThatCannotBeHad) {
    const State before = Now();
    window->SetMemoryLimit(500);
    OpenThroughMenu(WriteFile("a", Pattern(700)));
    EXPECT_EQ(Now(), before);
    ExpectBox(dialogs, {"メモリが足りないためファイルを読み込めませんでした", "rastel",
                        MsgIcon::Exclamation});
    window->SetMemoryLimit(750);
    OpenThroughMenu(WriteFile("a", Pattern(700)));
    EXPECT_EQ(gRawData, Pattern(700));
    EXPECT_FALSE(Picture()->Rows().FromRecord());

    // Nor is a thread the system refuses for the work behind the window: the file shows, its
    // caption and commands with it, only its strip stays empty and nothing is found.
    window->SetMemoryLimit(std::numeric_limits<std::int64_t>::max());
    dialogs.messages.clear();
    core::SetStartFaults([](const char*) { return EAGAIN; });
    const QString b = WriteFile("b", Pattern(900));
    OpenThroughMenu(b);
    core::SetStartFaults({});
    EXPECT_EQ(std::pair(window->windowTitle(), gRawData == Pattern(900)),
              std::pair("Rastel - " + b, true));
    EXPECT_TRUE(PictureMenus());
    EXPECT_TRUE(window->findChild<OverviewStrip*>("picSTRIP")->Empty());
    Action("fMnuVIEWpictures")->trigger();  // no search: nothing to wait for
    EXPECT_TRUE(dialogs.messages.empty());
}

// Cancel in the progress of a long read or decode leaves the previous picture, and in that of
// a long export, of a picture held or shown from the file's bytes, in either format, the file
// it would replace; silently.
TEST_F(LoadedTest, CancellingALongReadDecodeOrExportChangesNothing) {
    // Above the size that shows progress.
    const QString large = SparseFile("large.bin", frmMainView::kReadProgressBytes + (1 << 20));
    QStringList steps;  // the labels of the progress shown, "" for one not shown yet
    QString cancel;
    int partway = 0;  // steps of a read told before its end, where a Cancel is heard
    const toolkit::LongWorkProbe previous = toolkit::SetLongWorkProbe(
        [&](const QString& label, std::int64_t done, std::int64_t total, bool shown) {
            steps << (shown ? label : "");
            partway += label == "ファイルを読み込んでいます..." && done < total;
            return label == cancel;
        });
    const QString reading = "ファイルを読み込んでいます...", decoding = "画像を作成しています...";
    window->SetPictureBudget(std::int64_t{1} << 40);  // held whole, so decoded whole
    look.palette = modBITMAPinfo::kPalThermo;         // which a cancelled decode must take back
    const State before = Now();
    for (const QString& step : {reading, decoding}) {
        cancel = step;
        OpenThroughMenu(large);
        EXPECT_EQ(steps.first(), reading);  // shown at once for a read this large
        EXPECT_EQ(steps.last() != reading, step == decoding);
        EXPECT_EQ(Now(), before);
        EXPECT_GT(std::exchange(partway, 0), 0);
        steps.clear();
    }
    cancel = "画像を書き出しています...";
    for (const std::int64_t budget : {std::int64_t{1} << 40, std::int64_t{1000}}) {
        window->SetPictureBudget(budget);
        OpenThroughMenu(large);
        ASSERT_EQ(Picture()->Rows().FromRecord(), budget > 1000);
        for (const char* name : {"old.bmp", "old.png"}) {
            SaveThroughMenu(WriteFile(name, Pattern(10)));
            EXPECT_EQ(ReadAll(dir.filePath(name)), Pattern(10)) << budget << name;
        }
    }
    toolkit::SetLongWorkProbe(previous);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 4);
}

// Drags data over a box and drops it there; true when the drag was accepted.
bool Drop(QWidget* target, const QList<QUrl>& urls, const QString& text = {}) {
    QMimeData data;
    urls.isEmpty() ? data.setText(text) : data.setUrls(urls);
    QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(1, 1), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    if (enter.isAccepted()) {
        QApplication::sendEvent(target, &drop);
    }
    return enter.isAccepted();
}

// A drop only schedules the load of the first file: the timer's tick does it.
TEST_F(LoadedTest, DropsLoadTheirFirstFileOnTheTimersTick) {
    auto* timer = window->findChild<toolkit::DeferredTimer*>("timDragDrop");
    EXPECT_FALSE(Drop(Viewport(), {}, "hello"));
    EXPECT_FALSE(Drop(Viewport(), {QUrl::fromLocalFile(dir.path())}));
    const QString a = WriteFile("a", Pattern(300));
    ASSERT_TRUE(Drop(Viewport(), {QUrl::fromLocalFile(a), QUrl::fromLocalFile(first)}));
    EXPECT_EQ(dialogRuns, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->windowTitle() == "Rastel - " + a; }, 10000));
    EXPECT_EQ(gRawData, Pattern(300));
    EXPECT_FALSE(timer->Enabled());
    // The export proposes the dropped file; the open dialog, the file last chosen in it.
    Action("fMnuFILEsave")->trigger();
    EXPECT_EQ(dialogs.files.back().fileName, a + ".bmp");
    Action("fMnuFILEload")->trigger();
    EXPECT_EQ(dialogs.files.back().fileName, first);

    // The picture takes drops too; a name's bytes arrive as they are, percent-encoded.
    const QByteArray bad = toolkit::EncodeName(WriteFile("bad\xFF.bin", Pattern(20)));
    ASSERT_TRUE(Drop(Picture(), {QUrl::fromEncoded("file://" + bad.toPercentEncoding("/"))}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return gRawData == Pattern(20); }, 10000));
    EXPECT_EQ(gDib.settings.gFileName, bad.toStdString());
    ::unlink(bad.constData());  // QTemporaryDir cannot name it to remove it

    ASSERT_TRUE(Drop(Viewport(), {QUrl::fromLocalFile(dir.filePath("gone"))}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dialogs.messages.empty(); }, 10000));
    ExpectBox(dialogs, ErrorReport(ENOENT));
    EXPECT_FALSE(timer->Enabled());
}

// What the user does while a load's decode or a streamed export is at work, before its
// progress dialog shows, reaches nothing: no second load frees the bytes the work reads, no
// command runs, the window stays. Each input is first sent with no work running, to see it act.
TEST_F(LoadedTest, LongWorkTakesNoOtherInputBeforeItsDialogShows) {
    // Large enough that its decode, held whole, and its streamed export report progress.
    const std::int64_t size = frmMainView::kDecodeProgressBytes + (1 << 20);
    const QString large = SparseFile("large.bin", size), target = dir.filePath("out.bmp");
    auto* timer = window->findChild<toolkit::DeferredTimer*>("timDragDrop");
    const auto key = [this](Qt::Key k) {
        return [this, k] { QTest::keyClick(window->windowHandle(), k, Qt::ControlModifier); };
    };
    const std::pair<const char*, std::function<void()>> inputs[] = {
        {"Ctrl+L", key(Qt::Key_L)},
        {"Ctrl+Q", key(Qt::Key_Q)},
        {"drop", [&] { Drop(Viewport(), {QUrl::fromLocalFile(first)}); }},
        {"close", [&] { window->close(); }},
    };
    // Sends an input; true when it asked for a file or a confirmation or scheduled a load.
    const auto acts = [&](const std::function<void()>& send) {
        dialogs.files.clear();
        dialogs.messages.clear();
        send();
        return !dialogs.files.empty() || !dialogs.messages.empty() || timer->Enabled();
    };
    for (const auto& [name, send] : inputs) {
        SCOPED_TRACE(name);
        OpenThroughMenu(first);
        // A progress dialog shown by the last round may still hold the keyboard.
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        EXPECT_TRUE(acts(send));  // its message box or file dialog is cancelled
        timer->SetEnabled(false);
        for (const bool exporting : {false, true}) {
            const QString work =
                exporting ? "画像を書き出しています..." : "画像を作成しています...";
            window->SetPictureBudget(exporting ? 1000 : std::int64_t{1} << 40);
            if (exporting) {
                OpenThroughMenu(large);  // over the budget: its export streams
            }
            // Were the input to get through, it would load, clear or close.
            dialogs.fileAnswers = {exporting ? target : large, first};
            dialogs.messageAnswers = {MsgResult::Ok};
            bool sent = false;
            const toolkit::LongWorkProbe previous = toolkit::SetLongWorkProbe(
                [&](const QString& label, std::int64_t, std::int64_t, bool) {
                    // The first report, before the dialog shows unless the machine is slow.
                    if (label == work && !sent) {
                        sent = true;
                        const std::uint8_t* bytes = gRawData.data();
                        EXPECT_FALSE(acts(send));
                        EXPECT_EQ(gRawData.data(), bytes);
                    }
                    return false;
                });
            Action(exporting ? "fMnuFILEsave" : "fMnuFILEload")->trigger();
            toolkit::SetLongWorkProbe(previous);
            ASSERT_TRUE(sent);
            QTest::qWait(10);  // a load a drop had scheduled would start now
            EXPECT_TRUE(dialogs.files.empty() && dialogs.messages.empty() && !timer->Enabled());
            EXPECT_TRUE(window->isVisible());
            EXPECT_EQ(window->windowTitle(), "Rastel - " + large);
            EXPECT_EQ(dialogs.fileAnswers, std::deque<QString>{first});
            dialogs.fileAnswers.clear();
            dialogs.messageAnswers.clear();
        }
        EXPECT_EQ(QFileInfo(target).size(), core::kBmpPixelOffset + size + 1);
    }
}

}  // namespace
}  // namespace rastel::testing
