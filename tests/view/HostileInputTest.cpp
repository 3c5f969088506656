// Files, names and disks that fight back: each load or export either works or says why, and
// leaves the program as it was.
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QMimeData>
#include <QUrl>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "toolkit/FileNames.h"
#include "view/MainViewFixture.h"

namespace rastel::testing {
namespace {

const QString kReportStart =
    QStringLiteral("エラーが発生しました。こちらのエラーを報告してくださるようお願いします。\n");

// Ends the whole run when a test hangs (a blocked open never returns to the event loop, so
// nothing in the test could notice). Generous: it proves only that the test finishes.
class Watchdog {
  public:
    explicit Watchdog(const char* what)
        : thread_([this, what] {
              std::unique_lock lock(mutex_);
              if (!done_.wait_for(lock, std::chrono::minutes(5), [this] { return finished_; })) {
                  std::fprintf(stderr, "hung: %s\n", what);
                  std::_Exit(1);
              }
          }) {}
    ~Watchdog() {
        {
            std::lock_guard lock(mutex_);
            finished_ = true;
        }
        done_.notify_one();
        thread_.join();
    }

  private:
    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
    std::thread thread_;
};

std::string Native(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

std::vector<std::uint8_t> FileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray all = file.readAll();
    return {all.begin(), all.end()};
}

// A small tmpfs over a folder for as long as it lives; only root can mount one. Unmounted by
// the destructor, so also when an assertion ends the test early.
class SmallDisk {
  public:
    explicit SmallDisk(const QString& path) : path_(Native(path)) {
        QDir().mkpath(path);
        if (::geteuid() != 0) {
            skip_ = "not running as root, so no small file system can be mounted";
        } else if (::mount("tmpfs", path_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k") !=
                   0) {
            skip_ = std::string("mounting a tmpfs failed: ") + std::strerror(errno);
        }
    }
    ~SmallDisk() {
        if (skip_.empty()) {
            ::umount2(path_.c_str(), MNT_DETACH);
        }
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    // Why the disk is not there; empty when it is.
    const std::string& skip() const { return skip_; }
    void Fill() const {
        const int fd = ::open((path_ + "/filler").c_str(), O_WRONLY | O_CREAT, 0600);
        const std::vector<char> block(4096, 'f');
        while (fd >= 0 && ::write(fd, block.data(), block.size()) > 0) {
        }
        ::close(fd);
    }
    bool MakeReadOnly() const {
        return ::mount("tmpfs", path_.c_str(), "tmpfs",
                       MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, "size=64k") == 0;
    }

  private:
    std::string path_;
    std::string skip_;
};

class HostileTest : public MainViewTest {
  protected:
    // What the user sees and what the program holds, to compare before and after.
    struct State {
        modBITMAPinfo::ViewSettings settings;
        std::vector<std::uint8_t> bits;
        modBITMAPinfo::RawBytes raw;
        QString caption;
        bool menus;
        bool operator==(const State&) const = default;
    };
    State Now() const {
        return {gDib.settings, gDib.bits, gRawData, window->windowTitle(), PictureMenusEnabled()};
    }
};

TEST_F(HostileTest, HostileFilesAndNamesAreRefusedOrLoadedWithoutHarm) {
    const Watchdog watchdog("a hostile file held up the load");
    const QByteArray here = QFile::encodeName(dir.path()) + '/';
    const auto fifo = [&](const QByteArray& name) {
        ::unlink((here + name).constData());
        ASSERT_EQ(::mkfifo((here + name).constData(), 0600), 0);
    };
    const QString target = dir.filePath("target.bin");
    const std::vector<std::uint8_t> bytes = Pattern(700);
    const auto fresh = [&] {
        QFile::remove(target);  // it may be a FIFO, which an open for writing would wait on
        WriteFile("target.bin", bytes);
    };
    const auto failingRead = [](int, void*, std::size_t) -> std::ptrdiff_t {
        errno = EIO;
        return -1;
    };
    const QByteArray notUtf8("bad\xFF\xFE\xE7\x94\xbb.bin");  // two stray bytes, then 画
    // QTemporaryDir cannot name this file to remove it.
    struct Unlink {
        QByteArray path;
        ~Unlink() { ::unlink(path.constData()); }
    } const removeNotUtf8{here + notUtf8};
    const char* const kFolder = "フォルダの展開はできません";
    const char* const kNotAFile = "通常のファイルではないため読み込めません";
    const char* const kUnreadable = "ファイルが読み出せませんでした";
    struct Case {
        const char* what;
        QString path;
        std::function<void()> arrange;       // before the load
        std::function<void()> duringDialog;  // between the size and the read
        const char* text;                    // nullptr: the file loads
        const char* title;                   // "rastel": the error report box
        frmMainView::FileReader reader = nullptr;
    };
    const Case cases[] = {
        {"folder", dir.path(), {}, {}, kFolder, "エラー9: ファイル読み込み"},
        {"link to a folder",
         dir.filePath("to-folder"),
         [&] { QFile::link(dir.path(), dir.filePath("to-folder")); },
         {},
         kFolder,
         "エラー9: ファイル読み込み"},
        {"broken link",
         dir.filePath("broken"),
         [&] { QFile::link(dir.filePath("nowhere"), dir.filePath("broken")); },
         {},
         "",
         "rastel"},
        {"FIFO",
         dir.filePath("fifo"),
         [&] { fifo("fifo"); },
         {},
         kNotAFile,
         "エラー6: ファイル読み込み"},
        {"character device", "/dev/zero", {}, {}, kNotAFile, "エラー6: ファイル読み込み"},
        {"sparse file at the limit",
         dir.filePath("sparse"),
         [&] { ::truncate(Native(WriteFile("sparse", {1})).c_str(), 0x7F000000); },
         {},
         "ファイルが大きすぎます",
         "エラー10: ファイル読み込み"},
        {"vanishes", target, fresh, [&] { QFile::remove(target); }, kUnreadable,
         "エラー6: ファイル読み込み"},
        {"shrinks", target, fresh, [&] { ::truncate(Native(target).c_str(), 699); }, kUnreadable,
         "エラー6: ファイル読み込み"},
        {"becomes a FIFO", target, fresh,
         [&] {
             QFile::remove(target);
             fifo("target.bin");
         },
         kUnreadable, "エラー6: ファイル読み込み"},
        {"cannot be read",
         target,
         fresh,
         {},
         kUnreadable,
         "エラー6: ファイル読み込み",
         failingRead},
        {"grows", target, fresh, [&] { WriteFile("target.bin", Pattern(900)); }, nullptr, ""},
        {"spaces",
         dir.filePath("a file with spaces.bin"),
         [&] { WriteFile("a file with spaces.bin", bytes); },
         {},
         nullptr,
         ""},
        {"double quotes",
         dir.filePath("say \"cheese\".bin"),
         [&] { WriteFile("say \"cheese\".bin", bytes); },
         {},
         nullptr,
         ""},
        {"Japanese",
         dir.filePath("画像データ.bin"),
         [&] { WriteFile("画像データ.bin", bytes); },
         {},
         nullptr,
         ""},
        {"bytes that are not UTF-8",
         toolkit::DecodeName(here + notUtf8),
         [&] {
             const int fd = ::open((here + notUtf8).constData(), O_WRONLY | O_CREAT, 0600);
             ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), 700);
             ::close(fd);
         },
         {},
         nullptr,
         ""},
    };
    const QString first = WriteFile("first", Pattern(1000));
    OpenThroughMenu(first);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.arrange) {
            c.arrange();
        }
        edit = [&c](auto&) {
            if (c.duringDialog) {
                c.duringDialog();
            }
        };
        window->SetFileReader(c.reader);
        dialogs.messages.clear();
        const State before = Now();
        OpenThroughMenu(c.path);
        ASSERT_TRUE(window->isVisible());
        if (c.text == nullptr) {
            EXPECT_TRUE(dialogs.messages.empty());
            EXPECT_EQ(gRawData, bytes);
            EXPECT_EQ(gDib.settings.gFileSize, 700);
            // The name keeps its bytes; the caption shows what of it can be shown.
            const QByteArray name = toolkit::EncodeName(c.path);
            EXPECT_EQ(gDib.settings.gFileName, name.toStdString());
            EXPECT_EQ(window->windowTitle(), "Rastel - " + QString::fromUtf8(name));
            continue;
        }
        EXPECT_EQ(Now(), before);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        const auto& box = dialogs.messages[0];
        EXPECT_EQ(box.title, QString::fromUtf8(c.title));
        if (box.title == "rastel") {
            EXPECT_TRUE(box.text.startsWith(kReportStart + "エラーコード 2 \n"))
                << box.text.toStdString();
        } else {
            EXPECT_EQ(box.text, QString::fromUtf8(c.text));
            EXPECT_EQ(box.icon, MsgIcon::Critical);
        }
    }

