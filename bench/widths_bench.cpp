// Width suggestions: their cost must not grow with the file. Times SuggestWidths at each depth
// on a 1 MiB file and on the largest file the viewer accepts (just under 2 GiB, mapped as the
// viewer holds it, in memory); vs_1mib is the large file's time over the small one's.
// Files go to $RASTEL_BENCH_DIR (default /tmp/rastel-bench); they are kept for later runs.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "BenchFiles.h"
#include "image/search/WidthHints.h"

namespace {

using namespace rastel::core;
using Clock = std::chrono::steady_clock;

constexpr std::int64_t kLargest = 0x7F000000 - 1;

// The whole file, mapped read-only for the life of the program.
std::span<const std::uint8_t> Mapped(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    const auto size = static_cast<std::size_t>(std::filesystem::file_size(path));
    void* bytes = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (bytes == MAP_FAILED) {
        std::abort();
    }
    return {static_cast<const std::uint8_t*>(bytes), size};
}

double Seconds(std::span<const std::uint8_t> data, std::int32_t depth) {
    SpanSource source(data);
    const auto t0 = Clock::now();
    benchmark::DoNotOptimize(SuggestWidths(source, depth, 0));
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

void BM_SuggestWidths(benchmark::State& state) {
    static const auto small = Mapped(rastel::bench::RandomFile("in1m.bin", 1 << 20));
    static const auto large = Mapped(rastel::bench::RandomFile("in2g.bin", kLargest));
    const auto depth = static_cast<std::int32_t>(state.range(0));
    double smallTime = 0;
    double largeTime = 0;
    for (auto _ : state) {
        smallTime += Seconds(small, depth);
        const double t = Seconds(large, depth);
        largeTime += t;
        state.SetIterationTime(t);
    }
    state.counters["large_ms"] = largeTime / state.iterations() * 1000;
    state.counters["small_ms"] = smallTime / state.iterations() * 1000;
    state.counters["vs_1mib"] = largeTime / smallTime;
}

BENCHMARK(BM_SuggestWidths)
    ->ArgName("depth")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
