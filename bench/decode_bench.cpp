// Decoding speed: a 256 MiB input at every depth and order, and in direct formats, against
// memcpy of the same output.
// Both write into buffers touched beforehand, so page faults do not hide the loops' speed.
// vs_memcpy is the decode's speed as a fraction of memcpy's (1.0 = as fast as memcpy).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <random>
#include <vector>

#include "image/pixels/FormatDecoder.h"
#include "image/pixels/PixelDecoder.h"

namespace {

using namespace rastel::modBITMAPinfo;
using Clock = std::chrono::steady_clock;

constexpr std::int64_t kInputBytes = 256LL << 20;
constexpr std::int64_t kWidth = 4096;

const std::vector<std::uint8_t>& Input() {
    static const std::vector<std::uint8_t> input = [] {
        std::vector<std::uint8_t> v(kInputBytes);
        std::mt19937_64 rng(1);
        for (std::size_t i = 0; i < v.size(); i += 8) {
            const std::uint64_t r = rng();
            std::memcpy(&v[i], &r, 8);
        }
        return v;
    }();
    return input;
}

double Seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

void BM_Decode(benchmark::State& state) {
    const auto depth = static_cast<std::int32_t>(state.range(0));
    const auto order = static_cast<std::int32_t>(state.range(1));
    const std::vector<std::uint8_t>& input = Input();
    const std::int64_t pixels = kInputBytes * PixelsPerByte(depth);
    const DecodeLayout layout{depth, order, kWidth, pixels / kWidth, 0};
    std::vector<std::uint8_t> out(static_cast<std::size_t>(pixels), 1);
    std::vector<std::uint8_t> copySource(out.size(), 2);
    double decodeTime = 0;
    double copyTime = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        DecodeRows(layout, input, 0, layout.height, out.data(), kWidth);
        const auto t1 = Clock::now();
        benchmark::DoNotOptimize(out.data());
        std::memcpy(out.data(), copySource.data(), out.size());
        benchmark::ClobberMemory();
        const auto t2 = Clock::now();
        state.SetIterationTime(Seconds(t0, t1));
        decodeTime += Seconds(t0, t1);
        copyTime += Seconds(t1, t2);
    }
    state.SetBytesProcessed(state.iterations() * pixels);
    state.counters["vs_memcpy"] = copyTime / decodeTime;
}

BENCHMARK(BM_Decode)
    ->ArgNames({"depth", "order"})
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({0, 2})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Args({1, 2})
    ->Args({2, 0})
    ->Args({2, 1})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

// A direct format's rows into its decoded pixels (4 bytes each for colours, 2 for gray16).
void BM_DecodeFormat(benchmark::State& state, const char* name) {
    const rastel::core::PixelFormat& format = *rastel::core::FindFormat(name);
    const std::vector<std::uint8_t>& input = Input();
    const auto layout = rastel::core::FormatLayout::For(format, kInputBytes, kWidth, 0, 0);
    const std::int64_t rowBytes = kWidth * rastel::core::DecodedBytes(format);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(layout.height * rowBytes), 1);
    std::vector<std::uint8_t> copySource(out.size(), 2);
    double decodeTime = 0;
    double copyTime = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        rastel::core::DecodeFormatRows(layout, input, 0, layout.height, 0, kWidth, out.data(),
                                       rowBytes);
        const auto t1 = Clock::now();
        benchmark::DoNotOptimize(out.data());
        std::memcpy(out.data(), copySource.data(), out.size());
        benchmark::ClobberMemory();
        const auto t2 = Clock::now();
        state.SetIterationTime(Seconds(t0, t1));
        decodeTime += Seconds(t0, t1);
        copyTime += Seconds(t1, t2);
    }
    state.SetBytesProcessed(state.iterations() * kInputBytes);
    state.counters["vs_memcpy"] = copyTime / decodeTime;
}

BENCHMARK_CAPTURE(BM_DecodeFormat, rgb24, "rgb24")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);
BENCHMARK_CAPTURE(BM_DecodeFormat, rgba, "rgba")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);
BENCHMARK_CAPTURE(BM_DecodeFormat, rgb565le, "rgb565le")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);
BENCHMARK_CAPTURE(BM_DecodeFormat, gray16be, "gray16be")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);
BENCHMARK_CAPTURE(BM_DecodeFormat, yuyv422, "yuyv422")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);
BENCHMARK_CAPTURE(BM_DecodeFormat, gray10le, "gray10le")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);
BENCHMARK_CAPTURE(BM_DecodeFormat, rgb48le, "rgb48le")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);
BENCHMARK_CAPTURE(BM_DecodeFormat, rgba64be, "rgba64be")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

BENCHMARK_CAPTURE(BM_DecodeFormat, yuv420p, "yuv420p")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);
BENCHMARK_CAPTURE(BM_DecodeFormat, nv12, "nv12")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);
BENCHMARK_CAPTURE(BM_DecodeFormat, yuv422p, "yuv422p")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);
BENCHMARK_CAPTURE(BM_DecodeFormat, p010le, "p010le")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);
BENCHMARK_CAPTURE(BM_DecodeFormat, bayer_rggb8, "bayer_rggb8")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);
BENCHMARK_CAPTURE(BM_DecodeFormat, bayer_grbg16le, "bayer_grbg16le")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
