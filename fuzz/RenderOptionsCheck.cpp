// rastel-render's command line: any arguments (the input split at zero bytes) are either
// refused with a message or give options inside their ranges, none of them left unread.
#include <string>
#include <vector>

#include "Check.h"
#include "cli/RenderOptions.h"
#include "image/pixels/modBITMAPinfo.h"

namespace rastel::fuzz {

namespace {

using cli::ParseRenderOptions;
using cli::RenderOptions;

std::vector<std::string> Arguments(Input input) {
    std::vector<std::string> args(1);
    for (const std::uint8_t c : input) {
        if (c == 0) {
            args.emplace_back();
        } else {
            args.back() += static_cast<char>(c);
        }
    }
    return args;
}

}  // namespace

void CheckRenderOptions(Input input) {
    const std::vector<std::string> args = Arguments(input);
    const cli::ParseResult r = ParseRenderOptions(args);
    if (!r.error.empty()) {
        return;  // refused, with a message
    }
    const RenderOptions& o = r.options;
    if (o.help) {
        return;
    }
    Expect(!o.file.empty(), "no file, and no message");
    Expect(o.depth >= 0 && o.depth <= 2, "depth");
    Expect(o.order >= 0 && o.order < modBITMAPinfo::OrderCount(o.depth), "order");
    Expect(o.offset > -2130706431 && o.offset < 2130706431, "offset beyond its bound");
    Expect(o.palette >= 0 && o.palette <= 2, "palette");
    Expect(!o.output || !o.output->empty(), "an empty output name");
    Expect(!o.blocks || (o.overview && *o.blocks >= 1 && *o.blocks <= 65536), "blocks");
    // A direct format takes no depth, order or palette, and its rows fit their stride.
    Expect(o.stride >= 0 && o.stride <= core::kMaxStride, "stride beyond its bounds");
    Expect(!o.format || (o.depth == 0 && o.order == 0 && o.palette == 0),
           "a depth, order or palette with --format");
    Expect(
        o.format ? core::CheckStride(*o.format, o.width.value_or(1), o.stride).ok() : o.stride == 0,
        "a stride its rows do not fit, or one without --format");
    // What only a picture uses, seen where it differs from no option given.
    const bool picture = o.width || o.output || o.offset != 0 || o.palette != 0 || o.stride != 0;
    Expect(!o.suggestWidth || !picture, "a picture's option with --suggest-width");
    Expect(!o.overview ||
               (!o.suggestWidth && !picture && o.depth == 0 && o.order == 0 && o.format == nullptr),
           "an option --overview does not read");
}

}  // namespace rastel::fuzz
