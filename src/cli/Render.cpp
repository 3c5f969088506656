#include "cli/Render.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "image/base/FileDescriptor.h"
#include "image/files/PictureFile.h"
#include "image/pixels/PaletteBuilder.h"
#include "image/pixels/PixelDecoder.h"
#include "image/rules/InputFile.h"
#include "image/search/Overview.h"
#include "image/search/PictureScan.h"
#include "image/search/WidthHints.h"
#include "image/shown/RegionFile.h"

namespace rastel::cli {

using namespace modBITMAPinfo;
using namespace core;

namespace {

// Each picture found (and each table, when asked for), written as a PNG of its bytes alone
// into folder, its name printed once it is whole; the first that cannot be written ends it,
// the failure naming the file it could not read or write.
template <class Fail>
int Extract(const std::vector<PictureRegion>& regions, bool tables, ByteSource& source,
            const std::string& input, const std::string& folder, std::ostream& listing,
            const Fail& fail) {
    for (const PictureRegion& r : regions) {
        if (r.table && !tables) {
            continue;
        }
        const std::string path = folder + "/" + RegionFileName(r);
        const Outcome written = WriteRegion(source, r, path);
        if (!written.ok()) {
            return fail(written.why == Outcome::Why::kUnreadable
                            ? input + ": cannot be read: " + written.reason
                            : written.reason);
        }
        listing << path << '\n' << std::flush;
    }
    return listing ? 0 : fail("the names could not be written");
}

// Why pictures cannot be written into folder, or nothing: asked before the search, which on a
// large file takes a while, rather than when its first picture fails.
std::optional<std::string> Unwritable(const std::string& folder) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) {
        return folder + ": cannot be written into: " + std::strerror(errno);
    }
    if (!S_ISDIR(st.st_mode)) {
        return folder + ": is not a folder";
    }
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        return folder + ": cannot be written into: " + std::strerror(errno);
    }
    return std::nullopt;
}

}  // namespace