    // A drop carries the name percent-encoded; its bytes arrive as they are.
    edit = nullptr;
    OpenThroughMenu(first);
    QMimeData dropped;
    dropped.setUrls({QUrl::fromEncoded("file://" + (here + notUtf8).toPercentEncoding("/"))});
    QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Viewport(), &enter);
    QDropEvent drop(QPointF(1, 1), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Viewport(), &drop);
    QTRY_COMPARE_WITH_TIMEOUT(QByteArray::fromStdString(gDib.settings.gFileName), here + notUtf8,
                              10000);
    EXPECT_EQ(gRawData, bytes);
}

TEST_F(HostileTest, FailingDisksSayWritingFailedAndKeepTheFileThatWasThere) {
    OpenThroughMenu(WriteFile("picture.bin", Pattern(1000)));
    const SmallDisk full(dir.filePath("full"));
    const SmallDisk readOnly(dir.filePath("readonly"));
    const std::vector<std::uint8_t> old(4000, 0xEE);
    const auto existing = [&](const char* name) {
        if (!QFile::exists(dir.filePath(name))) {
            WriteFile(name, old);
        }
    };
    struct Case {
        const char* what;
        const char* target;
        std::function<std::string()> arrange;  // why the row cannot run, or ""
        int error;
    };
    const Case cases[] = {
        {"missing folder", "missing/out.bmp", [] { return std::string(); }, ENOENT},
        {"target is a folder", "folder.bmp",
         [&] {
             QDir(dir.path()).mkdir("folder.bmp");
             return std::string();
         },
         EISDIR},
        {"full file system", "full/out.bmp",
         [&] {
             if (full.skip().empty()) {
                 existing("full/out.bmp");
                 full.Fill();
             }
             return full.skip();
         },
         ENOSPC},
        {"read-only file system", "readonly/out.bmp",
         [&] {
             if (readOnly.skip().empty()) {
                 existing("readonly/out.bmp");
                 if (!readOnly.MakeReadOnly()) {
                     return std::string("remounting the tmpfs read-only failed");
                 }
             }
             return readOnly.skip();
         },
         EROFS},
    };
    std::string skipped;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (const std::string why = c.arrange(); !why.empty()) {
            skipped += std::string(c.what) + ": " + why + "; ";
            continue;
        }
        const QString target = dir.filePath(c.target);
        const QDir folder = QFileInfo(target).dir();
        const QStringList namesBefore = folder.entryList(QDir::AllEntries | QDir::Hidden);
        const std::vector<std::uint8_t> contentBefore = FileBytes(target);
        dialogs.messages.clear();
        dialogs.fileAnswers.push_back(target);
        Action("fMnuFILEsave")->trigger();
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, "ファイルの書き込みに失敗しました");
        EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("エラー (%1)").arg(c.error));
        EXPECT_EQ(dialogs.messages[0].icon, MsgIcon::Critical);
        EXPECT_EQ(folder.entryList(QDir::AllEntries | QDir::Hidden), namesBefore);
        EXPECT_EQ(FileBytes(target), contentBefore);
    }
    if (!skipped.empty()) {
        GTEST_SKIP() << skipped;
    }
}

