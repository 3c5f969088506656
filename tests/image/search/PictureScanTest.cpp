#include "image/base/LookAhead.h"
#include "image/search/PictureScan.h"
#include "image/search/PictureWork.h"
#include "image/search/RegionKind.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <latch>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace rastel::core {
namespace {

struct Expected {
    std::int64_t start;
    std::int64_t length;
    std::int64_t rowBytes;
    int elementBytes;
    const char* format;  // nullptr: palette indices
    bool table = false;
    int endRows = 1;     // how many rows from its end the region may end
    bool exact = false;  // its start and length to the byte
};

// n random bytes after those of `to`, as the bytes around a picture in a dump.
void AddNoise(std::mt19937& random, std::vector<std::uint8_t>& to, std::size_t n) {
    std::generate_n(std::back_inserter(to), n, [&random] { return random() & 255; });
}

// Real pictures inside real code, compressed bytes, text and records, and in the memory of
// real processes (pictures/make.sh and dumps/make.sh say where each comes from and where it
// was put): each found with its start and end within a row, its row, element and format
// exact, two back to back apart, whatever their rows; pictures listed before tables, best
// first; nothing else reported (but tables in the dumps), and nothing at all in the files of
// no picture.
TEST(FindPictures, FindsThePicturesOfRealFiles) {
    struct Case {
        const char* file;
        std::vector<Expected> regions;  // in the file's order
        bool otherTables = false;
    };
    const Case cases[] = {
        {"grey-camera-240-in-code.bin", {{9001, 24000, 240, 1, nullptr}}},
        {"rgb24-coffee-450-in-gzip.bin", {{7013, 28800, 450, 3, "rgb24"}}},
        {"bgra-astronaut-384-in-text.bin", {{6007, 27648, 384, 4, "bgr0"}}},
        {"rgb565le-chelsea-256-in-code.bin", {{8003, 21760, 256, 2, "rgb565le"}}},
        {"gray16le-moon-320-in-gzip.bin", {{5005, 25600, 320, 2, "gray16le"}}},
        {"two-bgra-icon-256-grey-coins-200.bin",
         {{6001, 16384, 256, 4, "bgra"}, {29388, 18000, 200, 1, nullptr}}},
        {"two-gray16be-camera-280-rgb565le-chelsea-256.bin",
         {{4005, 16800, 280, 2, "gray16be"}, {29806, 21760, 256, 2, "rgb565le"}}},
        {"two-gray16le-moon-320-rgb565le-chelsea-256.bin",  // back to back
         {{4001, 25600, 320, 2, "gray16le"}, {29601, 21760, 256, 2, "rgb565le"}}},
        {"two-grey-coins-512-rgb24-coffee-768.bin",  // back to back
         {{6007, 32768, 512, 1, nullptr}, {38775, 36864, 768, 3, "rgb24"}}},
        {"table-records-16-grey-camera-240.bin",  // back to back, at a multiple of 16 bytes
         {{5003, 32768, 16, 1, nullptr, true}, {37771, 24000, 240, 1, nullptr}}},
        // A frame of YUV: its Y and its chroma planes, or the Y and the U V pairs, one region.
        {"yuv420p-coffee-256-in-code.bin", {{7001, 36864, 256, 1, "yuv420p"}}},
        // Found a byte early, its pairs read V first: named so, it shows as it should.
        {"nv12-coffee-256-in-gzip.bin", {{6003, 36864, 256, 1, "nv21"}}},
        // A mosaic, its rows alternating: found at the rows of one, its green sites placed.
        {"bayer-rggb8-chelsea-256-in-text.bin", {{5003, 24576, 256, 2, "bayer_rggb8"}}},
        // The same in 12-bit samples of 16: its sites told by their high bytes.
        {"bayer-rggb16le-chelsea-512-in-gzip.bin", {{4003, 49152, 512, 2, "bayer_rggb16le"}}},
        // 10-bit samples: the Y read as 16-bit grey, its rows followed on into the chroma's
        // two at a time; the frame then fitted to the byte by the bits its samples leave 0.
        {"yuv420p10le-coffee-512-in-gzip.bin",
         {{5001, 73728, 512, 2, "yuv420p10le", false, 1, true}}},
        // The same in pairs: found as pixels of 4 bytes, a byte early, its Y and pairs told
        // apart, then fitted to the byte.
        {"p010le-coffee-512-in-code.bin", {{6003, 73728, 512, 2, "p010le", false, 1, true}}},
        // 16-bit channels, whose noisy low bytes make the cells look random.
        {"rgb48le-astronaut-768-in-code.bin", {{6005, 61440, 768, 2, "rgb48le"}}},
        // A virtual X server's screen and its window's pixmap 4 pixels wider, back to back as
        // two mappings, each to its mapping's end, clear bytes included.
        {"../dumps/xserver.bin",
         {{98304, 155648, 960, 4, "bgr0"}, {253980, 163812, 976, 4, "bgr0"}},
         true},
        // A process's grey, RGB and 16-bit photographs; before the samples, what malloc left
        // of the decoder's copy of them.
        {"../dumps/python.bin",
         {{16384, 65536, 256, 1, nullptr},
          {81936, 48000, 480, 3, "rgb24"},
          {189728, 65248, 384, 2, "gray16le"}},
         true},
        {"none-code.bin", {}},
        {"none-gzip.bin", {}},
        {"none-text.bin", {}},
    };
    const auto dir = std::filesystem::path(__FILE__).parent_path() / "pictures";
    for (const Case& c : cases) {
        std::ifstream in(dir / c.file, std::ios::binary);
        const std::vector<std::uint8_t> data{std::istreambuf_iterator<char>(in), {}};
        ASSERT_FALSE(data.empty()) << c.file;
        SpanSource source(data);
        auto found = FindPictures(source);
        ASSERT_TRUE(found) << c.file;
        EXPECT_TRUE(std::is_sorted(found->begin(), found->end(), [](const auto& a, const auto& b) {
            return std::pair(a.table, -a.score) < std::pair(b.table, -b.score);
        })) << c.file;
        if (c.otherTables) {
            std::erase_if(*found, [&c](const PictureRegion& r) {
                return r.table && std::none_of(c.regions.begin(), c.regions.end(),
                                               [](const Expected& e) { return e.table; });
            });
        }
        ASSERT_EQ(found->size(), c.regions.size()) << c.file;
        std::sort(found->begin(), found->end(),
                  [](const auto& a, const auto& b) { return a.start < b.start; });
        for (std::size_t i = 0; i < found->size(); ++i) {
            const PictureRegion& r = (*found)[i];
            const Expected& e = c.regions[i];
            EXPECT_LT(std::abs(r.start - e.start), e.rowBytes) << c.file << " " << r.start;
            EXPECT_LT(std::abs(r.start + r.length - e.start - e.length), e.endRows * e.rowBytes)
                << c.file << " " << r.length;
            if (e.exact) {
                EXPECT_EQ(std::pair(r.start, r.length), std::pair(e.start, e.length)) << c.file;
            }
            EXPECT_EQ(r.rowBytes, e.rowBytes) << c.file;
            EXPECT_EQ(r.elementBytes, e.elementBytes) << c.file;
            EXPECT_EQ(r.format, e.format != nullptr ? FindFormat(e.format) : nullptr) << c.file;
            EXPECT_EQ(r.table, e.table) << c.file << " " << r.start;
            EXPECT_EQ(r.width,
                      e.rowBytes / (e.format != nullptr ? FindFormat(e.format)->bytes : 1));
            EXPECT_GT(r.score, 0.3) << c.file;
            EXPECT_LE(r.score, 1.0) << c.file;
            // A pixel of a format starts where the picture does, so that its bytes pair right.
            if (r.format != nullptr) {
                EXPECT_EQ((r.start - e.start) % r.format->bytes, 0) << c.file << " " << r.start;
            }
        }
    }
}

// Rows alike a row apart but whose neighbouring bytes are no more alike than bytes farther
// along are records, a table, however much the rows differ; a picture's neighbours are alike.
TEST(FindPictures, TellsTablesFromPictures) {
    std::mt19937 random(40);
    std::vector<std::uint8_t> base(64);
    std::generate(base.begin(), base.end(), [&] { return random() & 255; });
    std::normal_distribution<double> noise(0, 80);
    std::vector<std::uint8_t> table;
    std::vector<std::uint8_t> picture;
    // Records of a name padded with zeros and a field of one byte; a picture of half black and
    // half levels that are printable text
    std::vector<std::uint8_t> names(64 * 256, 0);
    std::vector<std::uint8_t> dark;
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 64; ++x) {
            table.push_back(
                static_cast<std::uint8_t>(std::clamp(base[x] + noise(random), 0.0, 255.0)));
            picture.push_back(
                static_cast<std::uint8_t>(128 + 100 * std::sin(x / 9.0 + y / 13.0) + random() % 5));
            const double level = 90 * std::sin(x / 7.0 + y / 11.0);
            dark.push_back(static_cast<std::uint8_t>(level > 0 ? 32 + level : 0));
        }
        const int length = 6 + static_cast<int>(random() % 9);
        for (int i = 0; i < length; ++i) {
            names[64 * y + 8 + i] = static_cast<std::uint8_t>((i == 0 ? 'A' : 'a') + random() % 26);
        }
        names[64 * y + 40] = 0x38;
    }
    for (const auto& [bytes, isTable] :
         {std::pair{&table, true}, {&picture, false}, {&names, true}, {&dark, false}}) {
        SpanSource source(*bytes);
        pictures::Peek peek(source);
        bool failed = false;
        EXPECT_EQ(pictures::LooksLikeTable(peek, {64, 1}, nullptr, 0, source.size(), failed),
                  isTable);
        EXPECT_FALSE(failed);
    }
}

