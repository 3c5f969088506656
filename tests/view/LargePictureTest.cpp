// Pictures beyond the memory budget, long reads and decodes under a progress dialog.
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QUrl>

#include "image/BmpFile.h"
#include "toolkit/DeferredTimer.h"
#include "toolkit/LongWork.h"
#include "view/MainViewFixture.h"

namespace rastel::testing {
namespace {

// Records every progress step and cancels the work whose label matches cancelWhen.
struct ProbeLog {
    struct Step {
        QString label;
        std::int64_t done, total;
        bool shown;
    };
    ProbeLog() {
        previous = toolkit::SetLongWorkProbe(
            [this](const QString& label, std::int64_t done, std::int64_t total, bool shown) {
                steps.push_back({label, done, total, shown});
                return !cancelWhen.isEmpty() && label == cancelWhen;
            });
    }
    ~ProbeLog() { toolkit::SetLongWorkProbe(previous); }
    bool Saw(const QString& label) const {
        return std::any_of(steps.begin(), steps.end(),
                           [&](const Step& s) { return s.label == label; });
    }
    std::vector<Step> steps;
    QString cancelWhen;
    toolkit::LongWorkProbe previous;
};

const QString kReading = QStringLiteral("ファイルを読み込んでいます...");
const QString kDecoding = QStringLiteral("画像を作成しています...");

class LargePictureTest : public MainViewTest {
  protected:
    // What the viewport shows of the picture, scrolled to (h, v).
    QImage Shown(int h, int v) {
        HBar()->setValue(h);
        VBar()->setValue(v);
        return Viewport()->grab().toImage();
    }

    // A file whose picture the settings make, opened once held whole and once over budget.
    void OpenBothWays(const std::vector<std::uint8_t>& bytes,
                      const std::function<void(modBITMAPinfo::ViewSettings&)>& settings) {
        edit = settings;
        path = WriteFile("a.bin", bytes);
        OpenThroughMenu(path);
        ASSERT_TRUE(Picture()->Rows().FromRecord());
    }

