// The overview's speed: 256 MiB of real files (programs, libraries, text, compressed and
// pictures from /usr), fed in the viewer's 16 MiB pieces, against memcpy of the same bytes.
// vs_memcpy is the overview's speed as a fraction of memcpy's (1.0 = as fast as memcpy); the
// other counters say what share of the input fell in each class.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "BenchFiles.h"
#include "image/search/Overview.h"

namespace {

using namespace rastel::core;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr std::size_t kInputBytes = std::size_t{256} << 20;
constexpr std::size_t kPiece = std::size_t{16} << 20;

// Whole files (up to 8 MiB of each) in an order fixed by a seed, until the input is full;
// repeated if /usr holds too little.
const std::vector<std::uint8_t>& Input() {
    static const std::vector<std::uint8_t> input = [] {
        const std::vector<fs::path> files = rastel::bench::UsrFiles(1);
        std::vector<std::uint8_t> v;
        v.reserve(kInputBytes);
        for (std::size_t i = 0; v.size() < kInputBytes && !files.empty(); ++i) {
            std::ifstream in(files[i % files.size()], std::ios::binary);
            std::error_code ec;
            const auto size = static_cast<std::size_t>(fs::file_size(files[i % files.size()], ec));
            std::vector<char> bytes(std::min({std::size_t{8} << 20, kInputBytes - v.size(), size}));
            in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            v.insert(v.end(), bytes.begin(), bytes.begin() + in.gcount());
        }
        v.resize(kInputBytes);
        return v;
    }();
    return input;
}

double Seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

void BM_Overview(benchmark::State& state) {
    const std::vector<std::uint8_t>& input = Input();
    std::vector<std::uint8_t> copy(input.size(), 1);
    double time = 0;
    double copyTime = 0;
    Overview result;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        OverviewBuilder builder(std::ssize(input), state.range(0));
        for (std::size_t pos = 0; pos < input.size(); pos += kPiece) {
            builder.Feed(std::span(input).subspan(pos, std::min(kPiece, input.size() - pos)));
        }
        result = builder.Take();
        const auto t1 = Clock::now();
        std::memcpy(copy.data(), input.data(), input.size());
        benchmark::ClobberMemory();
        const auto t2 = Clock::now();
        state.SetIterationTime(Seconds(t0, t1));
        time += Seconds(t0, t1);
        copyTime += Seconds(t1, t2);
    }
    state.SetBytesProcessed(state.iterations() * std::ssize(input));
    state.counters["vs_memcpy"] = copyTime / time;
    const ClassMix mix = result.Mix(0, result.size());
    for (int c = 0; c < kClassCount; ++c) {
        state.counters[ClassWord(static_cast<ByteClass>(c))] = mix.share[c];
    }
}

BENCHMARK(BM_Overview)
    ->ArgName("blocks")
    ->Arg(65536)
    ->Arg(256)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