// The corpus three times over, in one file of more than a piece of the first pass: each
// picture found in every copy, apart from its neighbours of the same row length, and the same
// regions, bit for bit, with one thread or two.
TEST(FindPictures, FindsTheSameWithOneThreadOrTwo) {
    std::vector<std::uint8_t> data;
    std::vector<std::filesystem::path> files;
    for (const auto& e : std::filesystem::directory_iterator(
             std::filesystem::path(__FILE__).parent_path() / "pictures")) {
        if (e.path().extension() == ".bin") {
            files.push_back(e.path());
        }
    }
    std::sort(files.begin(), files.end());
    for (int copy = 0; copy < 3; ++copy) {
        for (const auto& f : files) {
            std::ifstream in(f, std::ios::binary);
            data.insert(data.end(), std::istreambuf_iterator<char>(in), {});
        }
    }
    ASSERT_GT(data.size(), std::size_t{1} << 20);
    SpanSource source(data);
    const auto one = FindPictures(source, {{}, {}, 1});
    const auto two = FindPictures(source, {{}, {}, 2});
    ASSERT_TRUE(one && two);
    EXPECT_EQ(one->size(), 55u);
    ASSERT_EQ(one->size(), two->size());
    for (std::size_t i = 0; i < one->size(); ++i) {
        const PictureRegion& a = (*one)[i];
        const PictureRegion& b = (*two)[i];
        EXPECT_EQ(a.start, b.start) << i;
        EXPECT_EQ(a.length, b.length) << i;
        EXPECT_EQ(a.rowBytes, b.rowBytes) << i;
        EXPECT_EQ(a.format, b.format) << i;
        EXPECT_EQ(a.score, b.score) << i;
    }
}