    QString path;
};

TEST_F(LargePictureTest, APictureOverTheBudgetPaintsTheSamePixelsAsAHeldOne) {
    window->resize(300, 200);
    const auto bytes = Pattern(50000);
    struct Case {
        int depth, order;
        std::int64_t width, offset;
    };
    for (const Case c : {Case{0, 0, 333, -77},
                         {0, 2, 64, 5},
                         {1, 2, 333, -77},
                         {1, 0, 101, 3},
                         {2, 0, 333, -77},
                         {2, 1, 48, 9}}) {
        const int depth = c.depth;
        OpenBothWays(bytes, [c](auto& s) {
            s.gColBit = c.depth;
            s.gArray256 = s.gArray16 = s.gArray2 = c.order;
            s.gPicWidth = c.width;
            s.gPicHeight = 50000 * modBITMAPinfo::PixelsPerByte(c.depth) / c.width + 1;
            s.gMagX = 3;
            s.gMagY = 2;
            s.gUseOffset = true;
            s.gOffA = c.offset;
            s.gPalColor = modBITMAPinfo::kPalRainbow;
        });
        std::vector<QImage> held;
        for (const auto& [h, v] :
             {std::pair{0, 0}, {500, 40}, {HBar()->maximum(), 1000}, {17, VBar()->maximum()}}) {
            held.push_back(Shown(h, v));
        }
        const auto heldFile = modBITMAPinfo::BmpFileBytes(gDib);

        window->SetPictureBudget(1000);
        OpenThroughMenu(path);
        ASSERT_FALSE(Picture()->Rows().FromRecord()) << depth;
        EXPECT_TRUE(gDib.bits.empty());  // the held pixels were given up
        int i = 0;
        for (const auto& [h, v] :
             {std::pair{0, 0}, {500, 40}, {HBar()->maximum(), 1000}, {17, VBar()->maximum()}}) {
            ASSERT_EQ(Shown(h, v), held[i++]) << "depth " << depth << " at " << h << "," << v;
        }

        // The export streams it, byte for byte as the held picture's export.
        const QString target = dir.filePath("out.bmp");
        dialogs.fileAnswers.push_back(target);
        Action("fMnuFILEsave")->trigger();
        EXPECT_TRUE(dialogs.messages.empty());
        EXPECT_EQ(ReadAll(target), heldFile) << depth;
        // And as a PNG: the same pixels and palette.
        dialogs.fileAnswers.push_back(dir.filePath("out.png"));
        Action("fMnuFILEsave")->trigger();
        EXPECT_EQ(QImage(dir.filePath("out.png"), "png"),
                  QImage::fromData(heldFile.data(), static_cast<int>(heldFile.size()), "bmp"));
        window->SetPictureBudget(std::int64_t{1} << 40);
    }
}

TEST_F(LargePictureTest, ScrollingOverBudgetDecodesOnlyAroundTheView) {
    window->resize(300, 200);
    window->SetPictureBudget(1000);
    edit = [](auto& s) {
        s.gPicWidth = 100;
        s.gPicHeight = 2000;
    };
    OpenThroughMenu(WriteFile("a", Pattern(200000)));
    Shown(0, 0);
    const std::int64_t first = Picture()->Rows().DecodedPixels();
    EXPECT_GT(first, 0);
    EXPECT_LT(first, 100 * 1000);
    QTest::keyClick(Viewport(), Qt::Key_Down);
    Viewport()->grab();
    EXPECT_EQ(Picture()->Rows().DecodedPixels(), first);
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
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "画像が大きすぎるためBMPファイルに書き出せません");
    EXPECT_EQ(dialogs.messages[0].title, "rastel");
    EXPECT_EQ(dialogs.messages[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

    Action("fMnuEDITcapture")->trigger();
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].text, "画像が大きすぎるためクリップボードにコピーできません");
}

TEST_F(LargePictureTest, CaptureOfAPictureOverBudgetCopiesItAsDrawn) {
    edit = [](auto& s) {
        s.gMagX = 2;
        s.gMagY = 3;
    };
    window->SetPictureBudget(100);
    OpenThroughMenu(WriteFile("a", Pattern(1000)));
    ASSERT_FALSE(Picture()->Rows().FromRecord());
    Action("fMnuEDITcapture")->trigger();
    const QImage copied = QGuiApplication::clipboard()->image();
    ASSERT_EQ(copied.size(), QSize(256, 24));
    const auto& e = gDib.bmiColors[Pattern(1000)[7 * 128 + 100]];
    EXPECT_EQ(copied.pixel(201, 22) & 0xFFFFFF, qRgb(e.rgbRed, e.rgbGreen, e.rgbBlue) & 0xFFFFFF);
}

// Bytes of nothing: sparse, so they cost no disk. By default above the size whose read
// shows progress.
QString LargeFile(QTemporaryDir& dir,
                  std::int64_t bytes = frmMainView::kReadProgressBytes + (1 << 20)) {
    const QString path = dir.filePath(QStringLiteral("large%1.bin").arg(bytes));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    EXPECT_TRUE(file.resize(bytes));
    return path;
}

TEST_F(LargePictureTest, CancellingALongReadLeavesThePreviousPicture) {
    OpenThroughMenu(WriteFile("a", Pattern(1000)));
    const auto settings = gDib.settings;
    const auto bits = gDib.bits;
    const auto raw = gRawData;
    const QString caption = window->windowTitle();
    ProbeLog probe;
    probe.cancelWhen = kReading;
    OpenThroughMenu(LargeFile(dir));
    ASSERT_TRUE(probe.Saw(kReading));
    EXPECT_TRUE(probe.steps.front().shown);  // at once for a read this large
    EXPECT_FALSE(probe.Saw(kDecoding));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(gDib.settings, settings);
    EXPECT_EQ(gDib.bits, bits);
    EXPECT_EQ(gRawData, raw);
    EXPECT_EQ(window->windowTitle(), caption);
    EXPECT_EQ(Picture()->Width(), 128);
}

TEST_F(LargePictureTest, CancellingALongDecodeLeavesThePreviousPicture) {
    window->SetPictureBudget(std::int64_t{1} << 40);  // held whole, so decoded whole
    OpenThroughMenu(WriteFile("a", Pattern(1000)));
    const auto settings = gDib.settings;
    const auto bits = gDib.bits;
    const auto raw = gRawData;
    ProbeLog probe;
    probe.cancelWhen = kDecoding;
    OpenThroughMenu(LargeFile(dir));
    ASSERT_TRUE(probe.Saw(kReading));
    ASSERT_TRUE(probe.Saw(kDecoding));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(gDib.settings, settings);
    EXPECT_EQ(gDib.bits, bits);
    EXPECT_EQ(gRawData, raw);
    EXPECT_EQ(Picture()->Width(), 128);
    EXPECT_EQ(Picture()->Height(), 8);

    // The same from the settings command, on the large file itself.
    probe.cancelWhen.clear();
    OpenThroughMenu(LargeFile(dir));
    const auto largeSettings = gDib.settings;
    probe.cancelWhen = kDecoding;
    edit = [](auto& s) {
        s.gPicWidth = 4096;
        s.gPicHeight = (frmMainView::kReadProgressBytes + (1 << 20)) / 4096;
    };
    Action("fMnuEDIToption")->trigger();
    EXPECT_EQ(gDib.settings, largeSettings);
    EXPECT_EQ(Picture()->Width(), 128);
    EXPECT_EQ(gDib.bmiHeader.biWidth, 128);
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

// What the user does while a load's decode or a streamed export is at work, before its
// progress dialog shows, reaches nothing: no second load frees the bytes the work reads, no
// command runs, the window stays. Each input is first sent with no work running, to see it act.
TEST_F(LargePictureTest, LongWorkTakesNoOtherInputBeforeItsDialogShows) {
    const QString small = WriteFile("small", Pattern(1000));
    // Held whole at width 128, and large enough that its decode and export report progress.
    const std::int64_t size = frmMainView::kDecodeProgressBytes + (1 << 20);
    const QString large = LargeFile(dir, size);
    const QString target = dir.filePath("out.bmp");
    auto* timer = window->findChild<toolkit::DeferredTimer*>("timDragDrop");
    QMimeData dropped;
    dropped.setUrls({QUrl::fromLocalFile(small)});
    const std::pair<const char*, std::function<void()>> inputs[] = {
        {"Ctrl+L",
         [&] { QTest::keyClick(window->windowHandle(), Qt::Key_L, Qt::ControlModifier); }},
        {"Ctrl+Q",
         [&] { QTest::keyClick(window->windowHandle(), Qt::Key_Q, Qt::ControlModifier); }},
        {"drop",
         [&] {
             QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, {});
             QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, {});
             QApplication::sendEvent(Viewport(), &enter);
             QApplication::sendEvent(Viewport(), &drop);
         }},
        {"close", [&] { window->close(); }},
    };
    // Sends an input; true when it asked for a file or a confirmation or scheduled a load.
    const auto acts = [&](const std::function<void()>& send) {
        dialogs.files.clear();
        dialogs.messages.clear();
        send();
        return !dialogs.files.empty() || !dialogs.messages.empty() || timer->Enabled();
    };
    const QString kExporting = QStringLiteral("画像を書き出しています...");
    for (const auto& input : inputs) {
        SCOPED_TRACE(input.first);
        OpenThroughMenu(small);
        EXPECT_TRUE(acts(input.second));  // its message box or file dialog is cancelled
        timer->SetEnabled(false);
        for (const QString& work : {kDecoding, kExporting}) {
            SCOPED_TRACE(work.toStdString());
            window->SetPictureBudget(work == kDecoding ? std::int64_t{1} << 40 : 1000);
            if (work == kExporting) {
                OpenThroughMenu(large);  // over the budget: its export streams
            }
            // Were the input to get through, it would load, clear or close.
            dialogs.fileAnswers = {work == kDecoding ? large : target, small};
            dialogs.messageAnswers = {MsgResult::Ok};
            bool sent = false;
            const toolkit::LongWorkProbe previous = toolkit::SetLongWorkProbe(
                [&](const QString& label, std::int64_t, std::int64_t, bool shown) {
                    if (label == work && !shown && !sent) {
                        sent = true;
                        const std::uint8_t* bytes = gRawData.data();
                        EXPECT_FALSE(acts(input.second));
                        EXPECT_EQ(gRawData.data(), bytes);
                    }
                    return false;
                });
            Action(work == kDecoding ? "fMnuFILEload" : "fMnuFILEsave")->trigger();
            toolkit::SetLongWorkProbe(previous);
            ASSERT_TRUE(sent);
            QTest::qWait(10);  // a load a drop had scheduled would start now
            EXPECT_TRUE(dialogs.files.empty() && dialogs.messages.empty() && !timer->Enabled());
            EXPECT_TRUE(window->isVisible());
            EXPECT_EQ(window->windowTitle(), "Rastel - " + large);
            EXPECT_EQ(dialogs.fileAnswers, std::deque<QString>{small});
            dialogs.fileAnswers.clear();
            dialogs.messageAnswers.clear();
        }
        EXPECT_EQ(QFileInfo(target).size(), modBITMAPinfo::kBmpPixelOffset + size + 1);
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
