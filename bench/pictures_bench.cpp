// The search for pictures against a plain read of the same file: a 1 GiB file of real files
// from /usr with the pictures of tests/image/search/pictures put in every 16 MiB (1: read through
// the renderer's source from the page cache; 3: in memory, as the viewer holds a file it has
// loaded), and a file of random bytes just under 2 GiB, the largest the viewer accepts (2:
// read). vs_read is the scan's time over that of read() into a buffer of 128 KiB, as cat reads
// (the goal: 1.3 at most); extra_mib the most private memory the scan took beyond what the
// program had (sampled every millisecond); found the regions it reported.
// Files go to $RASTEL_BENCH_DIR (default /tmp/rastel-bench); they are kept for later runs.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <random>
#include <thread>

#include "BenchFiles.h"
#include "image/search/PictureScan.h"

namespace {

using namespace rastel::core;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr std::int64_t kLargest = 0x7F000000 - 1;
constexpr std::int64_t kMixed = std::int64_t{1} << 30;
constexpr std::int64_t kEvery = std::int64_t{16} << 20;

// Real files from /usr, up to 8 MiB of each, in an order fixed by a seed, with the corpus's
// files of pictures put in at every kEvery bytes.
fs::path MixedFile() {
    const fs::path path = rastel::bench::WorkDir() / "pictures1g.bin";
    if (fs::exists(path) && static_cast<std::int64_t>(fs::file_size(path)) == kMixed) {
        return path;
    }
    const std::vector<fs::path> files = rastel::bench::UsrFiles(26);
    std::vector<fs::path> pictures;
    for (const auto& e : fs::directory_iterator(fs::path(RASTEL_PICTURES))) {
        if (e.path().extension() == ".bin") {
            pictures.push_back(e.path());
        }
    }
    std::sort(pictures.begin(), pictures.end());
    std::ofstream out(path, std::ios::binary);
    std::int64_t written = 0;
    std::int64_t next = 0;
    const auto add = [&](const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::vector<char> bytes(
            std::min<std::uintmax_t>({std::uintmax_t{8} << 20, fs::file_size(p),
                                      static_cast<std::uintmax_t>(kMixed - written)}));
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.write(bytes.data(), in.gcount());
        written += in.gcount();
    };
    for (std::size_t i = 0; written < kMixed; ++i) {
        if (written >= next) {
            add(pictures[static_cast<std::size_t>(next / kEvery) % pictures.size()]);
            next += kEvery;
        }
        add(files[i % files.size()]);
    }
    return path;
}

// The private memory of the program now, in bytes.
std::int64_t PrivateBytes() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        std::int64_t kib = 0;
        if (key == "RssAnon:" && status >> kib) {
            return kib * 1024;
        }
        status.ignore(1 << 10, '\n');
    }
    return 0;
}

double ReadSeconds(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    std::vector<char> buffer(std::size_t{128} << 10);
    const auto t0 = Clock::now();
    while (::read(fd, buffer.data(), buffer.size()) > 0) {
    }
    const auto t1 = Clock::now();
    ::close(fd);
    return std::chrono::duration<double>(t1 - t0).count();
}

void BM_FindPictures(benchmark::State& state) {
    const fs::path path =
        state.range(0) == 2 ? rastel::bench::RandomFile("in2g.bin", kLargest) : MixedFile();
    ReadSeconds(path);  // into the page cache
    std::vector<std::uint8_t> held;
    if (state.range(0) == 3) {
        held.resize(static_cast<std::size_t>(fs::file_size(path)));
        std::ifstream(path, std::ios::binary)
            .read(reinterpret_cast<char*>(held.data()), std::ssize(held));
    }
    // One scan; with watch, the most private memory it took beyond what the program had,
    // sampled every millisecond by a thread that would take the scan's time on two cores.
    std::size_t found = 0;
    const auto scanOnce = [&](bool watch, std::int64_t& extra) {
        const int fd = ::open(path.c_str(), O_RDONLY);
        ::malloc_trim(0);  // the read's buffer, freed, would otherwise serve the scan unseen
        const std::int64_t before = PrivateBytes();
        std::atomic<bool> done = false;
        std::int64_t most = before;
        std::thread watcher;
        if (watch) {
            watcher = std::thread([&] {
                while (!done) {
                    most = std::max(most, PrivateBytes());
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                }
            });
        }
        const auto t0 = Clock::now();
        {
            FdSource file(fd, static_cast<std::int64_t>(fs::file_size(path)));
            SpanSource memory(held);
            const auto regions = FindPictures(held.empty() ? static_cast<ByteSource&>(file)
                                                           : static_cast<ByteSource&>(memory));
            found = regions ? regions->size() : 0;
        }
        const double t = std::chrono::duration<double>(Clock::now() - t0).count();
        done = true;
        if (watcher.joinable()) {
            watcher.join();
        }
        ::close(fd);
        extra = std::max(extra, most - before);
        return t;
    };
    double scan = 0;
    double read = 0;
    std::int64_t extra = 0;
    for (auto _ : state) {
        read += ReadSeconds(path);
        const double t = scanOnce(false, extra);
        scan += t;
        state.SetIterationTime(t);
    }
    scanOnce(true, extra);
    state.counters["vs_read"] = scan / read;
    state.counters["extra_mib"] = static_cast<double>(extra) / (1 << 20);
    state.counters["found"] = static_cast<double>(found);
}

BENCHMARK(BM_FindPictures)
    ->ArgName("mixed1g_random2g_mixed1g_held")
    ->Arg(1)
    ->Arg(2)
    ->Arg(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
