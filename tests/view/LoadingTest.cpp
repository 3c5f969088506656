// The road of one file, and the files, names and drops that fight back: each load either works
// or says why, and leaves the program as it was.
#include <sys/stat.h>
#include <unistd.h>

#include <QMimeData>
#include <QUrl>
#include <cerrno>
#include <filesystem>

#include "toolkit/DeferredTimer.h"
#include "toolkit/FileNames.h"
#include "toolkit/LongWork.h"
#include "view/MainViewFixture.h"

namespace rastel::testing {
namespace {

TEST_F(LoadedTest, AFileIsShownAfterTheSettingsDialog) {
    EXPECT_EQ(seen.gFileSize, 1000);
    EXPECT_EQ(gRawData, Pattern(1000));
    EXPECT_EQ(PictureMenus(), true);
    EXPECT_EQ(Picture()->geometry(), QRect(2, 2, 128, 8));
    EXPECT_TRUE(HBar()->isHidden() && VBar()->isHidden());
    EXPECT_EQ(dialogs.files[0].filter, "すべてのファイル(*.*)|*.*");
    EXPECT_TRUE(dialogs.files[0].fileMustExist);
    Action("fMnuFILEload")->trigger();  // cancelled: nothing happens
    EXPECT_EQ(dialogs.files[1].fileName, first);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(dialogRuns, 1);
}

// Cancel in the settings dialog, a refused file and a read that fails all leave the previous
// file and picture, and the settings opened afterwards are the previous file's. FIFOs and
// devices are refused before anything blocks; a file that changes while the settings dialog
// is open is read as it was or not at all.
TEST_F(LoadedTest, RefusedFilesAndFailedReadsChangeNothing) {
    const QByteArray here = QFile::encodeName(dir.path()) + '/';
    const auto fifo = [&](const char* name) {
        QFile::remove(dir.filePath(name));
        ASSERT_EQ(::mkfifo((here + name).constData(), 0600), 0);
    };
    const QString target = dir.filePath("target.bin");
    const auto fresh = [&] {
        QFile::remove(target);  // it may be a FIFO, which an open for writing would wait on
        WriteFile("target.bin", Pattern(700));
    };
    const auto sparse = [&](std::int64_t size) {
        return [this, size] {
            ::truncate(QFile::encodeName(WriteFile("sparse", {1})).constData(), size);
        };
    };
    const auto vanish = [&] { QFile::remove(target); };
    const auto shrink = [&] { ::truncate(QFile::encodeName(target).constData(), 699); };
    const auto becomeFifo = [&] { fifo("target.bin"); };
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
        {"sparse", sparse(0x7EFFFFFF), {}, 0, ""},
        {"", {}, {}, 9, "フォルダの展開はできません"},
        {"missing", {}, {}, ENOENT, nullptr},
        {"empty", [&] { WriteFile("empty", {}); }, {}, 8, "ファイルサイズが0です"},
        {"sparse", sparse(0x7F000000), {}, 10, "ファイルが大きすぎます"},
        {"fifo", [&] { fifo("fifo"); }, {}, 6, kNotAFile},
        {"/dev/zero", {}, {}, 6, kNotAFile},
        {"target.bin", fresh, vanish, 6, kUnreadable},
        {"target.bin", fresh, shrink, 6, kUnreadable},
        {"target.bin", fresh, becomeFifo, 6, kUnreadable},
        {"target.bin", fresh, failRead, 6, kUnreadable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        if (c.arrange) {
            c.arrange();
        }
        answer = c.duringDialog != nullptr;  // refused on reading: it must get that far
        edit = [&c](auto& s) {
            s.gPalColor = modBITMAPinfo::kPalThermo;
            s.gMagX = 4;
            if (c.duringDialog) {
                c.duringDialog();
            }
        };
        const State before = Now();
        const int runs = dialogRuns;
        OpenThroughMenu(c.name[0] == '/' ? QString(c.name) : dir.filePath(c.name));
        window->SetFileReader(nullptr);
        EXPECT_EQ(Now(), before);
        EXPECT_EQ(dialogRuns - runs, c.duringDialog || c.number == 0 ? 1 : 0);
        if (c.number == 0) {
            EXPECT_TRUE(dialogs.messages.empty());
        } else {
            ExpectBox(dialogs,
                      c.text
                          ? Box{c.text, QStringLiteral("エラー%1: ファイル読み込み").arg(c.number),
                                MsgIcon::Critical}
                          : ErrorReport(c.number));
        }
    }
    edit = nullptr;
    Action("fMnuEDIToption")->trigger();
    EXPECT_EQ(seen.gFileName, first.toStdString());
    EXPECT_EQ(seen.gFileSize, 1000);
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
}

TEST_F(LoadedTest, ClearingAsksThenEmptiesThePictureButKeepsTheBytes) {
    dialogs.messageAnswers = {MsgResult::Cancel};
    Action("fMnuFILEclose")->trigger();
    ExpectBox(dialogs, {"画像を消去しメモリをクリアします", "確認", MsgIcon::Question,
                        MsgButtons::OkCancel, MsgResult::Cancel});
    EXPECT_TRUE(Picture()->Visible());

    dialogs.messageAnswers = {MsgResult::Ok};
    Action("fMnuFILEclose")->trigger();
    EXPECT_EQ(window->windowTitle(), "Rastel");
    EXPECT_FALSE(Picture()->Visible());
    EXPECT_EQ(PictureMenus(), false);
    EXPECT_EQ(gDib.bits.size() + gDib.settings.gFileName.size(), 1u);  // one zero byte, no name
    EXPECT_EQ(gRawData, Pattern(1000));
    OpenThroughMenu(first);
    EXPECT_EQ(PictureMenus(), true);
}

// Drags data over a box and drops it there; true when the drag was accepted.
bool Drop(QWidget* target, const QList<QUrl>& urls, const QString& text = {}) {
    QMimeData data;
    urls.isEmpty() ? data.setText(text) : data.setUrls(urls);
    QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) {
        return false;
    }
    QDropEvent drop(QPointF(1, 1), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return true;
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
    EXPECT_EQ(dialogRuns, 2);
    EXPECT_EQ(gRawData, Pattern(300));
    EXPECT_FALSE(timer->Enabled());

    // The picture takes drops too; a name's bytes arrive as they are, percent-encoded.
    const QByteArray bad = toolkit::EncodeName(WriteFile("bad\xFF.bin", Pattern(20)));
    ASSERT_TRUE(Drop(Picture(), {QUrl::fromEncoded("file://" + bad.toPercentEncoding("/"))}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return gRawData == Pattern(20); }, 10000));
    EXPECT_EQ(gDib.settings.gFileName, bad.toStdString());
    ::unlink(bad.constData());  // QTemporaryDir cannot name it to remove it

