#include "image/search/FrameSizes.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace rastel::core {

namespace {

struct Named {
    std::int64_t width, height;
    std::string_view name;
};

// The sizes video frames come in, smallest first.
constexpr std::array<Named, 24> kSizes = {{
    {176, 144, "QCIF"},    {320, 240, "QVGA"},   {352, 240, "SIF"},     {352, 288, "CIF"},
    {640, 360, "nHD"},     {640, 480, "VGA"},    {704, 480, "4SIF"},    {720, 480, "480p"},
    {704, 576, "4CIF"},    {720, 576, "576p"},   {800, 600, "SVGA"},    {854, 480, "FWVGA"},
    {960, 540, "qHD"},     {1024, 768, "XGA"},   {1280, 720, "720p"},   {1280, 1024, "SXGA"},
    {1366, 768, "WXGA"},   {1600, 1200, "UXGA"}, {1920, 1080, "1080p"}, {2048, 1080, "2K"},
    {2560, 1440, "1440p"}, {3840, 2160, "UHD"},  {4096, 2160, "4K"},    {1440, 1080, "HDV"},
}};

// Bytes compared at each place, and places looked at: a sample of at most 32 KiB a size.
constexpr std::int64_t kRun = 1024;
constexpr int kPlaces = 8;

// The bytes a frame of the format takes.
std::int64_t FrameBytes(const PixelFormat& f, std::int64_t width, std::int64_t height) {
    return f.family == FormatFamily::Planar ? FrameShapeOf(f, width * f.bytes, height).frameBytes
                                            : width * height * f.bytes;
}

// The mean difference of the bytes at a and at b, kRun of each; nothing when a read failed.
std::optional<double> Distance(ByteSource& source, std::int64_t a, std::int64_t b) {
    std::array<std::uint8_t, kRun> x{}, y{};
    if (!source.Read(a, kRun, x.data()) || !source.Read(b, kRun, y.data())) {
        return std::nullopt;
    }
    std::int64_t sum = 0;
    for (std::int64_t i = 0; i < kRun; ++i) {
        sum += std::abs(int{x[static_cast<std::size_t>(i)]} - int{y[static_cast<std::size_t>(i)]});
    }
    return static_cast<double>(sum) / kRun;
}

// How much closer bytes `lag` apart are than bytes `lag + off` apart, from 0 to 1, over places
// spread through [begin, end); nothing when a read failed.
std::optional<double> Likeness(ByteSource& source, std::int64_t begin, std::int64_t end,
                               std::int64_t lag, std::int64_t off) {
    const std::int64_t last = end - lag - off - kRun;
    if (last < begin) {
        return 0.0;
    }
    double near = 0, far = 0;
    for (int k = 0; k < kPlaces; ++k) {
        const std::int64_t at = begin + (last - begin) * k / std::max(1, kPlaces - 1);
        const auto d1 = Distance(source, at, at + lag);
        const auto d0 = Distance(source, at, at + lag + off);
        if (!d1 || !d0) {
            return std::nullopt;
        }
        near += *d1;
        far += *d0;
    }
    return far > 0 ? std::clamp(1 - near / far, 0.0, 1.0) : 0.0;
}

}  // namespace

bool HasFrameSizes(const PixelFormat& format) {
    return format.family == FormatFamily::Planar || format.family == FormatFamily::Yuv422;
}

Result<std::vector<FrameSize>> SuggestFrameSizes(ByteSource& source, const PixelFormat& format,
                                                 std::int64_t offset, int count) {
    std::vector<FrameSize> found;
    const std::int64_t bytes = source.size() - std::max<std::int64_t>(0, offset);
    if (!HasFrameSizes(format) || bytes < 1) {
        return found;
    }
    const std::int64_t begin = std::max<std::int64_t>(0, offset);
    for (const Named& n : kSizes) {
        const std::int64_t frame = FrameBytes(format, n.width, n.height);
        if (bytes % frame != 0) {
            continue;
        }
        // Frames one after another, where there are two, against a frame and a half on; and
        // the first frame's rows of Y against rows and a half.
        const std::int64_t row = n.width * format.bytes;
        const auto frames = bytes / frame > 1
                                ? Likeness(source, begin, begin + bytes, frame, frame / 2)
                                : std::optional(0.0);
        const auto rows = Likeness(source, begin, begin + n.height * row, row, row / 2);
        if (!frames || !rows) {
            return Outcome::Unreadable(source.result());
        }
        found.push_back(
            {n.width, n.height, n.name, bytes / frame > 1 ? (*frames + *rows) / 2 : *rows});
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const FrameSize& a, const FrameSize& b) { return a.score > b.score; });
    found.resize(std::min<std::size_t>(found.size(), static_cast<std::size_t>(std::max(0, count))));
    return found;
}

}  // namespace rastel::core
