// The main window on large files, offscreen: the cost of one painted frame, the time from the
// settings dialog's OK to the first painted picture, and the memory the picture takes.
// Ratios are printed as counters: paint vs_small (large file's frame / small file's frame),
// vs_fill8m (large file's frame / the frame of an 8 MiB file that fills the viewport too),
// first paint vs_read (OK to first paint / reading the file from the page cache into a fresh
// buffer, run by run in turn with the load) and vs_read_cpu (the same in processor time),
// peak_MiB and limit_MiB (peak growth of the resident set / what it may reach).
// Files go to $RASTEL_BENCH_DIR (default /tmp/rastel-bench); they are kept for later runs.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "BenchFiles.h"
#include "image/pixels/PaletteBuilder.h"
#include "image/pixels/PixelFormat.h"
#include "image/pixels/modCLUT.h"
#include "support/ScriptedDialogs.h"
#include "view/PictureBoxes.h"
#include "view/frmMainView.h"

namespace {

namespace fs = std::filesystem;
using namespace rastel;
using Clock = std::chrono::steady_clock;
using modBITMAPinfo::gRawData;

constexpr std::int64_t kLargest = 0x7F000000 - 1;  // the largest file the viewer accepts
constexpr std::int64_t kGiB = std::int64_t{1} << 30;

using rastel::bench::RandomFile;
using rastel::bench::WorkDir;

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

struct Seconds {
    double wall = 0;
    double cpu = 0;
};

// Reads the whole file as a plain program would, into a fresh buffer of its size that
// nothing has written yet.
Seconds ReadSeconds(const fs::path& path) {
    const auto t0 = Clock::now();
    const double cpu0 = CpuSeconds();
    const int fd = ::open(path.c_str(), O_RDONLY);
    const std::size_t size = fs::file_size(path);
    const std::unique_ptr<char[]> buffer(new char[size]);
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = ::read(fd, buffer.get() + done, size - done);
        if (n <= 0) {
            std::abort();
        }
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return {std::chrono::duration<double>(Clock::now() - t0).count(), CpuSeconds() - cpu0};
}

std::int64_t StatusKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) {
            return std::stoll(line.substr(std::string(field).size()));
        }
    }
    return 0;
}

// Forgets the peak so far, so the next reading is the peak from here on.
void ResetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// A main window whose viewport is 1920 x 1080, with the file loaded at these settings.
struct Viewer {
    Viewer(const fs::path& file, int depth, std::int64_t width, int mag) {
        window = std::make_unique<frmMainView>();
        window->SetOptionsDialog([=](QWidget*, const modBITMAPinfo::ViewChoice& start) {
            modBITMAPinfo::ViewChoice chosen = start;
            auto& s = chosen.settings;
            // Depth 3 stands for the bytes as rgb24 instead of palette indices.
            const core::PixelFormat* rgb = depth == 3 ? core::FindFormat("rgb24") : nullptr;
            s.gFormat = rgb;
            s.gColBit = rgb != nullptr ? modBITMAPinfo::kDepth256 : depth;
            const std::int64_t pixels = rgb != nullptr
                                            ? core::FormatPixelCount(*rgb, s.gFileSize)
                                            : s.gFileSize * modBITMAPinfo::PixelsPerByte(depth);
            s.gPicWidth = std::min(width, pixels);
            s.gPicHeight = (pixels + s.gPicWidth - 1) / s.gPicWidth;
            s.gMagX = s.gMagY = mag;
            modBITMAPinfo::BuildPalette(chosen.palette, modBITMAPinfo::kPalRainbow, s.gColBit,
                                        modCLUT::gCustomPal.colors);
            return std::optional(chosen);
        });
        window->resize(1920 + 17, 1080 + 17 + 30);
        window->show();
        QApplication::processEvents();
        viewport = window->findChild<ViewportBox*>("picBASE");
        loadStart = Clock::now();
        const double cpu0 = CpuSeconds();
        if (!window->LoadBinary(QString::fromStdString(file.string())).ok()) {
            std::abort();
        }
        frame = QImage(viewport->size(), QImage::Format_RGB32);
        Paint();
        firstPaint = std::chrono::duration<double>(Clock::now() - loadStart).count();
        firstPaintCpu = CpuSeconds() - cpu0;
    }
    ~Viewer() {
        window.reset();
        gRawData = {};
        modBITMAPinfo::gDib = {};
    }
    void Paint() { viewport->render(&frame); }
    // One key step down, back to the top at the end: each frame shows a new part.
    void Step() {
        const int before = window->findChild<QScrollBar*>("VscPicBASE")->value();
        window->picBASE_KeyDown(Qt::Key_Down, 0);
        if (window->findChild<QScrollBar*>("VscPicBASE")->value() == before) {
            window->picBASE_KeyDown(Qt::Key_Home, 0);
        }
    }