// The file's bytes that cannot be had are refused with a message; a pixel array that cannot
// be had is no failure: the picture is decoded where it is shown.
TEST_F(HostileTest, MemoryThatCannotBeHad) {
    const QString first = WriteFile("first", Pattern(1000));
    OpenThroughMenu(first);
    const State before = Now();
    struct Case {
        const char* what;
        std::int64_t limit;
        const char* text;  // nullptr: the picture is shown
    };
    for (const Case& c :
         {Case{"file bytes", 500, "メモリが足りないためファイルを読み込めませんでした"},
          Case{"pixel array", 750, nullptr}}) {
        SCOPED_TRACE(c.what);
        window->SetMemoryLimit(c.limit);
        dialogs.messages.clear();
        const QString path = WriteFile(c.what, Pattern(700));
        OpenThroughMenu(path);
        if (c.text != nullptr) {
            EXPECT_EQ(Now(), before);
            ASSERT_EQ(dialogs.messages.size(), 1u);
            EXPECT_EQ(dialogs.messages[0].text, QString::fromUtf8(c.text));
            EXPECT_EQ(dialogs.messages[0].title, "rastel");
            EXPECT_EQ(dialogs.messages[0].icon, MsgIcon::Exclamation);
            continue;
        }
        EXPECT_TRUE(dialogs.messages.empty());
        EXPECT_EQ(gRawData, Pattern(700));
        EXPECT_EQ(window->windowTitle(), "Rastel - " + path);
        EXPECT_FALSE(Picture()->Rows().FromRecord());
        EXPECT_FALSE(Picture()->Rows().Empty());
        EXPECT_EQ(Picture()->Height(), 6);
    }
}

}  // namespace
}  // namespace rastel::testing