// The second thread's results go to their own items: while it works on the item the loop
// wants, the loop works out the next one, and takes neither's for the other; an item never
// planned is left to the loop.
TEST(LookAhead, GivesEachItemItsOwnResult) {
    std::latch started(1);
    std::latch released(1);
    LookAhead<int, int> ahead([&](const int& x) {
        if (x == 5) {
            started.count_down();
            released.wait();  // until the loop has worked out 6 itself
        }
        if (x == 6) {
            released.count_down();
        }
        return 10 * x;
    });
    ahead.Plan({5, 6});
    started.wait();
    EXPECT_EQ(ahead.Take(5), 50);
    EXPECT_EQ(ahead.Take(6), 60);
    EXPECT_EQ(ahead.Take(7), std::nullopt);
}

// Files of no rows at all, from a few rows' worth of bytes up: nothing found.
TEST(FindPictures, FindsNothingWithoutRows) {
    std::mt19937 random(26);
    std::vector<std::uint8_t> noise(std::size_t{3} << 20);
    std::generate(noise.begin(), noise.end(), [&random] { return random() & 255; });
    const std::vector<std::vector<std::uint8_t>> files = {
        {std::vector<std::uint8_t>(100, 7)},
        {std::vector<std::uint8_t>(std::size_t{1} << 20, 0xff)},
        {noise.begin(), noise.begin() + 5000},
        noise,
    };
    for (const auto& data : files) {
        SpanSource source(data);
        const auto found = FindPictures(source);
        ASSERT_TRUE(found) << data.size();
        EXPECT_TRUE(found->empty()) << data.size();
    }
}