int Render(const RenderOptions& o, std::ostream& listing, std::ostream& err) {
    auto fail = [&err](const std::string& message) {
        err << "rastel-render: " << message << '\n';
        return 1;
    };
    const std::string& path = o.file;
    // Non-blocking, so that a FIFO with no writer cannot hang us before we can refuse it.
    const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        return fail(path + ": cannot be read: " + std::strerror(errno));
    }
    // Read in pieces whatever its size: only the viewer holds a file whole.
    const InputFile input = CheckInputFile(fd.get(), std::numeric_limits<std::int64_t>::max());
    const std::int64_t size = input.size;
    switch (input.result.why) {
        case Outcome::Why::kDone:
            break;
        case Outcome::Why::kFolder:
            return fail(path + ": is a folder");
        case Outcome::Why::kNotRegular:
            return fail(path + ": is not a regular file");
        case Outcome::Why::kEmpty: {
            // Files the kernel makes up as they are read (/proc, /sys) say they hold nothing.
            char byte = 0;
            return fail(path + (::read(fd.get(), &byte, 1) > 0
                                    ? ": cannot be measured: the system gives its size as 0"
                                    : ": is empty"));
        }
        default:  // the system could not tell
            return fail(path + ": cannot be read: " + input.result.reason);
    }
    ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    FdSource source(fd.get(), size);
    auto readError = [&](const Outcome& read) {
        return fail(path + ": cannot be read: " + read.reason);
    };
    // The options checked the depth and order, so the table has their entry.
    const PixelFormat* kind = o.format != nullptr ? o.format : IndexFormat(o.depth, o.order);

    if (o.overview) {
        const auto overview = ComputeOverview(source, o.blocks.value_or(256));
        if (!overview) {
            return readError(overview.outcome());
        }
        for (std::int64_t i = 0; i < overview->blockCount(); ++i) {
            char line[64];
            std::snprintf(line, sizeof line, "0x%08llx %lld %.2f %s\n",
                          static_cast<unsigned long long>(overview->BlockStart(i)),
                          static_cast<long long>(overview->BlockLength(i)),
                          static_cast<double>(overview->Entropy(i)), ClassWord(overview->Class(i)));
            listing << line;
        }
        return listing.flush() ? 0 : fail("the overview could not be written");
    }
    if (o.findPictures) {
        if (const auto why = o.extract ? Unwritable(*o.extract) : std::nullopt) {
            return fail(*why);
        }
        const auto regions = FindPictures(source);
        if (!regions) {
            return readError(regions.outcome());
        }
        if (o.extract) {
            return Extract(*regions, o.tables, source, path, *o.extract, listing, fail);
        }
        for (const PictureRegion& r : *regions) {
            char offset[24];
            char score[16];
            std::snprintf(offset, sizeof offset, "0x%08llx",
                          static_cast<unsigned long long>(r.start));
            std::snprintf(score, sizeof score, "%.3f", r.score);
            listing << offset << ' ' << r.length << ' ' << r.rowBytes << ' ' << r.elementBytes
                    << ' ' << (r.format != nullptr ? r.format->name : "-") << ' ' << r.width << ' '
                    << score << ' ' << (r.table ? "table" : "picture") << '\n';
        }
        return listing.flush() ? 0 : fail("the pictures could not be written");
    }
    if (o.suggestWidth) {
        const auto widths = SuggestWidths(source, Layout{kind});
        if (!widths) {
            return readError(widths.outcome());
        }
        for (const WidthCandidate& c : *widths) {
            char score[16];
            std::snprintf(score, sizeof score, "%.3f", c.score);
            if (c.frameHeight > 0) {  // a frame size: width x height, the format, the size's name
                listing << c.width << 'x' << c.frameHeight << ' ' << score << ' ' << c.format->name
                        << ' ' << c.sizeName << '\n';
                continue;
            }
            listing << c.width << ' ' << score << ' ' << c.elementBytes << ' '
                    << (c.format != nullptr ? c.format->name : "-") << '\n';
        }
        return listing.flush() ? 0 : fail("the widths could not be written");
    }

    const std::string out = o.output.value_or(path + ".bmp");
    DibImage colours;  // a fresh palette, as the viewer has at start
    Layout layout{kind, 0, 0, o.offset, o.stride, o.frameHeight};
    // A part of the file is read as a file of its own, from its group's start (GroupStart).
    std::int64_t shown = size;  // the bytes the picture is of
    std::optional<SliceSource> part;
    if (o.length) {
        const std::int64_t perByte = layout.indexed() ? PixelsPerByte(kind->depth) : 1;
        const std::int64_t first = o.offset >= 0 ? o.offset / perByte : -1;
        if (first < 0 || *o.length > size - first) {
            return fail("length " + std::to_string(*o.length) + " from offset " +
                        std::to_string(o.offset) + " is out of range: the bytes must lie in the " +
                        std::to_string(size) + " of the file");
        }
        const std::int64_t begin = GroupStart(first);
        part.emplace(source, begin, first + *o.length - begin);
        layout.offset = o.offset - begin * perByte;
        shown = *o.length;
    }
    ByteSource& bytes = part ? static_cast<ByteSource&>(*part) : source;
    const std::int64_t pixels = PixelCountOf(layout, shown);
    if (o.format != nullptr) {
        const PixelFormat& f = *o.format;
        const std::string name(f.name);
        // Without a width, a stride's row is filled.
        const std::int64_t width = o.width.value_or(
            o.stride != 0 ? std::min(o.stride / f.bytes, pixels) : DefaultWidth(pixels));
        switch (CheckFormatLayout(f, shown, width, layout.offset, o.stride, o.frameHeight).why) {
            case Outcome::Why::kDone:
                break;
            case Outcome::Why::kFileTooShort:
                return fail(path + ": is shorter than a pixel of " + name + " (" +
                            std::to_string(f.bytes) + " bytes)");
            case Outcome::Why::kFrameTooTall: {
                const std::int64_t row = o.stride != 0 ? o.stride : width * f.bytes;
                return fail("frame height " + std::to_string(o.frameHeight) +
                            " is out of range: 1 to " + std::to_string(shown / row) +
                            ", the rows of " + std::to_string(row) +
                            " bytes the file holds, for a frame's Y in " + name);
            }
            default:  // the width: stride and offset are the options' own checks
                return fail("width " + std::to_string(width) +
                            " is out of range: " + (f.family == FormatFamily::Bayer ? "2" : "1") +
                            " to " + std::to_string(pixels) + " for this file in " + name);
        }
        layout.width = width;
    } else {
        const std::int64_t width = o.width.value_or(modBITMAPinfo::DefaultWidth(shown));
        if (width < 1 || width > pixels) {
            return fail("width " + std::to_string(width) + " is out of range: 1 to " +
                        std::to_string(pixels) + " for this file at this depth");
        }
        layout.width = width;
        BuildPalette(colours, o.palette, o.depth, colours.bmiColors);
    }
    layout.height = RowsFor(layout, shown, layout.width);
    const Picture picture = Picture::Streamed(layout, colours.bmiColors, bytes);

    FdSink standardOutput(STDOUT_FILENO);
    const Outcome written = out == "-" ? WritePicture(standardOutput, FileFormat::kBmp, picture)
                                       : WritePicture(out, picture);
    switch (written.why) {
        case Outcome::Why::kDone:
            return 0;
        case Outcome::Why::kUnreadable:
            return fail(path + ": cannot be read: " + written.reason);
        case Outcome::Why::kTooLarge:
            return fail(written.reason + (FormatOf(out) == FileFormat::kPng
                                              ? ": at most 2147483647 each way"
                                              : ": choose a larger width"));
        default:  // whatever else stopped it: the file is not there, and that is a failure
            return fail(written.reason);
    }
}

}  // namespace rastel::cli
