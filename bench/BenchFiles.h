// Input files for the benchmarks, made once and kept between runs in RASTEL_BENCH_DIR
// (by default a folder under the system's temporary directory).
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace rastel::bench {

inline std::filesystem::path WorkDir() {
    static const std::filesystem::path dir = [] {
        const char* env = std::getenv("RASTEL_BENCH_DIR");
        std::filesystem::path d = env != nullptr
                                      ? std::filesystem::path(env)
                                      : std::filesystem::temp_directory_path() / "rastel-bench";
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir;
}

// A file of random bytes, the same bytes for the same size every time.
inline std::filesystem::path RandomFile(const std::string& name, std::int64_t bytes) {
    const std::filesystem::path path = WorkDir() / name;
    if (std::filesystem::exists(path) &&
        static_cast<std::int64_t>(std::filesystem::file_size(path)) == bytes) {
        return path;
    }
    std::ofstream out(path, std::ios::binary);
    std::mt19937_64 rng(static_cast<std::uint64_t>(bytes));
    std::vector<std::uint64_t> block(1 << 17);
    for (std::int64_t done = 0; done < bytes; done += 1 << 20) {
        for (auto& v : block) {
            v = rng();
        }
        out.write(reinterpret_cast<const char*>(block.data()),
                  static_cast<std::streamsize>(std::min<std::int64_t>(1 << 20, bytes - done)));
    }
    return path;
}

// The regular files of /usr/bin, the shared libraries and /usr/share, in an order fixed by seed:
// a mix of every kind of real data.
inline std::vector<std::filesystem::path> UsrFiles(unsigned seed) {
    std::vector<std::filesystem::path> files;
    for (const char* root : {"/usr/bin", "/usr/lib/x86_64-linux-gnu", "/usr/share"}) {
        std::error_code ec;
        for (std::filesystem::recursive_directory_iterator it(root, ec), end; !ec && it != end;
             it.increment(ec)) {
            if (it->is_regular_file(ec) && !it->is_symlink(ec) && it->file_size(ec) > 0) {
                files.push_back(it->path());
            }
        }
    }
    std::sort(files.begin(), files.end());
    std::shuffle(files.begin(), files.end(), std::mt19937(seed));
    return files;
}

}  // namespace rastel::bench