// A frame of 1920 pixels of 4 bytes among random bytes, as a memory dump holds one, its fourth
// byte padding but where a cursor left a few: found at its whole row, in bgr0, and the same
// read from a file, in chunks, as from memory.
TEST(FindPictures, FindsLongRowsInAFile) {
    std::mt19937 random(7);
    constexpr int kWidth = 1920;
    std::vector<std::uint8_t> data;
    AddNoise(random, data, 100003);
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < kWidth * 4; ++x) {
            const double v = 128 + 60 * std::sin(x / 4 / 37.0 + x % 4) +
                             50 * std::cos(y / 23.0 + x / 4 / 91.0) + random() % 9 - 4.0;
            data.push_back(x % 4 == 3 ? (random() % 400 == 0 ? 255 : 0)
                                      : static_cast<std::uint8_t>(std::clamp(v, 0.0, 255.0)));
        }
    }
    AddNoise(random, data, 50000);
    SpanSource memory(data);
    const auto found = FindPictures(memory);
    ASSERT_TRUE(found);
    ASSERT_EQ(found->size(), 1u);
    const PictureRegion& r = found->front();
    EXPECT_LT(std::abs(r.start - 100003), kWidth * 4) << r.start;
    EXPECT_EQ(r.rowBytes, kWidth * 4);
    EXPECT_EQ(r.elementBytes, 4);
    EXPECT_EQ(r.format, FindFormat("bgr0"));

    const auto path = std::filesystem::temp_directory_path() / "rastel-long-rows.bin";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(data.data()), std::ssize(data));
    const int fd = ::open(path.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    FdSource file(fd, std::ssize(data));
    const auto read = FindPictures(file);
    ::close(fd);
    std::filesystem::remove(path);
    ASSERT_TRUE(read);
    ASSERT_EQ(read->size(), 1u);
    EXPECT_EQ(read->front().start, r.start);
    EXPECT_EQ(read->front().length, r.length);
    EXPECT_EQ(read->front().format, r.format);
    EXPECT_EQ(read->front().score, r.score);
}

// A screen of bgr0 pixels, grey in its upper two thirds and colourful below, fits a P010
// frame's planes to the rows, Y then U V pairs: its pixels leave no 6 bits 0, and it stays
// bgr0.
TEST(FindPictures, TellsAScreenFromAP010Frame) {
    std::mt19937 random(3);
    std::vector<std::uint8_t> data;
    AddNoise(random, data, 20001);
    for (int y = 0; y < 96; ++y) {
        for (int x = 0; x < 512; ++x) {
            for (int c = 0; c < 4; ++c) {
                const double v = 128 + 60 * std::sin(x / 37.0 + (y < 64 ? 0 : 2 * c)) +
                                 50 * std::cos(y / 23.0 + x / 91.0) + random() % 9 - 4.0;
                data.push_back(c == 3 ? 0 : static_cast<std::uint8_t>(std::clamp(v, 0.0, 255.0)));
            }
        }
    }
    AddNoise(random, data, 10000);
    SpanSource source(data);
    const auto found = FindPictures(source);
    ASSERT_TRUE(found);
    ASSERT_EQ(found->size(), 1u);
    EXPECT_EQ(found->front().format, FindFormat("bgr0"));
}

