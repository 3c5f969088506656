#include "image/shown/FileArrival.h"

#include <new>

#include "image/pixels/FormatDisplay.h"

namespace rastel::core {

Result<FileArrival> ReadFileWhole(int fd, const ReadRequest& request) {
    if (fd < 0) {  // there, but not to be opened
        return Outcome::Unreadable({EACCES, "it could not be opened"});
    }
    const std::int64_t size = request.size;
    FileArrival got;
    try {
        if (size >= request.memoryLimit) {
            throw std::bad_alloc();
        }
        got.bytes = std::make_shared<modBITMAPinfo::RawBytes>(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        return Outcome::OutOfMemory("the file's bytes");
    }
    const Layout& l = request.layout;
    std::optional<GreyMeter> meter;
    if (!l.indexed() && l.format->family == FormatFamily::Gray16 && Drawable(l.Colours(), size)) {
        meter.emplace(l.Colours());
    }
    // Pieces small enough that the overview takes them while they are still in the cache.
    constexpr std::size_t kPiece = OverviewWork::kPiece;
    constexpr std::size_t kReported = std::size_t{16} << 20;
    got.overview =
        std::make_unique<OverviewWork>(got.bytes, StripBlockCount(size), request.overviewStep);
    // Without a thread for it the file is read all the same, and its strip stays empty.
    if (!got.overview->Start([done = request.overviewDone] { done ? done() : void(); }).ok()) {
        got.overview.reset();
    }
    const auto arrived = [&](std::size_t done) {
        if (got.overview) {
            got.overview->Arrived(static_cast<std::int64_t>(done));
        }
        if (meter) {
            meter->Arrived(*got.bytes, static_cast<std::int64_t>(done));
        }
        const bool report = done % kReported < kPiece || done == got.bytes->size();
        return !report || !request.progress || request.progress(static_cast<std::int64_t>(done));
    };
    const Outcome read = ReadWhole(fd, *got.bytes, kPiece, arrived, request.reader);
    if (!read.ok()) {
        return read.why == Outcome::Why::kCancelled ? read : Outcome::Unreadable(read);
    }
    if (meter) {
        got.grey = meter->Done(*got.bytes);
    }
    return got;
}

}  // namespace rastel::core
