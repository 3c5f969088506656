// Whole runs of rastel-render against cat, in turn, in the same run. Every case renders an
// input that makes a 256 MiB picture and cat copies 256 MiB, so both write as much, each to
// a file that is not there yet. vs_cat is the median over the runs of the render's wall time
// divided by cat's (1.0 = as fast as cat); vs_cat_cpu the same for user + system time;
// peak_MiB the render's largest resident set.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

extern char** environ;

#include "BenchFiles.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

using rastel::bench::RandomFile;
using rastel::bench::WorkDir;

struct Times {
    double wall = 0;
    double cpu = 0;   // user + system: steadier than wall time on a busy machine
    double peak = 0;  // the largest resident size, in KiB
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty()      ? 0
           : v.size() % 2 ? v[v.size() / 2]
                          : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// Runs a command with standard output to a file.
Times Run(const std::vector<std::string>& args, const fs::path& stdoutTo = {}) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!stdoutTo.empty()) {
        posix_spawn_file_actions_addopen(&actions, 1, stdoutTo.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const auto t0 = Clock::now();
    pid_t pid = 0;
    int status = 0;
    struct rusage usage {};
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0 ||
        wait4(pid, &status, 0, &usage) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::abort();
    }
    posix_spawn_file_actions_destroy(&actions);
    auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return {std::chrono::duration<double>(Clock::now() - t0).count(),
            seconds(usage.ru_utime) + seconds(usage.ru_stime),
            static_cast<double>(usage.ru_maxrss)};
}

// cat of catInput against rastel-render of renderInput with these options, in turn.
void Compare(benchmark::State& state, const fs::path& catInput, const fs::path& renderInput,
             const std::vector<std::string>& options) {
    const fs::path out = WorkDir() / "out.bmp";
    const fs::path catOut = WorkDir() / "cat.out";
    Run({"/bin/cat", catInput.string()}, catOut);  // warm the page cache
    std::vector<std::string> render = {RASTEL_RENDER_EXE};
    render.insert(render.end(), options.begin(), options.end());
    render.insert(render.end(), {"-o", out.string(), renderInput.string()});
    std::vector<double> wall, cpu;  // render over cat, run by run
    double peak = 0;
    for (auto _ : state) {
        // Neither pays for replacing the last run's output, which costs what the disk costs.
        fs::remove(catOut);
        const Times c = Run({"/bin/cat", catInput.string()}, catOut);
        fs::remove(out);
        const Times r = Run(render);
        wall.push_back(r.wall / c.wall);
        cpu.push_back(r.cpu / c.cpu);
        peak = std::max(peak, r.peak);
        state.SetIterationTime(r.wall);
    }
    state.counters["vs_cat"] = Median(wall);
    state.counters["vs_cat_cpu"] = Median(cpu);
    state.counters["peak_MiB"] = peak / 1024;
    fs::remove(out);
    fs::remove(catOut);
}

// args: colours (256, 16 or 2), order, width.
void BM_Render(benchmark::State& state) {
    constexpr std::int64_t kPicture = std::int64_t{256} << 20;
    const std::int64_t colours = state.range(0);
    const std::int64_t perByte = colours == 256 ? 1 : colours == 16 ? 2 : 8;
    const fs::path big = RandomFile("in256m.bin", kPicture);
    const fs::path input = perByte == 1 ? big
                                        : RandomFile("in" + std::to_string(256 / perByte) + "m.bin",
                                                     kPicture / perByte);
    Compare(state, big, input,
            {"--depth", std::to_string(colours), "--order", std::to_string(state.range(1)),
             "--width", std::to_string(state.range(2))});
}

// The PNG against the BMP of the same picture: png_vs_bmp is the time ratio, peak_vs_bmp the
// ratio of the largest resident sizes (both stream: it should stay near 1).
void BM_RenderPng(benchmark::State& state) {
    const fs::path input = RandomFile("in256m.bin", 256LL << 20);
    const fs::path bmp = WorkDir() / "out.bmp";
    const fs::path png = WorkDir() / "out.png";
    const std::string width = std::to_string(state.range(0));
    Times b;
    Times p;
    for (auto _ : state) {
        const Times rb = Run({RASTEL_RENDER_EXE, "--width", width, "-o", bmp, input.string()});
        const Times rp = Run({RASTEL_RENDER_EXE, "--width", width, "-o", png, input.string()});
        b = {b.wall + rb.wall, b.cpu + rb.cpu, std::max(b.peak, rb.peak)};
        p = {p.wall + rp.wall, p.cpu + rp.cpu, std::max(p.peak, rp.peak)};
        state.SetIterationTime(rp.wall);
    }
    state.counters["png_vs_bmp"] = p.wall / b.wall;
    state.counters["peak_vs_bmp"] = p.peak / b.peak;
    fs::remove(bmp);
    fs::remove(png);
}

// A direct format against cat of the same file: the picture is as large as the file (rgb24 in
// 24-bit rows of a width a multiple of 4, rgba in 32-bit rows). args: format (0 rgb24, 1 rgba),
// width.
void BM_RenderFormat(benchmark::State& state) {
    static const char* const kNames[] = {"rgb24", "rgba"};
    const fs::path input = RandomFile("in256m.bin", 256LL << 20);
    Compare(state, input, input,
            {"--format", kNames[state.range(0)], "--width", std::to_string(state.range(1))});
}

// The PNG of rgb24 against the indexed PNG of the same 256 MiB, rows of the same bytes:
// vs_indexed_png is the time ratio, per input byte alike (1.0 = as fast).
void BM_RenderFormatPng(benchmark::State& state) {
    const fs::path input = RandomFile("in256m.bin", 256LL << 20);
    const fs::path png = WorkDir() / "out.png";
    const std::int64_t rowBytes = state.range(0);
    std::vector<double> ratio;
    for (auto _ : state) {
        fs::remove(png);
        const Times indexed = Run(
            {RASTEL_RENDER_EXE, "--width", std::to_string(rowBytes), "-o", png, input.string()});
        fs::remove(png);
        const Times rgb = Run({RASTEL_RENDER_EXE, "--format", "rgb24", "--width",
                               std::to_string(rowBytes / 3), "-o", png, input.string()});
        ratio.push_back(rgb.wall / indexed.wall);
        state.SetIterationTime(rgb.wall);
    }
    state.counters["vs_indexed_png"] = Median(ratio);
    fs::remove(png);
}

BENCHMARK(BM_RenderFormat)
    ->ArgNames({"format", "width"})
    ->ArgsProduct({{0, 1}, {128, 4096}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);
BENCHMARK(BM_RenderFormatPng)
    ->ArgName("row_bytes")
    ->Arg(384)
    ->Arg(12288)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_RenderPng)
    ->Arg(128)
    ->Arg(4096)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_Render)
    ->ArgNames({"colours", "order", "width"})
    ->ArgsProduct({{256, 16}, {0, 1, 2}, {128, 4096}})
    ->ArgsProduct({{2}, {0, 1}, {128, 4096}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

}  // namespace

BENCHMARK_MAIN();
