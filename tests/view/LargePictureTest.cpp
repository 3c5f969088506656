// Pictures beyond the memory budget, long reads and decodes under a progress dialog.
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>

#include "image/PixelDecoder.h"
#include "toolkit/LongWork.h"
#include "view/MainViewFixture.h"

namespace rastel::testing {
namespace {

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

using LargePictureTest = MainViewTest;

// Shown from the file's bytes, a picture paints and exports as it would held whole, at every
// depth, magnified, from a negative offset, wherever it is scrolled to.
TEST_F(LargePictureTest, APictureOverTheBudgetPaintsAndExportsAsAHeldOne) {
    window->resize(300, 200);
    const QString path = WriteFile("a.bin", Pattern(50000));
    const QString target = dir.filePath("out.bmp");
    for (const int depth : {0, 1, 2}) {
        edit = [depth](auto& s) {
            s.gColBit = depth;
            s.gArray16 = 2;
            s.gPicWidth = 333;
            s.gPicHeight = 50000 * modBITMAPinfo::PixelsPerByte(depth) / 333 + 1;
            s.gMagX = 3;
            s.gMagY = 2;
            s.gUseOffset = true;
            s.gOffA = -77;
        };
        std::vector<QImage> shown[2];
        std::vector<std::uint8_t> exported[2];
        for (const std::int64_t budget : {std::int64_t{1} << 40, std::int64_t{1000}}) {
            window->SetPictureBudget(budget);
            OpenThroughMenu(path);
            ASSERT_EQ(Picture()->Rows().FromRecord(), budget > 1000);
            for (const auto& [h, v] :
                 {std::pair{0, 0}, {500, 40}, {HBar()->maximum(), 1000}, {17, VBar()->maximum()}}) {
                HBar()->setValue(h);
                VBar()->setValue(v);
                shown[budget == 1000].push_back(Viewport()->grab().toImage());
                // A pixel in view, worked out from the file's bytes.
                const std::int64_t p =
                    (40 - Picture()->Top()) / 2 * 333 + (30 - Picture()->Left()) / 3 - 77;
                const auto& e = gDib.bmiColors[modBITMAPinfo::PixelAt(depth, depth == 1 ? 2 : 0,
                                                                      Pattern(50000), p)];
                EXPECT_EQ(shown[budget == 1000].back().pixel(30, 40),
                          qRgb(e.rgbRed, e.rgbGreen, e.rgbBlue));
            }
            SaveThroughMenu(target);
            EXPECT_TRUE(dialogs.messages.empty());
            exported[budget == 1000] = ReadAll(target);
        }
        EXPECT_TRUE(gDib.bits.empty());  // the held pixels were given up
        EXPECT_EQ(shown[0], shown[1]) << depth;
        EXPECT_EQ(exported[0], exported[1]) << depth;
    }
}

TEST_F(LargePictureTest, APictureNoBmpCanDescribeIsShownButNotExported) {
    OpenThroughMenu(WriteFile("a", Pattern(1000)));
    edit = [](auto& s) {
        s.gPicWidth = 0x7FFFFFFF;
        s.gPicHeight = 2;
    };
    Action("fMnuEDIToption")->trigger();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(Picture()->Width(), 0x7FFFFFFF);
    EXPECT_EQ(Picture()->Height(), 2);
    const QImage shown = Viewport()->grab().toImage();
    const auto& e = gDib.bmiColors[Pattern(1000)[5]];
    EXPECT_EQ(shown.pixel(2 + 5, 2) & 0xFFFFFF, qRgb(e.rgbRed, e.rgbGreen, e.rgbBlue) & 0xFFFFFF);

    // A PNG could hold it, so a name is asked for; a BMP name is refused.
    dialogs.fileAnswers.push_back(dir.filePath("out.bmp"));
    Action("fMnuFILEsave")->trigger();
    ExpectBox(dialogs,
              {"画像が大きすぎるためBMPファイルに書き出せません", "rastel", MsgIcon::Exclamation});
    EXPECT_EQ(dialogs.files.size(), 1u);  // only the open dialog: no name was asked for

    // One that fits an image is copied as drawn.
    edit = [](auto& s) {
        s.gPicWidth = 128;
        s.gPicHeight = 8;
        s.gMagX = 2;
        s.gMagY = 3;
    };
    window->SetPictureBudget(100);
    Action("fMnuEDIToption")->trigger();
    ASSERT_FALSE(Picture()->Rows().FromRecord());
    Action("fMnuEDITcapture")->trigger();
    const QImage copied = QGuiApplication::clipboard()->image();
    ASSERT_EQ(copied.size(), QSize(256, 24));
    const auto& c = gDib.bmiColors[Pattern(1000)[7 * 128 + 100]];
    EXPECT_EQ(copied.pixel(201, 22) & 0xFFFFFF, qRgb(c.rgbRed, c.rgbGreen, c.rgbBlue) & 0xFFFFFF);
}

// 65 MiB of nothing: sparse, so it costs no disk, and above the size that shows progress.
QString LargeFile(QTemporaryDir& dir) {
    const QString path = dir.filePath("large.bin");
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    EXPECT_TRUE(file.resize(frmMainView::kReadProgressBytes + (1 << 20)));
    return path;
}

// Cancel in the progress of a long read or decode leaves the previous picture, silently.
TEST_F(LargePictureTest, CancellingALongReadOrDecodeLeavesThePreviousPicture) {
    OpenThroughMenu(WriteFile("a", Pattern(1000)));
    const State before = Now();
    for (const QString& step : {kReading, kDecoding}) {
        ProbeLog probe;
        probe.cancelWhen = step;
        OpenThroughMenu(LargeFile(dir));
        ASSERT_TRUE(probe.Saw(step));
        EXPECT_TRUE(probe.steps.front().second);  // at once for a read this large
        EXPECT_EQ(probe.Saw(kDecoding), step == kDecoding);
        EXPECT_TRUE(dialogs.messages.empty());
        EXPECT_EQ(Now(), before);
    }

    // The same from the settings command, on the large file itself.
    OpenThroughMenu(LargeFile(dir));
    const State large = Now();
    ProbeLog probe;
    probe.cancelWhen = kDecoding;
    edit = [](auto& s) {
        s.gPicWidth = 4096;
        s.gPicHeight = (frmMainView::kReadProgressBytes + (1 << 20)) / 4096;
    };
    Action("fMnuEDIToption")->trigger();
    EXPECT_EQ(Now(), large);
}

// A held picture above 64 MiB, as one shown from the file's bytes, is exported under the
// progress dialog in either format; its Cancel writes nothing and keeps the file it would
// have replaced.
TEST_F(LargePictureTest, CancellingAnExportKeepsTheFileItWouldReplace) {
    const QString large = LargeFile(dir);
    const QString exporting = QStringLiteral("画像を書き出しています...");
    for (const bool held : {true, false}) {
        window->SetPictureBudget(held ? std::int64_t{1} << 40 : 1000);
        OpenThroughMenu(large);
        ASSERT_EQ(Picture()->Rows().FromRecord(), held);
        for (const char* name : {"old.bmp", "old.png"}) {
            const QString target = WriteFile(name, Pattern(10));
            ProbeLog probe;
            probe.cancelWhen = exporting;
            dialogs.fileAnswers.push_back(target);
            Action("fMnuFILEsave")->trigger();
            EXPECT_TRUE(probe.Saw(exporting)) << held << name;
            EXPECT_TRUE(dialogs.messages.empty());
            EXPECT_EQ(ReadAll(target), Pattern(10)) << held << name;
            EXPECT_TRUE(QDir(dir.path()).entryList({".*"}, QDir::Files | QDir::Hidden).isEmpty());
        }
    }
}

TEST_F(LargePictureTest, APictureTallerThanAScrollBarCountsCanStillBeScrolledToItsEnd) {
    // 2^33 rows of one pixel, eight screen pixels each: far beyond what a bar counts.
    edit = [](auto& s) {
        s.gColBit = modBITMAPinfo::kDepth2;
        s.gPicWidth = 1;
        s.gPicHeight = std::int64_t{1} << 33;
        s.gMagX = 8;
        s.gMagY = 8;
    };
    std::vector<std::uint8_t> bytes(1000, 0);
    bytes[999] = 0x01;  // the last pixel of the file is 1
    OpenThroughMenu(WriteFile("a", bytes));
    EXPECT_TRUE(dialogs.messages.empty());
    ASSERT_EQ(Picture()->Height(), std::int64_t{8} << 33);
    QTest::keyClick(Viewport(), Qt::Key_End);
    // The bottom edge of the picture is in view.
    EXPECT_LE(Picture()->Top() + Picture()->Height(), Viewport()->height());
    EXPECT_GT(Picture()->Top() + Picture()->Height(), 0);
    // The file's last pixel, 8000 rows down, can be reached too.
    VBar()->setValue(0);
    const std::int64_t unit = Picture()->Height() / VBar()->maximum();
    VBar()->setValue(static_cast<int>(7999 * 8 / unit));
    const std::int64_t row = (-Picture()->Top()) / 8;
    EXPECT_LE(row, 7999);
    EXPECT_GT(row + Viewport()->height() / 8, 7999);
    // Going to the last byte brings its first row to the top, within a step.
    VBar()->setValue(0);
    GoTo({"999"});
    EXPECT_LE(-Picture()->Top(), 7992 * 8);
    EXPECT_GT(-Picture()->Top() + unit, 7992 * 8);
}

}  // namespace
}  // namespace rastel::testing