    toolkit::ScriptedDialogs dialogs;
    std::unique_ptr<frmMainView> window;
    ViewportBox* viewport = nullptr;
    QImage frame;
    Clock::time_point loadStart;
    double firstPaint = 0;
    double firstPaintCpu = 0;
};

double FrameSeconds(Viewer& v, int frames) {
    const auto t0 = Clock::now();
    for (int i = 0; i < frames; ++i) {
        v.Step();
        v.Paint();
    }
    return std::chrono::duration<double>(Clock::now() - t0).count() / frames;
}

// args: depth, magnification. The small picture is a 1 KiB file at width 32; the large one
// the largest accepted file at width 4096 (held whole at 256 colours, decoded where shown at
// 2 colours).
void BM_PaintFrame(benchmark::State& state) {
    const int depth = static_cast<int>(state.range(0));
    const int mag = static_cast<int>(state.range(1));
    const fs::path small = RandomFile("in1k.bin", 1024);
    const fs::path large = RandomFile("in2g.bin", kLargest);
    // A 1 KiB file cannot fill the viewport; an 8 MiB one at width 4096 does, so it tells the
    // cost of the frame itself apart from the cost of the file's size.
    const fs::path filling = RandomFile("in8m.bin", 8 << 20);
    double smallTime = 0;
    double fillTime = 0;
    {
        Viewer v(small, depth, 32, mag);
        FrameSeconds(v, 20);
        smallTime = FrameSeconds(v, 200);
    }
    {
        Viewer v(filling, depth, 4096, mag);
        FrameSeconds(v, 20);
        fillTime = FrameSeconds(v, 200);
    }
    Viewer v(large, depth, 4096, mag);
    FrameSeconds(v, 20);
    double total = 0;
    int frames = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        v.Step();
        v.Paint();
        const double t = std::chrono::duration<double>(Clock::now() - t0).count();
        state.SetIterationTime(t);
        total += t;
        ++frames;
    }
    state.counters["small_ms"] = smallTime * 1e3;
    state.counters["large_ms"] = total / frames * 1e3;
    state.counters["vs_small"] = total / frames / smallTime;
    state.counters["fill8m_ms"] = fillTime * 1e3;
    state.counters["vs_fill8m"] = total / frames / fillTime;
    state.counters["held"] = v.window->findChild<ImageBox*>("picPICT")->Rows().FromRecord();
}

// OK to the first painted frame against reading the file, with the peak memory meanwhile.
void FirstPaint(benchmark::State& state, const fs::path& file, int depth, std::int64_t width) {
    ReadSeconds(file);  // into the page cache
    Seconds read, first;
    std::int64_t peak = 0;
    for (auto _ : state) {
        const Seconds r = ReadSeconds(file);
        read.wall += r.wall;
        read.cpu += r.cpu;
        const std::int64_t base = StatusKiB("VmRSS:");
        ResetPeak();
        {
            Viewer v(file, depth, width, 1);
            first.wall += v.firstPaint;
            first.cpu += v.firstPaintCpu;
            peak = std::max(peak, StatusKiB("VmHWM:") - base);
            state.SetIterationTime(v.firstPaint);
        }
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["read_s"] = read.wall / n;
    state.counters["first_paint_s"] = first.wall / n;
    state.counters["vs_read"] = first.wall / read.wall;
    state.counters["vs_read_cpu"] = first.cpu / read.cpu;
    state.counters["peak_MiB"] = static_cast<double>(peak) / 1024;
    // The file and 256 MiB.
    state.counters["limit_MiB"] = static_cast<double>(fs::file_size(file) >> 20) + 256;
}

// args: depth (3: rgb24), width.
void BM_FirstPaint1GiB(benchmark::State& state) {
    FirstPaint(state, RandomFile("in1g.bin", kGiB), static_cast<int>(state.range(0)),
               state.range(1));
}

void BM_FirstPaintLargest2ColoursWidth4096(benchmark::State& state) {
    FirstPaint(state, RandomFile("in2g.bin", kLargest), modBITMAPinfo::kDepth2, 4096);
}

BENCHMARK(BM_PaintFrame)
    ->ArgsProduct({{0, 2}, {1, 8}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(300);
BENCHMARK(BM_FirstPaint1GiB)
    ->ArgsProduct({{0, 1, 2, 3}, {128, 4096}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK(BM_FirstPaintLargest2ColoursWidth4096)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