// A mosaic of 8-bit sites widened to 16 bits, their low bytes 0, passes for pixels of 4 bytes
// (two sites); it is named a mosaic of 16-bit samples, its green sites where they are.
TEST(FindPictures, FindsAMosaicOfWidenedSites) {
    std::mt19937 random(5);
    std::vector<std::uint8_t> data;
    AddNoise(random, data, 20001);
    for (int y = 0; y < 96; ++y) {
        for (int x = 0; x < 256; ++x) {
            const double v = x % 2 != y % 2 ? 120 + 60 * std::cos(x / 23.0 - y / 19.0)
                             : y % 2 == 0   ? 128 + 80 * std::sin(x / 17.0 + y / 29.0)
                                            : 90 + 50 * std::sin((x + y) / 31.0);
            data.push_back(0);
            data.push_back(static_cast<std::uint8_t>(v + random() % 5));
        }
    }
    AddNoise(random, data, 10000);
    SpanSource source(data);
    const auto found = FindPictures(source);
    ASSERT_TRUE(found);
    ASSERT_EQ(found->size(), 1u);
    const PictureRegion& r = found->front();
    EXPECT_EQ(r.rowBytes, 512);
    EXPECT_EQ((r.start - 20001) % 2, 0) << r.start;
    // Green where row and column, counted from the start, add up even: red or blue first.
    const bool greenFirst = (r.start - 20001) / 2 % 2 != 0;
    EXPECT_EQ(r.format, FindFormat(greenFirst ? "bayer_grbg16le" : "bayer_rggb16le")) << r.start;
}

// A stop asked for gives nothing, and the progress told rises to 1 at most.
TEST(FindPictures, StopsWhenAsked) {
    std::vector<std::uint8_t> data(std::size_t{1} << 20);
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<std::uint8_t>(i / 512 + i % 512 / 4);
    }
    SpanSource source(data);
    std::stop_source stop;
    double last = 0;
    const auto found = FindPictures(source, {stop.get_token(), [&](double done) {
                                                 EXPECT_GE(done, last);
                                                 EXPECT_LE(done, 1.0);
                                                 last = done;
                                                 stop.request_stop();
                                             }});
    EXPECT_EQ(found.outcome().why, Outcome::Why::kCancelled);
    EXPECT_GT(last, 0.0);
}

// The search behind the window: what it finds is what the search finds, told once it has ended;
// stopped, twice, or destroyed mid-way, it lets go. The test command runs this under
// ThreadSanitizer too.
TEST(PictureWork, FindsWhatTheSearchFindsAndStops) {
    auto bytes = std::make_shared<modBITMAPinfo::RawBytes>(std::size_t{1} << 20);
    for (std::size_t i = 0; i < bytes->size(); ++i) {
        (*bytes)[i] = static_cast<std::uint8_t>(i / 512 + i % 512 / 4);
    }
    SpanSource source(*bytes);
    const auto expected = FindPictures(source);
    ASSERT_TRUE(expected && !expected->empty());
    std::mutex mutex;
    std::condition_variable told;
    int done = 0;
    PictureWork work(bytes);
    ASSERT_TRUE(work.Start([&] {
                        const std::lock_guard lock(mutex);
                        ++done;
                        told.notify_all();
                    })
                    .ok());
    {
        std::unique_lock lock(mutex);
        told.wait(lock, [&] { return done > 0; });
    }
    const auto found = work.Take();
    ASSERT_TRUE(found);
    EXPECT_FALSE(work.Take());  // once
    ASSERT_EQ(found->size(), expected->size());
    for (std::size_t i = 0; i < found->size(); ++i) {
        EXPECT_EQ(std::pair((*found)[i].start, (*found)[i].length),
                  std::pair((*expected)[i].start, (*expected)[i].length));
    }
    EXPECT_EQ(work.Progress(), 1.0);
    work.Stop();
    work.Stop();
    EXPECT_EQ(done, 1);

    std::atomic<int> ended = 0;
    PictureWork stopped(bytes);
    ASSERT_TRUE(stopped.Start([&] { ++ended; }).ok());
    stopped.Stop();
    EXPECT_EQ(stopped.Take().has_value(), ended == 1);  // ended before the stop, or not at all
    PictureWork destroyed(bytes);
    ASSERT_TRUE(destroyed.Start({}).ok());
}

}  // namespace
}  // namespace rastel::core