    ASSERT_TRUE(Drop(Viewport(), {QUrl::fromLocalFile(dir.filePath("gone"))}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialogs.messages.size() == std::size_t{1}; }, 10000));
    ExpectBox(dialogs, ErrorReport(ENOENT));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !timer->Enabled(); }, 10000));
}

// Records every progress step and cancels the work whose label matches cancelWhen.
struct ProbeLog {
    ProbeLog() {
        previous = toolkit::SetLongWorkProbe(
            [this](const QString& label, std::int64_t, std::int64_t, bool shown) {
                steps.push_back({label, shown});
                return label == cancelWhen;
            });
    }
    ~ProbeLog() { toolkit::SetLongWorkProbe(previous); }
    bool Saw(const QString& label) const {
        return std::any_of(steps.begin(), steps.end(),
                           [&](const auto& s) { return s.first == label; });
    }
    std::vector<std::pair<QString, bool>> steps;  // label, shown
    QString cancelWhen = "none";
    toolkit::LongWorkProbe previous;
};

const QString kReading = QStringLiteral("ファイルを読み込んでいます...");
const QString kDecoding = QStringLiteral("画像を作成しています...");

// Cancel in the progress of a long read or decode leaves the previous picture, silently.
TEST_F(LoadedTest, CancellingALongReadOrDecodeLeavesThePreviousPicture) {
    // 65 MiB of nothing: sparse, so it costs no disk, and above the size that shows progress.
    const QString large = WriteFile("large.bin", {});
    std::filesystem::resize_file(toolkit::EncodeName(large).constData(),
                                 frmMainView::kReadProgressBytes + (1 << 20));
    const State before = Now();
    for (const QString& step : {kReading, kDecoding}) {
        ProbeLog probe;
        probe.cancelWhen = step;
        OpenThroughMenu(large);
        ASSERT_TRUE(probe.Saw(step));
        EXPECT_TRUE(probe.steps.front().second);  // at once for a read this large
        EXPECT_EQ(probe.Saw(kDecoding), step == kDecoding);
        EXPECT_TRUE(dialogs.messages.empty());
        EXPECT_EQ(Now(), before);
    }

    // The same from the settings command, on the large file itself.
    OpenThroughMenu(large);
    const State shown = Now();
    ProbeLog probe;
    probe.cancelWhen = kDecoding;
    edit = [](auto& s) {
        s.gPicWidth = 4096;
        s.gPicHeight = (frmMainView::kReadProgressBytes + (1 << 20)) / 4096;
    };
    Action("fMnuEDIToption")->trigger();
    EXPECT_EQ(Now(), shown);
}

}  // namespace
}  // namespace rastel::testing
