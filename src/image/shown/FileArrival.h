// The read of the file to show: all of it or nothing, in pieces, with what is taken from each
// piece while it is still in the cache, so that the file is walked once and nothing waits: the
// strip's overview, on a thread of its own that goes on once the picture shows, and the range
// of a gray16 picture.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>

#include "image/base/ByteSource.h"
#include "image/base/RawBytes.h"
#include "image/pixels/FormatDecoder.h"
#include "image/pixels/Layout.h"
#include "image/search/OverviewWork.h"

namespace rastel::core {

// What the read gave.
struct FileArrival {
    std::shared_ptr<modBITMAPinfo::RawBytes> bytes;
    std::unique_ptr<OverviewWork> overview;  // under way; nothing when no thread could be had
    std::optional<Range16> grey;             // a gray16 picture's range
};

struct ReadRequest {
    std::int64_t size = 0;  // as the file was when it was checked: bytes it gained are left out
    Layout layout;          // of the picture the bytes are read for
    // Bytes beyond this many are not asked of the system: a test's small machine.
    std::int64_t memoryLimit = std::numeric_limits<std::int64_t>::max();
    // Told of every 16 MiB and of the end with the bytes in place; false cancels the read.
    std::function<bool(std::int64_t done)> progress;
    // Runs on the overview's thread once it is complete; it must only post.
    std::function<void()> overviewDone;
    OverviewWork::Step overviewStep;  // for tests
    FileReader reader;                // ::read, unless a test puts in its own faults
};

// Reads the open file fd: the bytes and what was taken from them; or cancelled, out of memory
// for the bytes, or unreadable with the read's failure, a file cut short since it was checked
// among them, or a file there that could not be opened (fd -1). Nothing of a failed read is
// kept.
Result<FileArrival> ReadFileWhole(int fd, const ReadRequest& request);

}  // namespace rastel::core
